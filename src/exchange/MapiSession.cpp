#include "exchange/MapiSession.h"

#include "platform/MailClient.h"
#include "platform/MessageTable.h"

MapiSession::MapiSession() : MapiSession(nullptr) {}

MapiSession::MapiSession(std::unique_ptr<MailClient> client)
    : m_pClient(client ? std::move(client) : MailClient::CreateSystem())
{
    if (!m_pClient->Bind())
        m_pClient.reset();
}

MapiSession::~MapiSession()
{
    Logoff();
}

bool MapiSession::Logon(const std::string& profile, const std::string& password, bool hasParentWindow)
{
    Logoff();
    if (!m_pClient)
        return false;
    uint32_t flags = MAIL_NEW_SESSION;
    if (profile.empty() && (hasParentWindow || m_bHasMainWindow))
        flags |= MAIL_LOGON_UI;
    uint32_t result = m_pClient->Logon(profile, password, flags, m_nSession);
    if (result == MAIL_SUCCESS) {
        m_nLastError = 0;
        return true;
    }
    m_nSession = 0;
    if (result == MAIL_USER_ABORT)
        return false;
    // Shares a session the mail program already has open.
    result = m_pClient->Logon(std::string(), std::string(), 0, m_nSession);
    if (result == MAIL_SUCCESS) {
        m_nLastError = 0;
        return true;
    }
    m_nSession = 0;
    m_nLastError = result;
    return false;
}

void MapiSession::Logoff()
{
    if (!m_pClient || m_nSession == 0)
        return;
    m_nLastError = m_pClient->Logoff(m_nSession);
    m_nSession = 0;
}

bool MapiSession::ResolveName(const std::string& name, std::string& displayName)
{
    if (!m_pClient)
        return false;
    uint32_t result = m_pClient->ResolveName(m_nSession, name, displayName);
    if (result != MAIL_SUCCESS) {
        m_nLastError = result;
        return false;
    }
    return true;
}

bool MapiSession::SendMail(MailMessage& message, bool showDialog)
{
    if (!m_pClient)
        return false;
    MailRequest request;
    request.subject = message.m_strSubject;
    request.noteText = message.m_strNoteText;
    auto addRecipients = [&](std::vector<std::string>& names, MailRecipientClass recipientClass) {
        for (std::string& name : names) {
            std::string resolved;
            if (ResolveName(name, resolved))
                name = resolved;
            request.recipients.push_back({recipientClass, name});
        }
    };
    addRecipients(message.m_to, MAIL_TO);
    addRecipients(message.m_cc, MAIL_CC);
    addRecipients(message.m_bcc, MAIL_BCC);
    bool named = message.m_attachmentNames.size() == message.m_attachments.size();
    for (size_t i = 0; i < message.m_attachments.size(); ++i)
        request.attachments.push_back(
            {message.m_attachments[i], named ? message.m_attachmentNames[i] : message.m_attachments[i]});

    uint32_t result = m_pClient->SendMail(m_nSession, request, showDialog ? uint32_t(MAIL_DIALOG) : 0u);
    m_nLastError = result;
    return result == MAIL_SUCCESS;
}

MailMessage MakeOwnerReply(const std::string& ownerEmail)
{
    MailMessage message;
    message.m_to.push_back(ownerEmail);
    message.m_strSubject = MessageText(MessageId::OwnerReplySubject);
    message.m_strNoteText = MessageText(MessageId::OwnerReplyNote);
    return message;
}
