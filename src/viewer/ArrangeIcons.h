#pragma once
// Window > Arrange Icons: the minimised document windows in rows along the
// bottom of the window area, the first at the bottom-left corner, further
// rows above when one row is full; windows that are not minimised stay put.

class QMdiArea;

void ArrangeIcons(QMdiArea& area);
