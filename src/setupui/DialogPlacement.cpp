#include "setupui/DialogPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// The frame the window manager has put around `window`; none before it has.
// Asked of the window itself: a widget learns of its frame only when it moves.
QMargins FrameOf(const QWidget& window)
{
    if (!window.windowHandle())
        return QMargins();
    // While the window manager is still framing a window, X11 can report a
    // frame of a pixel with the window inside it: negative margins, which
    // would centre the corner instead of the window.
    const QMargins frame = window.windowHandle()->frameMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0)
        return QMargins();
    return frame;
}

QRect FrameRect(const QWidget& window)
{
    return window.windowHandle() ? window.windowHandle()->frameGeometry() : window.frameGeometry();
}

// The window a dialog belongs to, while it is on the screen.
const QWidget* OwnerOf(const QWidget& window)
{
    const QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    return parent && parent->isVisible() ? parent : nullptr;
}

// The frame `window` will get: its own once it has one, else the one the
// window manager drew around its owner or another window (it draws them
// alike), else none yet.
QMargins ReckonedFrame(const QWidget& window, const QWidget* over)
{
    QMargins frame = FrameOf(window);
    if (!frame.isNull())
        return frame;
    if (over && !(frame = FrameOf(*over)).isNull())
        return frame;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->isVisible() && !(frame = FrameOf(*other)).isNull())
            return frame;
    return QMargins();
}

} // namespace

DialogPlacement::DialogPlacement()
{
    qApp->installEventFilter(this);
}

DialogPlacement::~DialogPlacement()
{
    qApp->removeEventFilter(this);
}

void DialogPlacement::Centre(QWidget& window, const QWidget* over, const QMargins& frame, QSize size)
{
    QScreen* screen = over ? over->screen() : window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desk = screen->availableGeometry();
    QRect placed(QPoint(), (size.isValid() ? size : window.size()).grownBy(frame));
    placed.moveCenter(over ? FrameRect(*over).center() : desk.center());
    placed.moveRight(std::min(placed.right(), desk.right()));
    placed.moveBottom(std::min(placed.bottom(), desk.bottom()));
    placed.moveLeft(std::max(placed.left(), desk.left()));
    placed.moveTop(std::max(placed.top(), desk.top()));
    // Placed by its frame's corner, which the window manager honours even
    // before it has drawn the frame.
    if (QWindow* handle = window.windowHandle())
        handle->setFramePosition(placed.topLeft());
    else
        window.move(placed.topLeft());
}

bool DialogPlacement::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        if (event->spontaneous())
            break;
        if (watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && qobject_cast<QDialog*>(widget))
                m_pShowing = widget;
        } else if (m_pShowing && watched == m_pShowing->windowHandle()) {
            // The dialog has laid itself out (a message box sizes itself as
            // it is shown) and its window is about to appear.
            QWidget& window = *m_pShowing;
            m_pShowing = nullptr;
            const QWidget* over = OwnerOf(window);
            const QMargins frame = ReckonedFrame(window, over);
            Centre(window, over, frame);
            if (FrameOf(window).isNull())
                m_framing.push_back({&window, frame, window.size()});
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
    case QEvent::Expose:
    case QEvent::Hide:
        // The frame becomes known some time after the window appears: when
        // the window manager moves, shows or activates it.
        m_framing.erase(std::remove_if(m_framing.begin(), m_framing.end(),
                                       [](const Framing& entry) { return entry.window.isNull(); }),
                        m_framing.end());
        for (auto it = m_framing.begin(); it != m_framing.end(); ++it) {
            QWidget& window = *it->window;
            if (watched != &window && watched != window.windowHandle())
                continue;
            const QMargins frame = FrameOf(window), reckoned = it->reckoned;
            const QSize size = it->size;
            if (event->type() != QEvent::Hide && frame.isNull())
                break;
            // Out of the list before moving: the move comes back here.
            m_framing.erase(it);
            // By the size it was laid out to: while the window manager frames
            // it, X11 can pass on the size the window was created with.
            if (event->type() != QEvent::Hide && frame != reckoned)
                Centre(window, OwnerOf(window), frame, size);
            break;
        }
        break;
    default:
        break;
    }
    return false;
}
