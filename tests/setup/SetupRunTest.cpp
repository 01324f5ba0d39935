#include "ScriptFixture.h"

#include "app/ShellRegistration.h"

#include "platform/ProcessLauncher.h"
#include "platform/Prompter.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"
#include "setup/LicenceFile.h"
#include "setup/SetupRun.h"
#include "setup/SetupStart.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kPackageScript = ScriptText({
    "[Strings]",
    "PHOTOS_DESC=\"Summer\"",
    "PHOTOS_OWNER=\"Ann\"",
    "PHOTOS_FILE=\"Summer.pbk\"",
    "CORVALE_INCLUDED=\"1\"",
    "SPACE_REQD_PHOTOS=\"4\"",
    "[DestinationDirs]",
    "BookFiles=65601",
    "[CorvaleInstall]",
    "CopyFiles=ViewerFiles",
    "[Option2Section]",
    "CopyFiles=BookFiles",
    "[CorvaleUninstall]",
    "DelFiles=BookFiles,ViewerFiles",
    "[ViewerFiles]",
    "Corvale.exe",
    "[BookFiles]",
    "Summer.pbk",
});

// A user who goes through the wizard choosing `type` and `folder`, or who cancels.
class ScriptedFrontEnd : public SetupFrontEnd {
public:
    bool RunWizard(InstallWizardModel& model, const std::string& setupFolder) override
    {
        m_nWizards++;
        m_strSetupFolder = setupFolder;
        m_bViewerFound = model.State().m_bViewerFound;
        if (m_bCancel)
            return false;
        model.NeedsLicence();
        model.AcceptLicence();
        model.StoreWho("Ann", "", "ann@example.org");
        model.ShowTypePage();
        model.ChooseType(m_type);
        model.ShowWherePage();
        model.ComputeRequiredSpace();
        return model.LeaveWherePage(m_strFolder);
    }
    InstallProgress& Progress() override { return m_progress; }

    InstallType m_type = InstallType::Express;
    std::string m_strFolder;
    bool m_bCancel = false;
    int m_nWizards = 0;
    std::string m_strSetupFolder;
    bool m_bViewerFound = false;
    SilentProgress m_progress;
};

// The viewer that would make the shortcut is not started in tests.
class NoViewer : public ProcessLauncher {
public:
    NoViewer() { ProcessLauncher::Install(this); }
    ~NoViewer() override { ProcessLauncher::Install(nullptr); }
    bool ShellOpen(const std::string&, const std::string&) override { return false; }
    bool StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override
    {
        return false;
    }
    ProcessWait RunProgramAndWait(const std::string&, const std::vector<std::string>&, const std::string&,
                                  std::chrono::milliseconds) override
    {
        return ProcessWait::Ended;
    }
};

class SetupRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strPackage = m_dir.File("pkg");
        m_strInstall = m_dir.File("inst");
        std::filesystem::create_directories(m_strPackage);
        setenv("CORVALE_WINDOWS_DIR", m_dir.File("windows").c_str(), 1);
        ASSERT_TRUE(WriteFileBytes(m_strPackage + "/Corvale.inf", kPackageScript));
        ASSERT_TRUE(WriteFileBytes(m_strPackage + "/setup", "SETUP PROGRAM"));
        ASSERT_TRUE(WriteFileBytes(m_strPackage + "/Corvale.exe", "VIEWER"));
        ASSERT_TRUE(WriteFileBytes(m_strPackage + "/Summer.pbk", "BOOK"));
        m_env.registry = Registry::Default();
        m_env.ownProgramPath = m_strPackage + "/setup";
        m_frontEnd.m_strFolder = m_strInstall;
    }
    void TearDown() override { unsetenv("CORVALE_WINDOWS_DIR"); }

    bool Run()
    {
        ReadRegisteredInfo(m_state, m_env.registry);
        return RunSetup(m_state, m_frontEnd, m_env);
    }

    TempDir m_dir;
    ScopedRegistry m_registry;
    RecordingPrompter m_prompter;
    NoViewer m_noViewer;
    ScriptedFrontEnd m_frontEnd;
    InstallEnvironment m_env;
    SetupState m_state;
    std::string m_strPackage, m_strInstall;
};

} // namespace

TEST_F(SetupRun, InstallsWhatTheWizardChoseThenUninstallsItAgain)
{
    m_prompter.QueueReply(PromptReply::Yes); // create the folder
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_frontEnd.m_strSetupFolder, m_strPackage + "/");
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.exe"), "VIEWER");
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/My Photos/Summer/Summer.pbk"), "BOOK");
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Uninstall.exe"), "SETUP PROGRAM");
    std::string registered;
    m_env.registry.GetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoInstallationPath,
                             registered);
    EXPECT_EQ(registered, m_strInstall);
    EXPECT_EQ(m_prompter.Texts().back(), "Corvale for Windows installed successfully!");

    // A second run finds the viewer it installed and offers the same folder.
    SetupState again;
    ReadRegisteredInfo(again, m_env.registry);
    EXPECT_EQ(again.m_strUserName, "Ann");
    m_state = again;
    m_frontEnd.m_bCancel = true;
    EXPECT_FALSE(RunSetup(m_state, m_frontEnd, m_env));
    EXPECT_TRUE(m_frontEnd.m_bViewerFound);

    // The uninstaller reads the script beside itself and removes the files,
    // and with the viewer gone its launcher on the desktop goes too.
    ASSERT_TRUE(WriteFileBytes(m_strInstall + "/Corvale.inf", kPackageScript));
    const std::string launcher = SystemFolders::DesktopFolder() + "/Summer.desktop";
    std::filesystem::create_directories(SystemFolders::DesktopFolder());
    ASSERT_TRUE(WriteFileBytes(launcher, "[Desktop Entry]\nExec=\"" + m_strInstall +
                                             "/Corvale.exe\" \"/book.pbk\"\n"));
    // The viewer registered itself on its first start; that goes too.
    ASSERT_TRUE(RegisterShellFileTypes(m_env.registry, m_strInstall + "/Corvale.exe"));
    SetupState uninstall;
    uninstall.m_bUninstall = true;
    m_env.ownProgramPath = m_strInstall + "/Uninstall.exe";
    ASSERT_TRUE(RunSetup(uninstall, m_frontEnd, m_env));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Corvale.exe"));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/My Photos/Summer/Summer.pbk"));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Uninstall.exe"));
    EXPECT_FALSE(FileExistsAt(launcher));
    EXPECT_FALSE(FileExistsAt(SystemFolders::DataHome() + "/applications/corvale.desktop"));
    EXPECT_FALSE(m_env.registry.KeyExists(RegistryRoot::ClassesRoot, "Corvale.Document"));
}

TEST_F(SetupRun, ACancelledWizardInstallsAndSaysNothing)
{
    m_frontEnd.m_bCancel = true;
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_frontEnd.m_nWizards, 1);
    EXPECT_TRUE(m_prompter.m_entries.empty());
    EXPECT_FALSE(std::filesystem::exists(m_strInstall));
    std::string registered;
    EXPECT_NE(m_env.registry.GetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoUserName,
                                       registered),
              RegistryStatus::Ok);
}

TEST_F(SetupRun, WithoutItsScriptSetupEndsBeforeTheWizard)
{
    std::filesystem::remove(m_strPackage + "/Corvale.inf");
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_frontEnd.m_nWizards, 0);
    EXPECT_EQ(m_prompter.Texts(), std::vector<std::string>{"Cannot open setup script"});
}

TEST_F(SetupRun, TheLicenceIsReadWholeOrSetupEnds)
{
    std::string text;
    EXPECT_FALSE(LoadLicenceText(m_strPackage + "/", text));
    ASSERT_EQ(m_prompter.m_entries.size(), 1u);
    EXPECT_EQ(m_prompter.m_entries[0].text, "Error accessing file: " + m_strPackage + "/license.txt");
    EXPECT_EQ(m_prompter.m_entries[0].caption, "Corvale Installation Critical Error");
    EXPECT_EQ(m_prompter.m_entries[0].buttons, PromptButtons::Ok);

    // Found in any letter case; Windows-1252 text is shown as such.
    ASSERT_TRUE(WriteFileBytes(m_strPackage + "/LICENSE.TXT", "Terms \xA9 Quillfen\r\n"));
    ASSERT_TRUE(LoadLicenceText(m_strPackage + "/", text));
    EXPECT_EQ(text, "Terms \xC2\xA9 Quillfen\r\n");

    // A file too large to be a licence is not held in memory.
    m_prompter.m_entries.clear();
    ASSERT_TRUE(WriteFileBytes(m_strPackage + "/LICENSE.TXT", std::string(kMaxLicenceBytes + 1, 'x')));
    EXPECT_FALSE(LoadLicenceText(m_strPackage + "/", text));
    EXPECT_EQ(m_prompter.Texts(), std::vector<std::string>{"Error allocating memory for license text."});
}
