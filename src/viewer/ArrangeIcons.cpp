#include "viewer/ArrangeIcons.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

void ArrangeIcons(QMdiArea& area)
{
    // Sub-window places are in the viewport's coordinates, whatever it scrolls.
    const QRect room = area.viewport()->rect();
    int x = 0;
    int rowBottom = room.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized() || window->isHidden())
            continue;
        QSize size = window->size();
        if (x > 0 && x + size.width() > room.width()) {
            rowBottom -= rowHeight;
            x = 0;
            rowHeight = 0;
        }
        QRect place(QPoint(x, rowBottom - size.height()), size);
        window->setGeometry(QStyle::visualRect(area.layoutDirection(), room, place));
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
}
