#include "exchange/MapiSession.h"
#include "platform/MailClient.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <gtest/gtest.h>

namespace {

struct MailLog {
    std::vector<std::string> calls;
    std::vector<uint32_t> logonResults; // consumed in order, then success
    bool bound = true;
    bool resolves = false;
    uint32_t sendResult = MAIL_SUCCESS;
    uint32_t logoffResult = MAIL_SUCCESS;
    MailRequest sent;
    uint32_t sendFlags = 0;
};

class FakeMailClient : public MailClient {
public:
    explicit FakeMailClient(MailLog& log) : m_log(log) {}
    bool Bind() override { return m_log.bound; }
    uint32_t Logon(const std::string& profile, const std::string&, uint32_t flags, uint64_t& session) override
    {
        m_log.calls.push_back("logon '" + profile + "' " + std::to_string(flags));
        uint32_t result = MAIL_SUCCESS;
        if (!m_log.logonResults.empty()) {
            result = m_log.logonResults.front();
            m_log.logonResults.erase(m_log.logonResults.begin());
        }
        if (result == MAIL_SUCCESS)
            session = 7;
        return result;
    }
    uint32_t Logoff(uint64_t session) override
    {
        m_log.calls.push_back("logoff " + std::to_string(session));
        return m_log.logoffResult;
    }
    uint32_t ResolveName(uint64_t, const std::string& name, std::string& displayName) override
    {
        if (!m_log.resolves)
            return MAIL_UNKNOWN_RECIPIENT;
        displayName = "Resolved " + name;
        return MAIL_SUCCESS;
    }
    uint32_t SendMail(uint64_t, const MailRequest& request, uint32_t flags) override
    {
        m_log.sent = request;
        m_log.sendFlags = flags;
        return m_log.sendResult;
    }

private:
    MailLog& m_log;
};

std::unique_ptr<MapiSession> MakeSession(MailLog& log)
{
    return std::make_unique<MapiSession>(std::make_unique<FakeMailClient>(log));
}

} // namespace

TEST(MapiSession, WithoutAMailFacilityNothingIsAvailable)
{
    MailLog log;
    log.bound = false;
    auto session = MakeSession(log);
    EXPECT_FALSE(session->IsAvailable());
    EXPECT_FALSE(session->Logon("", ""));
    MailMessage message = MakeOwnerReply("a@b.c");
    EXPECT_FALSE(session->SendMail(message, true));
    EXPECT_TRUE(log.calls.empty());
}

TEST(MapiSession, LogonAsksWithAWindowRetriesToShareASessionAndStopsWhenTheUserCancels)
{
    MailLog log;
    auto session = MakeSession(log);
    session->SetHasMainWindow(true);
    EXPECT_TRUE(session->Logon("", ""));
    EXPECT_TRUE(session->IsLoggedOn());
    session->SetHasMainWindow(false);
    EXPECT_TRUE(session->Logon("Work", "secret")); // logs off the first session
    EXPECT_EQ(log.calls, (std::vector<std::string>{"logon '' 3", "logoff 7", "logon 'Work' 2"}));

    log.calls.clear();
    session->Logoff();
    log.logonResults = {MAIL_USER_ABORT};
    EXPECT_FALSE(session->Logon("", "", true));
    EXPECT_EQ(session->LastError(), 0u);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"logoff 7", "logon '' 3"}));

    log.calls.clear();
    log.logonResults = {MAIL_FAILURE};
    EXPECT_TRUE(session->Logon("Work", "x"));
    log.logonResults = {MAIL_FAILURE, 17};
    EXPECT_FALSE(session->Logon("Work", "x"));
    EXPECT_EQ(session->LastError(), 17u);
    EXPECT_FALSE(session->IsLoggedOn());
    EXPECT_EQ(log.calls, (std::vector<std::string>{"logon 'Work' 2", "logon '' 0", "logoff 7", "logon 'Work' 2",
                                                   "logon '' 0"}));
}

TEST(MapiSession, SendMailOrdersRecipientsKeepsUnresolvedNamesAndNamesAttachments)
{
    MailLog log;
    auto session = MakeSession(log);
    MailMessage message;
    message.m_bcc = {"hidden@x"};
    message.m_cc = {"copy@x"};
    message.m_to = {"first@x", "second@x"};
    message.m_strSubject = "S";
    message.m_strNoteText = "N";
    message.m_attachments = {"/tmp/a.jpg", "/tmp/b.jpg"};
    message.m_attachmentNames = {"A", "B"};
    ASSERT_TRUE(session->SendMail(message, true));
    EXPECT_EQ(log.sendFlags, MAIL_DIALOG);
    ASSERT_EQ(log.sent.recipients.size(), 4u);
    EXPECT_EQ(log.sent.recipients[0].name, "first@x");
    EXPECT_EQ(log.sent.recipients[0].recipientClass, MAIL_TO);
    EXPECT_EQ(log.sent.recipients[2].recipientClass, MAIL_CC);
    EXPECT_EQ(log.sent.recipients[3].name, "hidden@x");
    EXPECT_EQ(log.sent.recipients[3].recipientClass, MAIL_BCC);
    EXPECT_EQ(log.sent.attachments[1].path, "/tmp/b.jpg");
    EXPECT_EQ(log.sent.attachments[1].fileName, "B");
    EXPECT_EQ(session->LastError(), 0u); // the send worked, whatever the names gave

    log.resolves = true;
    log.sendResult = 9;
    message.m_attachmentNames.clear();
    EXPECT_FALSE(session->SendMail(message, false));
    EXPECT_EQ(session->LastError(), 9u);
    EXPECT_EQ(log.sendFlags, 0u);
    EXPECT_EQ(message.m_to[0], "Resolved first@x");
    EXPECT_EQ(log.sent.attachments[0].fileName, "/tmp/a.jpg");
}

TEST(MapiSession, TheOwnerReplyAndTheMailtoAddressCarryNoOptions)
{
    MailMessage reply = MakeOwnerReply("ann@example.org");
    EXPECT_EQ(reply.m_to, std::vector<std::string>{"ann@example.org"});
    EXPECT_EQ(reply.m_strSubject, "The photos you sent to me");
    EXPECT_EQ(reply.m_strNoteText, "Thanks for the cool pics...");

    MailRequest request;
    request.recipients = {{MAIL_TO, "ann@example.org"}, {MAIL_TO, "--attach /etc/passwd"}, {MAIL_CC, "b&c@x"}};
    request.subject = "The photos you sent to me";
    request.noteText = "Caf\xC3\xA9?\nBye";
    EXPECT_EQ(BuildMailtoUri(request),
              "mailto:ann@example.org,--attach%20%2Fetc%2Fpasswd?cc=b%26c@x"
              "&subject=The%20photos%20you%20sent%20to%20me&body=Caf%C3%A9%3F%0ABye");
    EXPECT_EQ(BuildMailtoUri(MailRequest{}), "mailto:");
}

TEST(MapiSession, TheSystemClientHandsTheMessageToXdgEmailOnThePath)
{
    TempDir dir;
    std::string trace = dir.File("trace");
    std::string script = dir.File("xdg-email");
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" << trace << ".tmp\"\nmv \""
                          << trace << ".tmp\" \"" << trace << "\"\n";
    chmod(script.c_str(), 0755);
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    setenv("PATH", "/nonexistent", 1);
    EXPECT_FALSE(MapiSession().IsAvailable());

    setenv("PATH", ("/nonexistent:" + dir.Path() + ":" + oldPath).c_str(), 1);
    EXPECT_EQ(FindOnPath("xdg-email"), script);
    MapiSession session;
    setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(session.IsAvailable());
    MailMessage reply = MakeOwnerReply("ann@example.org");
    ASSERT_TRUE(session.Logon("", ""));
    ASSERT_TRUE(session.SendMail(reply, true));
    session.Logoff();

    std::string text;
    for (int i = 0; i < 500 && text.empty(); ++i) {
        std::ifstream in(trace);
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
        if (text.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(text, "mailto:ann@example.org?subject=The%20photos%20you%20sent%20to%20me"
                    "&body=Thanks%20for%20the%20cool%20pics...\n");
}
