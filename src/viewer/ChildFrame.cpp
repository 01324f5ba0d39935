#include "viewer/ChildFrame.h"

#include "platform/Settings.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(QWidget* view, ChildKind kind, QWidget* parent)
    : QMdiSubWindow(parent), m_kind(kind)
{
    setWidget(view);
    setAttribute(Qt::WA_DeleteOnClose);
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
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
