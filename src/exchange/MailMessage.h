#pragma once
// One e-mail as the viewer hands it to the mail program.

#include <string>
#include <vector>

struct MailMessage {
    std::vector<std::string> m_to, m_cc, m_bcc;
    std::string m_strSubject;
    std::string m_strNoteText;
    std::vector<std::string> m_attachments;
    // Empty, or one name per attachment as the recipient sees it.
    std::vector<std::string> m_attachmentNames;
};
