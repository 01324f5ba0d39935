#include "viewer/DocumentCommands.h"

#include "app/CommandIds.h"
#include "exchange/MapiSession.h"
#include "model/CorvaleDoc.h"
#include "platform/CodePage.h"
#include "viewer/ExportBookCommand.h"
#include "model/MediaNode.h"
#include "viewer/PhotoTreeDataSource.h"
#include "viewer/PropertiesDlg.h"
#include "viewer/ShortcutCommand.h"

#include <QApplication>
#include <QClipboard>

CDocumentCommands::CDocumentCommands(CCorvaleDoc& doc, MapiSession* mail, QWidget* dialogParent)
    : m_doc(doc), m_pMail(mail), m_pDialogParent(dialogParent)
{
}

bool CDocumentCommands::OnCommand(int id)
{
    switch (id) {
    case ID_PROPERTIES: {
        CPropertiesDlg dialog(m_doc, m_doc.m_pCurrent, m_pDialogParent);
        dialog.exec();
        return true;
    }
    case ID_EDIT_COPY:
        if (m_doc.CanCopyNode())
            QApplication::clipboard()->setMimeData(CreateNodeMimeData(m_doc.m_pCurrent));
        return true;
    case ID_PLAY:
        if (m_doc.m_pCurrent && m_doc.m_pCurrent->IsMedia())
            static_cast<CMediaNode*>(m_doc.m_pCurrent)->Play();
        return true;
    case ID_UP:
        m_doc.OnUp();
        return true;
    case ID_CREATE_SHORTCUT:
        MakeShortcutForBook(m_doc);
        return true;
    case ID_EXPORT_BOOK:
        ExportBook(m_doc, m_pDialogParent);
        return true;
    case ID_FILE_SAVE:
        m_doc.DoSave(m_doc.GetPathName());
        return true;
    case ID_FILE_SAVE_AS:
        return true;
    case ID_SEND_EMAIL:
        OnSendEmail();
        return true;
    default:
        return false;
    }
}

void CDocumentCommands::OnSendEmail()
{
    // The mail program reports its own failures; the viewer says nothing.
    MapiSession* session = MailSession();
    if (m_doc.m_strOwnerEmail.empty() || !session || !session->IsAvailable())
        return;
    MailMessage message = MakeOwnerReply(Cp1252ToUtf8(m_doc.m_strOwnerEmail));
    session->Logon(std::string(), std::string());
    session->SendMail(message, true);
    session->Logoff();
}

bool CDocumentCommands::OnUpdateCommand(int id, CommandState& state)
{
    switch (id) {
    case ID_EDIT_COPY:
        state.enabled = m_doc.CanCopyNode();
        return true;
    case ID_FILE_SAVE:
        state.enabled = m_doc.IsModified();
        return true;
    case ID_SEND_EMAIL: {
        MapiSession* session = MailSession();
        state.enabled = !m_doc.m_strOwnerEmail.empty() && session && session->IsAvailable();
        return true;
    }
    case ID_PROPERTIES:
    case ID_PLAY:
    case ID_UP:
    case ID_CREATE_SHORTCUT:
    case ID_EXPORT_BOOK:
    case ID_FILE_SAVE_AS:
        return true;
    default:
        return false;
    }
}
