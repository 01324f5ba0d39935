#pragma once
// Draws the separators between the main window's docking panes in one of the
// three splitter looks the user picks: raised 3D, flat, or not at all.

#include <QProxyStyle>

class CSplitterStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The drawing codes of the three looks, as stored settings map onto them.
    enum Code { k3D = 2, kFlat = 4, kInvisible = 8 };

    // "SplitterStyle" 0 gives the 3D look, 1 the flat one, anything else none.
    static int CodeFor(int splitterStyle);

    explicit CSplitterStyle(int code);

    int GetCode() const { return m_nCode; }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    int m_nCode;
};
