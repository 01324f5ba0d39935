#include "viewer/PhotoText.h"

#include "model/BaseNode.h"
#include "platform/CodePage.h"

CPhotoText::CPhotoText(QWidget* parent) : QPlainTextEdit(parent), CRouter(false) {}

CPhotoText::~CPhotoText() = default;

void CPhotoText::OnMessage(const RouterMessage& message)
{
    if (message.m_nCode == RM_SELECT_NODE && message.m_pNode) {
        m_pCurrent = message.m_pNode;
        setPlainText(QString::fromStdString(Cp1252ToUtf8(m_pCurrent->m_strText)));
        emit ShowPaneRequested(!m_pCurrent->m_strText.empty());
    } else if (message.m_nCode == RM_BOOK_LOADED || message.m_nCode == RM_BOOK_CLOSING ||
               message.m_nCode == RM_SELECT_NODE) {
        m_pCurrent = message.m_pNode;
        clear();
        emit ShowPaneRequested(false);
    }
}

bool CPhotoText::OnCommand(int) { return false; }
bool CPhotoText::OnUpdateCommand(int, CommandState&) { return false; }
