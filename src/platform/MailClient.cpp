#include "platform/MailClient.h"

#include "platform/ProcessLauncher.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Desktop mail programs have no sessions or address books to ask: a logon
// always works and a name stays as it is.
class XdgMailClient : public MailClient {
public:
    bool Bind() override
    {
        m_strProgram = FindOnPath("xdg-email");
        return !m_strProgram.empty();
    }
    uint32_t Logon(const std::string&, const std::string&, uint32_t, uint64_t& session) override
    {
        session = 1;
        return MAIL_SUCCESS;
    }
    uint32_t Logoff(uint64_t) override { return MAIL_SUCCESS; }
    uint32_t ResolveName(uint64_t, const std::string&, std::string&) override
    {
        return MAIL_UNKNOWN_RECIPIENT;
    }
    uint32_t SendMail(uint64_t, const MailRequest& request, uint32_t) override
    {
        if (m_strProgram.empty())
            return MAIL_FAILURE;
        // The mail program always shows the message for editing before it is sent.
        std::vector<std::string> argv{m_strProgram};
        for (const MailAttachment& attachment : request.attachments) {
            argv.push_back("--attach");
            argv.push_back(attachment.path);
        }
        argv.push_back(BuildMailtoUri(request));
        return StartDetachedProcess(argv, std::string()) ? MAIL_SUCCESS : MAIL_FAILURE;
    }

private:
    std::string m_strProgram;
};

void AppendEncoded(std::string& out, const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '~' || c == '@' || c == '+';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

} // namespace

std::unique_ptr<MailClient> MailClient::CreateSystem()
{
    return std::make_unique<XdgMailClient>();
}

std::string BuildMailtoUri(const MailRequest& request)
{
    std::string to, cc, bcc;
    for (const MailRecipient& recipient : request.recipients) {
        std::string& list = recipient.recipientClass == MAIL_CC    ? cc
                            : recipient.recipientClass == MAIL_BCC ? bcc
                                                                   : to;
        if (!list.empty())
            list += ',';
        AppendEncoded(list, recipient.name);
    }
    std::string uri = "mailto:" + to;
    char separator = '?';
    auto field = [&](const char* name, const std::string& value, bool encoded) {
        if (value.empty())
            return;
        uri += separator;
        uri += name;
        uri += '=';
        if (encoded)
            uri += value;
        else
            AppendEncoded(uri, value);
        separator = '&';
    };
    field("cc", cc, true);
    field("bcc", bcc, true);
    field("subject", request.subject, false);
    field("body", request.noteText, false);
    return uri;
}

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (!path || program.empty() || program.find('/') != std::string::npos)
        return {};
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + program;
            struct stat st{};
            if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}
