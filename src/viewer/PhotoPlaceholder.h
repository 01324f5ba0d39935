#pragma once
// The text the photo view shows instead of a picture: lines measured as one
// block and drawn centred, black on the view's grey.

#include <QColor>
#include <QSize>

class QFontMetrics;
class QPainter;
class QRect;
class QString;

class PhotoPlaceholder {
public:
    // RGB (192, 192, 192): the placeholder's background and the view's colour
    // around a picture.
    static QColor Grey() { return QColor(192, 192, 192); }

    // The widest line's width, and the number of lines times the font height.
    static QSize Measure(const QString& text, const QFontMetrics& metrics);
    // Fills `client` grey and draws the lines, each centred across the client
    // width, the block centred vertically, in the painter's font.
    static void Draw(QPainter& painter, const QRect& client, const QString& text);
};
