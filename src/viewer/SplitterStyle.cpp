#include "viewer/SplitterStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

int CSplitterStyle::CodeFor(int splitterStyle)
{
    switch (splitterStyle) {
    case 0: return k3D;
    case 1: return kFlat;
    default: return kInvisible;
    }
}

CSplitterStyle::CSplitterStyle(int code) : m_nCode(code) {}

void CSplitterStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const
{
    if (element != PE_IndicatorDockWidgetResizeHandle) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QRect& r = option->rect;
    // The edges of the handle's rectangle may lie under the neighbouring
    // widgets, so both looks are drawn about its middle.
    bool upright = r.width() < r.height();
    switch (m_nCode) {
    case k3D: {
        // Many desktop styles draw these handles flat; the raised bar is drawn
        // here so that the 3D look shows whatever the platform style is.
        QRect bar = upright ? QRect(r.center().x() - 1, r.top(), 4, r.height())
                            : QRect(r.left(), r.center().y() - 1, r.width(), 4);
        qDrawShadePanel(painter, bar, option->palette, false, 1, &option->palette.brush(QPalette::Button));
        break;
    }
    case kFlat: {
        painter->fillRect(r, option->palette.brush(QPalette::Button));
        QRect line = upright ? QRect(r.center().x(), r.top(), 1, r.height())
                             : QRect(r.left(), r.center().y(), r.width(), 1);
        painter->fillRect(line, option->palette.brush(QPalette::Mid));
        break;
    }
    default:
        break; // invisible: the window background shows through
    }
}
