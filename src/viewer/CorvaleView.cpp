#include "viewer/CorvaleView.h"

#include "model/CorvaleDoc.h"

#include <QPainter>

CCorvaleView::CCorvaleView(CCorvaleDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), CRouter(false), m_pDocument(doc)
{
}

CCorvaleView::~CCorvaleView() = default;

void CCorvaleView::OnInitialUpdate()
{
    m_pSelected = m_pDocument->m_pCurrent;
    Send(RouterMessage::SelectNode(m_pDocument->m_pCurrent), nullptr);
}

void CCorvaleView::OnMessage(const RouterMessage& message)
{
    if (message.m_nCode == RM_SELECT_NODE) {
        m_pSelected = message.m_pNode;
        viewport()->update();
    }
}

void CCorvaleView::FitToPicture(int, int) {}
void CCorvaleView::UpdateMediaButtons() {}
bool CCorvaleView::OnCommand(int) { return false; }
bool CCorvaleView::OnUpdateCommand(int, CommandState&) { return false; }

void CCorvaleView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(192, 192, 192));
}

void CCorvaleView::contextMenuEvent(QContextMenuEvent*) {}

void CCorvaleView::scrollContentsBy(int dx, int dy)
{
    QAbstractScrollArea::scrollContentsBy(dx, dy);
}
