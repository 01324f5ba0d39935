#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "model/PhotoNode.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/DocumentCommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

// Puts a stand-in xdg-email (which writes its arguments to `trace`) first on
// the PATH, or takes every mail program away, for as long as it lives.
class ScopedMailProgram {
public:
    ScopedMailProgram(const TempDir& dir, bool present) : m_strOld(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        std::string script = dir.File("xdg-email");
        std::ofstream(script) << "#!/bin/sh\necho \"$@\" > \"" << dir.File("trace") << ".tmp\"\nmv \""
                              << dir.File("trace") << ".tmp\" \"" << dir.File("trace") << "\"\n";
        chmod(script.c_str(), 0755);
        setenv("PATH", present ? (dir.Path() + ":" + m_strOld).c_str() : "/nonexistent", 1);
    }
    ~ScopedMailProgram() { setenv("PATH", m_strOld.c_str(), 1); }

private:
    std::string m_strOld;
};

std::string WriteBook(const TempDir& dir, const std::string& email)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    doc.m_strOwnerName = "Ann";
    doc.m_strOwnerEmail = email;
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName("beach.gif");
    doc.m_root.AddPhoto(std::move(photo));
    std::string path = dir.File(email.empty() ? "none.pbk" : "mail.pbk");
    EXPECT_TRUE(doc.OnSaveDocument(path));
    return path;
}

bool Enabled(CCorvaleApp& app)
{
    CommandState state;
    CDocumentCommands* commands = app.GetDocumentCommands();
    return commands && commands->OnUpdateCommand(ID_SEND_EMAIL, state) && state.enabled;
}

} // namespace

TEST(SendEmail, TheReplyGoesToTheSenderOnlyWhenThereIsOneAndAMailProgram)
{
    QApplication::setQuitOnLastWindowClosed(false);
    ScopedRegistry registry;
    TempDir dir;
    Settings settings = Settings::Profile();
    ASSERT_TRUE(settings.WriteInt(SettingKey::PostInstallWasRun, 1));
    std::string withEmail = WriteBook(dir, "ann@example.org");
    std::string without = WriteBook(dir, "");

    {
        ScopedMailProgram noMail(dir, false);
        CCorvaleApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
        RecordingPrompter prompter;
        ASSERT_NE(app.OpenDocumentFile(withEmail), nullptr);
        EXPECT_FALSE(Enabled(app));
    }

    ScopedMailProgram mail(dir, true);
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    RecordingPrompter prompter;
    ASSERT_NE(app.OpenDocumentFile(without), nullptr);
    EXPECT_FALSE(Enabled(app));
    ASSERT_NE(app.OpenDocumentFile(withEmail), nullptr);
    ASSERT_TRUE(Enabled(app));
    ASSERT_TRUE(app.GetDocumentCommands()->OnCommand(ID_SEND_EMAIL));

    std::string text;
    QElapsedTimer timer;
    timer.start();
    while (text.empty() && timer.elapsed() < 5000) {
        std::ifstream in(dir.File("trace"));
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
    }
    EXPECT_EQ(text, "mailto:ann@example.org?subject=The%20photos%20you%20sent%20to%20me"
                    "&body=Thanks%20for%20the%20cool%20pics...\n");
    EXPECT_TRUE(prompter.m_entries.empty());
}
