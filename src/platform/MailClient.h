#pragma once
// The mail facility behind the viewer's mail session, in the shape of the five
// Simple MAPI calls (results 0 for success). The system's client hands the
// message to the desktop's mail program through xdg-email.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum MailResult : uint32_t {
    MAIL_SUCCESS = 0,
    MAIL_USER_ABORT = 1,
    MAIL_FAILURE = 2,
    MAIL_UNKNOWN_RECIPIENT = 14,
};

enum MailFlags : uint32_t {
    MAIL_LOGON_UI = 0x1,
    MAIL_NEW_SESSION = 0x2,
    MAIL_DIALOG = 0x8,
};

enum MailRecipientClass { MAIL_TO = 1, MAIL_CC = 2, MAIL_BCC = 3 };

struct MailRecipient {
    MailRecipientClass recipientClass;
    std::string name;
};

struct MailAttachment {
    std::string path;
    std::string fileName; // as the recipient sees it
};

struct MailRequest {
    std::string subject;
    std::string noteText;
    std::vector<MailRecipient> recipients;
    std::vector<MailAttachment> attachments;
};

class MailClient {
public:
    virtual ~MailClient() = default;

    // Finds the mail facility; false when there is none on this machine.
    virtual bool Bind() = 0;
    virtual uint32_t Logon(const std::string& profile, const std::string& password, uint32_t flags,
                           uint64_t& session) = 0;
    virtual uint32_t Logoff(uint64_t session) = 0;
    // On success `displayName` holds the recipient's name as the mail system knows it.
    virtual uint32_t ResolveName(uint64_t session, const std::string& name, std::string& displayName) = 0;
    virtual uint32_t SendMail(uint64_t session, const MailRequest& request, uint32_t flags) = 0;

    static std::unique_ptr<MailClient> CreateSystem();
};

// The mailto: address xdg-email is given: recipients, subject and body, every
// part percent-encoded so that no text from a Picture Book can become an option.
std::string BuildMailtoUri(const MailRequest& request);

// The full path of `program` when an executable of that name is on the PATH.
std::string FindOnPath(const std::string& program);
