#include "viewer/ChildFrame.h"

#include "platform/Settings.h"
#include "viewer/CorvaleView.h"

#include <QCloseEvent>
#include <QMdiArea>

CChildFrame::CChildFrame(QWidget* view, ChildKind kind, QWidget* parent)
    : QMdiSubWindow(parent), m_kind(kind)
{
    setWidget(view);
    setAttribute(Qt::WA_DeleteOnClose);
}

CChildFrame::~CChildFrame()
{
    // Closing the Picture Book, opening another and Exit delete the window
    // without closing or hiding it first; its place is kept all the same.
    SavePlace();
}

void CChildFrame::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    if (mdiArea() && !m_pWatchedArea) {
        m_pWatchedArea = mdiArea()->viewport();
        m_pWatchedArea->installEventFilter(this);
    }
    UpdateTrackSize();
    if (m_bPlaced)
        return;
    m_bPlaced = true;
    PlacementPoint offset = ReadChildOffset(Settings::Profile(), m_kind);
    move(offset.x, offset.y);
}

void CChildFrame::hideEvent(QHideEvent* event)
{
    SavePlace();
    QMdiSubWindow::hideEvent(event);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    SavePlace();
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        emit Closed(this);
}

void CChildFrame::SavePlace()
{
    // A maximised or tabbed window has no place of its own to remember.
    if (!m_bPlaced || isMaximized() || isMinimized())
        return;
    Settings settings = Settings::Profile();
    WriteChildOffset(settings, m_kind, {pos().x(), pos().y()});
}

void CChildFrame::UpdateTrackSize()
{
    QSize minTrack(0, 0);
    QSize maxTrack(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    bool filling = isMaximized() || isMinimized() ||
                   (mdiArea() && mdiArea()->viewMode() == QMdiArea::TabbedView);
    if (!filling)
        if (auto* view = qobject_cast<CCorvaleView*>(widget()))
            view->GetTrackSize(minTrack, maxTrack);
    if (minimumSize() != minTrack)
        setMinimumSize(minTrack);
    if (maximumSize() != maxTrack)
        setMaximumSize(maxTrack);
}

void CChildFrame::changeEvent(QEvent* event)
{
    if (event->type() != QEvent::WindowStateChange) {
        QMdiSubWindow::changeEvent(event);
        return;
    }
    // Limits off before a maximised window takes the whole area, back on
    // once a restored window has its old size again.
    UpdateTrackSize();
    QMdiSubWindow::changeEvent(event);
    UpdateTrackSize();
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pWatchedArea && event->type() == QEvent::Resize)
        UpdateTrackSize();
    return QMdiSubWindow::eventFilter(watched, event);
}
