#include "ScriptFixture.h"

#include "platform/CodePage.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompter.h"
#include "platform/SettingsKeys.h"
#include "platform/VersionRecord.h"
#include "setup/Installation.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The progress dialog: remembers what it was told; Cancel is "clicked" when
// the given number of events has been taken from the queue.
class FakeProgress : public InstallProgress {
public:
    void Open(const std::string& title, const std::string& nameLine) override
    {
        m_strTitle = title;
        m_names.push_back(nameLine);
    }
    void SetNameLine(const std::string& text) override { m_names.push_back(text); }
    void SetRange(size_t count) override { m_nRange = count; }
    void SetPosition(size_t position) override { m_positions.push_back(position); }
    void PumpOneEvent() override
    {
        if (++m_nPumps == m_nCancelAtPump)
            m_bCancel = true;
    }
    bool CancelRequested() const override { return m_bCancel; }
    void DisableCancel() override { m_bCancelDisabled = true; }
    void Close() override { ++m_nClosed; }

    std::string m_strTitle;
    Lines m_names;
    size_t m_nRange = 0;
    std::vector<size_t> m_positions;
    size_t m_nPumps = 0;
    size_t m_nCancelAtPump = 0;
    bool m_bCancel = false;
    bool m_bCancelDisabled = false;
    int m_nClosed = 0;
};

// Stands in for the viewer that setup starts and waits for.
class ViewerRecorder : public ProcessLauncher {
public:
    ViewerRecorder() { ProcessLauncher::Install(this); }
    ~ViewerRecorder() override { ProcessLauncher::Install(nullptr); }
    bool ShellOpen(const std::string&, const std::string&) override { return false; }
    bool StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override
    {
        return false;
    }
    ProcessWait RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& directory, std::chrono::milliseconds) override
    {
        std::string line;
        for (const std::string& argument : arguments)
            line += (line.empty() ? "" : " ") + argument;
        m_runs.push_back(program + "|" + line + "|" + directory);
        return ProcessWait::Ended;
    }
    Lines m_runs;
};

std::string VersionedFile(const std::string& version)
{
    return "MZ\x01" "CORVALE-VERSION-RECORD:" + version + "\x01" + "rest";
}

unsigned ModeOf(const std::string& path)
{
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

const std::string kScript = ScriptText({
    "[Strings]",
    "PHOTOS_DESC=\"Summer\"",
    "PHOTOS_FILE=\"Summer.pbk\"",
    "CORVALE_INCLUDED=\"1\"",
    "[DestinationDirs]",
    "BookFiles=65601",
    "[CorvaleInstall]",
    "CopyFiles=ViewerFiles",
    "DelReg=OldReg",
    "[Option2Section]",
    "CopyFiles=BookFiles",
    "AddReg=BookReg",
    "UpdateInis=BookInis",
    "[CorvaleUninstall]",
    "DelFiles=BookFiles,ViewerFiles",
    "DelReg=BookReg",
    "UpdateInis=BookInis",
    "[ViewerFiles]",
    "Corvale.exe",
    "[BookFiles]",
    "Summer.pbk",
    "beach.jpg",
    "[BookReg]",
    "HKCU,Software\\Quillfen\\Books,Summer,0,\"%PHOTOS_DESC%\"",
    "HKCU,Software\\Quillfen\\Books,Count,1,0x1F",
    "HKCU,Software\\Quillfen\\Gone",
    "[OldReg]",
    "HKCU,Software\\Quillfen\\Books,Old",
    "[BookInis]",
    "setup.ini,progman.groups,,group1=Corvale",
    "SETUP.INI,Group1,,\"%PHOTOS_DESC%=x, y\"",
    "setup.ini,progman.groups,,group1=Corvale",
});

class Installation : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strPackage = m_dir.File("pkg");
        m_strInstall = m_dir.File("inst");
        m_strWindows = m_dir.File("windows");
        std::filesystem::create_directories(m_strPackage);
        setenv("CORVALE_WINDOWS_DIR", m_strWindows.c_str(), 1);
        Package("setup", "SETUP PROGRAM");
        Package("Corvale.exe", VersionedFile("1.0.0.3"));
        Package("Summer.pbk", "BOOK");
        Package("beach.jpg", "JPEG");
        m_env.registry = Registry::Default();
        m_env.ownProgramPath = m_strPackage + "/setup";
    }
    void TearDown() override { unsetenv("CORVALE_WINDOWS_DIR"); }

    void Package(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(WriteFileBytes(m_strPackage + "/" + name, bytes));
    }
    std::string Book(const std::string& name) const
    {
        return m_strInstall + "/My Photos/Summer/" + name;
    }

    // The state the wizard hands over for `script`, with every option chosen.
    SetupState Chosen(const SetupScript& script)
    {
        SetupState state;
        state.m_strInstallFolder = m_strInstall;
        state.m_bViewerOption = state.m_bBookOption = state.m_bHelpOption = true;
        state.m_strUserName = "Ann";
        state.m_strEmailAddress = "ann@example.org";
        state.m_package = ReadPackageInfo(script);
        state.m_directories = DirectoryTable::ForInstallation(m_strPackage + "/", m_strInstall,
                                                              state.m_package.description);
        return state;
    }

    // Installs `text` with the install folder already there (no question).
    bool Install(const std::string& text = kScript)
    {
        std::filesystem::create_directories(m_strInstall);
        SetupScript script(text);
        m_state = Chosen(script);
        return RunInstallation(script, m_state, m_progress, m_env);
    }

    std::string Value(RegistryRoot root, const std::string& key, const std::string& name)
    {
        std::string out;
        return m_env.registry.GetString(root, key, name, out) == RegistryStatus::Ok ? out : "<none>";
    }

    void ExpectOnlyMessage(const std::string& text, const std::string& caption)
    {
        ASSERT_EQ(m_prompter.m_entries.size(), 1u) << ::testing::PrintToString(m_prompter.Texts());
        EXPECT_EQ(m_prompter.m_entries[0].text, text);
        EXPECT_EQ(m_prompter.m_entries[0].caption, caption);
        EXPECT_EQ(m_prompter.m_entries[0].buttons, PromptButtons::Ok);
    }

    TempDir m_dir;
    ScopedRegistry m_registry;
    RecordingPrompter m_prompter;
    ViewerRecorder m_viewer;
    FakeProgress m_progress;
    InstallEnvironment m_env;
    SetupState m_state;
    std::string m_strPackage, m_strInstall, m_strWindows;
};

const char kScriptFailed[] = "Installation script did not complete successfully!";
const char kInstallError[] = "Corvale for Windows Install Error";

} // namespace

TEST_F(Installation, CarriesOutTheListsInOrderAndEndsWithSuccess)
{
    // A value an install section's DelReg names goes.
    m_env.registry.SetString(RegistryRoot::CurrentUser, "Software\\Quillfen\\Books", "Old", "x");
    ASSERT_TRUE(Install());
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, "Software\\Quillfen\\Books", "Old"), "<none>");

    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.exe"), VersionedFile("1.0.0.3"));
    EXPECT_EQ(ReadFileBytes(Book("Summer.pbk")), "BOOK");
    EXPECT_EQ(ReadFileBytes(Book("beach.jpg")), "JPEG");

    const std::string books = "Software\\Quillfen\\Books";
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, books, "Summer"), "Summer");
    uint32_t count = 0;
    EXPECT_EQ(m_env.registry.GetDword(RegistryRoot::CurrentUser, books, "Count", count), RegistryStatus::Ok);
    EXPECT_EQ(count, 31u);

    // The two spellings of one ini file give one file under the first name.
    EXPECT_EQ(ReadFileBytes(m_strWindows + "/setup.ini"),
              "\r\n[Group1]\r\nSummer=x, y\r\n\r\n[progman.groups]\r\ngroup1=Corvale\r\n");
    EXPECT_FALSE(FileExistsAt(m_strWindows + "/SETUP.INI"));

    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Uninstall.exe"), "SETUP PROGRAM");
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.inf"), kScript);
    EXPECT_EQ(m_viewer.m_runs,
              (Lines{m_strInstall + "/Corvale.exe|/shortcut=" + Book("Summer.pbk") + "|" + m_strInstall}));

    const std::string runOnce = kRunOnceKey;
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, runOnce, "GrpConv"), "grpconv -o");
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, runOnce, "Wrapper"), "<none>");

    // Who installed, and where; an empty company name is not written.
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kUserInfoKey, "UserName"), "Ann");
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kUserInfoKey, "EmailAddress"), "ann@example.org");
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kUserInfoKey, "InstallationPath"), m_strInstall);
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kUserInfoKey, "CompanyName"), "<none>");

    EXPECT_EQ(m_progress.m_strTitle, "Installing files...");
    EXPECT_EQ(m_progress.m_names,
              (Lines{"Copying...", "Adding Uninstall program...", "Corvale.exe", "Summer.pbk", "beach.jpg",
                     "Adding Registry entries...", "Adding Menu items...", "Adding Desktop shortcut..."}));
    EXPECT_EQ(m_progress.m_nRange, 3u);
    EXPECT_EQ(m_progress.m_positions, (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(m_progress.m_nPumps, 3u);
    EXPECT_TRUE(m_progress.m_bCancelDisabled);
    EXPECT_EQ(m_progress.m_nClosed, 1);
    ExpectOnlyMessage("Corvale for Windows installed successfully!", "Install Completed");
}

TEST_F(Installation, WithoutThePictureBookOptionNoViewerIsStartedAndAnExistingSetupKeyAddsTheWrapper)
{
    m_env.registry.CreateKey(RegistryRoot::LocalMachine, std::string(kRunOnceKey) + "\\setup");
    std::filesystem::create_directories(m_strInstall);
    SetupScript script(kScript);
    m_state = Chosen(script);
    m_state.m_bBookOption = false;
    ASSERT_TRUE(RunInstallation(script, m_state, m_progress, m_env));
    EXPECT_TRUE(m_viewer.m_runs.empty());
    EXPECT_FALSE(FileExistsAt(Book("Summer.pbk")));
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kRunOnceKey, "Wrapper"), "runonce");
    EXPECT_EQ(m_progress.m_names.back(), "Adding Menu items...");
}

TEST_F(Installation, AMissingFolderIsCreatedOnlyWhenTheUserSaysYes)
{
    m_strInstall = m_dir.File("a/b/inst");
    SetupScript script(kScript);
    m_state = Chosen(script);

    EXPECT_FALSE(RunInstallation(script, m_state, m_progress, m_env));
    ASSERT_EQ(m_prompter.m_entries.size(), 1u);
    EXPECT_EQ(m_prompter.m_entries[0].text, "Directory " + m_strInstall + "\ndoes not exist !\n\nCreate it?");
    EXPECT_EQ(m_prompter.m_entries[0].caption, "Confirm directory creation");
    EXPECT_EQ(m_prompter.m_entries[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(m_prompter.m_entries[0].icon, PromptIcon::Question);
    EXPECT_FALSE(FileExistsAt(m_dir.File("a")));
    EXPECT_EQ(m_progress.m_nClosed, 0);

    m_prompter.m_entries.clear();
    m_prompter.QueueReply(PromptReply::Yes);
    ASSERT_TRUE(RunInstallation(script, m_state, m_progress, m_env));
    EXPECT_EQ(ReadFileBytes(Book("Summer.pbk")), "BOOK");
    EXPECT_EQ(m_prompter.m_entries.back().text, "Corvale for Windows installed successfully!");
}

TEST_F(Installation, FolderThatCannotBeHadEndsSetupButThePictureBookFolderOnlyWarns)
{
    SetupState state;
    // A file in the way of the folder, or of one of its parents.
    ASSERT_TRUE(WriteFileBytes(m_dir.File("file"), "x"));
    state.m_strInstallFolder = m_dir.File("file");
    EXPECT_FALSE(PrepareFolders(state));
    state.m_strInstallFolder = m_dir.File("file/sub");
    m_prompter.QueueReply(PromptReply::Yes);
    EXPECT_FALSE(PrepareFolders(state));
    ASSERT_EQ(m_prompter.m_entries.size(), 3u);
    EXPECT_EQ(m_prompter.m_entries[0].text, m_dir.File("file") + " is not a directory !");
    EXPECT_EQ(m_prompter.m_entries[0].caption, "Bad directory");
    EXPECT_EQ(m_prompter.m_entries[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(m_prompter.m_entries[2].text, "Failed to create " + m_dir.File("file/sub") + " !");
    EXPECT_EQ(m_prompter.m_entries[2].caption, "Bad directory");

    m_prompter.m_entries.clear();
    std::filesystem::create_directories(m_strInstall);
    ASSERT_TRUE(WriteFileBytes(m_strInstall + "/My Photos", "x"));
    state.m_strInstallFolder = m_strInstall;
    state.m_package.description = "Summer";
    EXPECT_TRUE(PrepareFolders(state));
    ExpectOnlyMessage("Failed to create " + Book("").substr(0, Book("").size() - 1) + " !", "Bad directory");
}

TEST_F(Installation, AnOlderFileAsksBeforeReplacingANewerOneAndNoKeepsIt)
{
    std::filesystem::create_directories(m_strInstall);
    ASSERT_TRUE(WriteFileBytes(m_strInstall + "/Corvale.exe", VersionedFile("2.0.0.10")));
    Package("Corvale.exe", VersionedFile("1.9.0.100"));
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.exe"), VersionedFile("2.0.0.10"));
    ASSERT_EQ(m_prompter.m_entries.size(), 2u);
    const RecordingPrompter::Entry& question = m_prompter.m_entries[0];
    EXPECT_EQ(question.text,
              "Warning!  You are about to replace a newer version of this file:\n\n" + m_strInstall +
                  "/Corvale.exe\n\nwith an older version.\n\nThe newer version is:  \t2.0.00.0010\n"
                  "The older version is:  \t1.9.00.0100\n\nUnless you have VERY GOOD reason for doing "
                  "this, it is usually a bad idea\nto replace a newer file with an older copy of that "
                  "file.  Replace it anyway?");
    EXPECT_EQ(question.caption, "Overwrite warning");
    EXPECT_EQ(question.buttons, PromptButtons::YesNoDefaultNo);
    // Declining is no failure: the install still completes.
    EXPECT_EQ(m_prompter.m_entries[1].text, "Corvale for Windows installed successfully!");

    m_prompter.m_entries.clear();
    m_prompter.QueueReply(PromptReply::Yes);
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.exe"), VersionedFile("1.9.0.100"));
    EXPECT_EQ(m_prompter.m_entries.size(), 2u);
}

TEST_F(Installation, NoQuestionWithoutTwoVersionsOrWhenTheSourceIsNotOlder)
{
    std::filesystem::create_directories(m_strInstall);
    // Target without a version; then equal versions; then a newer source
    // (the lower half decides when the upper halves are equal).
    ASSERT_TRUE(WriteFileBytes(m_strInstall + "/Corvale.exe", "no record"));
    Package("Corvale.exe", VersionedFile("1.0.0.1"));
    ASSERT_TRUE(Install());
    Package("Corvale.exe", VersionedFile("1.0.0.1") + "x");
    ASSERT_TRUE(Install());
    Package("Corvale.exe", VersionedFile("1.0.1.0"));
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.exe"), VersionedFile("1.0.1.0"));
    // A source without a record replaces a target that has one.
    Package("Corvale.exe", "plain");
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Corvale.exe"), "plain");
    for (const RecordingPrompter::Entry& entry : m_prompter.m_entries)
        EXPECT_EQ(entry.caption, "Install Completed");
}

TEST_F(Installation, AReadOnlyTargetIsReplacedAndTheCopyIsAnOrdinaryFile)
{
    std::filesystem::create_directories(m_strInstall + "/My Photos/Summer");
    ASSERT_TRUE(WriteFileBytes(Book("Summer.pbk"), "OLD"));
    chmod(Book("Summer.pbk").c_str(), 0444);
    chmod((m_strPackage + "/beach.jpg").c_str(), 0444);
    chmod((m_strPackage + "/Corvale.exe").c_str(), 0555);
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFileBytes(Book("Summer.pbk")), "BOOK");
    EXPECT_TRUE(ModeOf(Book("Summer.pbk")) & S_IWUSR);
    EXPECT_TRUE(ModeOf(Book("beach.jpg")) & S_IWUSR);
    // A program stays a program.
    EXPECT_TRUE(ModeOf(m_strInstall + "/Corvale.exe") & S_IXUSR);
    EXPECT_TRUE(ModeOf(m_strInstall + "/Corvale.exe") & S_IWUSR);
}

TEST_F(Installation, CancelKeepsWhatWasCopiedWithTheUninstallerThatRemovesIt)
{
    m_progress.m_nCancelAtPump = 2;
    EXPECT_FALSE(Install());
    EXPECT_TRUE(FileExistsAt(m_strInstall + "/Corvale.exe"));
    EXPECT_TRUE(FileExistsAt(Book("Summer.pbk")));
    EXPECT_FALSE(FileExistsAt(Book("beach.jpg")));
    // Nothing after the failure: no registry values, no ini file contents,
    // no shortcut, no start-up entries.
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, "Software\\Quillfen\\Books", "Summer"), "<none>");
    EXPECT_FALSE(FileExistsAt(m_strWindows + "/setup.ini"));
    EXPECT_TRUE(m_viewer.m_runs.empty());
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kRunOnceKey, "GrpConv"), "<none>");
    EXPECT_EQ(m_progress.m_nClosed, 1);
    ExpectOnlyMessage(std::string(kScriptFailed) + "\nSetup was cancelled.", kInstallError);
    EXPECT_EQ(m_prompter.m_entries[0].icon, PromptIcon::Exclamation);

    // The uninstaller placed before the files removes what was copied.
    m_prompter.m_entries.clear();
    m_env.ownProgramPath = m_strInstall + "/Uninstall.exe";
    FakeProgress progress;
    ASSERT_TRUE(RunUninstall(progress, m_env));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Corvale.exe"));
    EXPECT_FALSE(FileExistsAt(Book("Summer.pbk")));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Uninstall.exe"));
}

TEST_F(Installation, AFailedCopyLeavesTheOldFileAndIsReportedWithoutIniFiles)
{
    // A folder where the package's file should be cannot be copied; without
    // ini files the failure is reported after the registry step.
    std::filesystem::create_directories(m_strInstall + "/My Photos/Summer");
    ASSERT_TRUE(WriteFileBytes(Book("beach.jpg"), "GOOD"));
    std::filesystem::remove(m_strPackage + "/beach.jpg");
    std::filesystem::create_directories(m_strPackage + "/beach.jpg");
    std::string script = kScript;
    script.replace(script.find("UpdateInis=BookInis"), 19, ";");
    EXPECT_FALSE(Install(script));
    EXPECT_EQ(ReadFileBytes(Book("beach.jpg")), "GOOD");
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, "Software\\Quillfen\\Books", "Summer"), "<none>");
    ExpectOnlyMessage(std::string(kScriptFailed) + "\nA file of the package is missing.", kInstallError);
    // No temporary file is left beside the target.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(m_strInstall + "/My Photos/Summer"))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST_F(Installation, ARegistryFailureStopsTheRegistryStepAndIsReportedBeforeAnyIniFile)
{
    // A damaged store is never rewritten, so setting a value in it fails.
    std::filesystem::create_directories(m_registry.Folder());
    ASSERT_TRUE(WriteFileBytes(m_env.registry.FileOf(RegistryRoot::CurrentUser), "garbage"));
    EXPECT_FALSE(Install());
    EXPECT_TRUE(FileExistsAt(Book("beach.jpg")));
    EXPECT_FALSE(FileExistsAt(m_strWindows + "/setup.ini"));
    ExpectOnlyMessage(std::string(kScriptFailed) + "\nThe registry store is damaged.", kInstallError);
}

TEST_F(Installation, AScriptWhoseListsCannotBeBuiltCarriesNothingOut)
{
    std::string script = kScript + ScriptText({"[Option3Section]", "AddReg=Loop", "[Loop]",
                                               "HKCU,Software\\X,V,0,\"%LOOP%\""});
    script.insert(script.find("PHOTOS_DESC"), "LOOP=\"%LOOP%%LOOP%\"\r\n");
    EXPECT_FALSE(Install(script));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Corvale.exe"));
    EXPECT_FALSE(FileExistsAt(Book("Summer.pbk")));
    EXPECT_FALSE(FileExistsAt(m_strWindows + "/setup.ini"));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Uninstall.exe"));
    ExpectOnlyMessage(std::string(kScriptFailed) + "\nThe setup script asks for work that does not end.",
                      kInstallError);
}

TEST_F(Installation, IniFilesThatCannotBeCreatedOrWrittenEndSetup)
{
    // A folder part that does not exist: the file cannot be created.
    std::string script = kScript;
    script.replace(script.find("SETUP.INI"), 9, "sub/x.ini");
    EXPECT_FALSE(Install(script));
    ExpectOnlyMessage("Cannot create ini file for installation", "INI file creation");
    EXPECT_EQ(m_prompter.m_entries[0].icon, PromptIcon::Exclamation);

    // A folder in the file's place: what was written cannot take its name.
    m_prompter.m_entries.clear();
    std::filesystem::remove(m_strWindows + "/setup.ini");
    std::filesystem::create_directories(m_strWindows + "/setup.ini/keep");
    EXPECT_FALSE(Install());
    ExpectOnlyMessage("Cannot write to ini file", "INI file creation");
    EXPECT_TRUE(std::filesystem::is_directory(m_strWindows + "/setup.ini/keep"));
}

TEST_F(Installation, TheWholeSetupProgramBecomesTheUninstallerOrSetupEndsWithItsMessage)
{
    // Far larger than one read of the program file.
    std::string program(300000, 'p');
    program[299999] = 'E';
    Package("setup", program);
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFileBytes(m_strInstall + "/Uninstall.exe"), program);

    struct Case {
        std::function<void()> arrange;
        std::string text;
    };
    std::vector<Case> cases = {
        {[&] { m_env.ownProgramPath = m_dir.File("missing"); }, "Cannot open setup file for copy"},
        {[&] { m_env.ownProgramPath = m_strPackage + "/setup"; std::filesystem::remove(m_strInstall + "/Uninstall.exe");
               std::filesystem::create_directories(m_strInstall + "/Uninstall.exe/keep"); },
         "Error copying to uninstall file"},
    };
    for (const Case& c : cases) {
        m_prompter.m_entries.clear();
        m_viewer.m_runs.clear();
        c.arrange();
        EXPECT_FALSE(Install());
        ExpectOnlyMessage(c.text, "Uninstall copy failed");
        EXPECT_TRUE(m_viewer.m_runs.empty());
    }

    // An installation folder that is not there when the uninstaller is made.
    m_prompter.m_entries.clear();
    SetupScript empty(std::string("[Strings]\r\n"));
    SetupState state = Chosen(empty);
    state.m_strInstallFolder = m_dir.File("gone");
    EXPECT_FALSE(CarryOut(empty, state, m_progress, m_env));
    ExpectOnlyMessage("Cannot create uninstall file", "Uninstall copy failed");
}

TEST_F(Installation, UninstallRemovesFilesAndValuesKeepsKeysAndRemovesItself)
{
    ASSERT_TRUE(Install());
    const std::string books = "Software\\Quillfen\\Books";
    m_env.registry.SetString(RegistryRoot::CurrentUser, books, "Other", "stays");
    // The uninstaller reads the script beside it; a file the user removed
    // already does not stop the uninstall.
    ASSERT_TRUE(WriteFileBytes(m_strInstall + "/Corvale.inf", kScript));
    std::filesystem::remove(Book("beach.jpg"));
    ASSERT_TRUE(WriteFileBytes(m_strWindows + "/setup.ini", "old"));

    m_prompter.m_entries.clear();
    FakeProgress progress;
    m_progress = progress;
    m_viewer.m_runs.clear();
    m_env.ownProgramPath = m_strInstall + "/Uninstall.exe";
    ASSERT_TRUE(RunUninstall(m_progress, m_env));

    EXPECT_FALSE(FileExistsAt(Book("Summer.pbk")));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Corvale.exe"));
    EXPECT_FALSE(FileExistsAt(m_strInstall + "/Uninstall.exe"));
    EXPECT_TRUE(FileExistsAt(m_strInstall + "/Corvale.inf"));
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, books, "Summer"), "<none>");
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, books, "Other"), "stays");
    EXPECT_TRUE(m_env.registry.KeyExists(RegistryRoot::CurrentUser, books));
    // An entry without a value name makes no key.
    EXPECT_FALSE(m_env.registry.KeyExists(RegistryRoot::CurrentUser, "Software\\Quillfen\\Gone"));
    // Ini files are written as when installing.
    EXPECT_EQ(ReadFileBytes(m_strWindows + "/setup.ini"),
              "\r\n[Group1]\r\nSummer=x, y\r\n\r\n[progman.groups]\r\ngroup1=Corvale\r\n");
    EXPECT_TRUE(m_viewer.m_runs.empty());
    EXPECT_EQ(m_progress.m_strTitle, "Removing Corvale...");
    EXPECT_EQ(m_progress.m_names, (Lines{"Copying...", "Summer.pbk", "beach.jpg", "Corvale.exe"}));
    ExpectOnlyMessage("Corvale has been removed from your computer.", "Uninstall Completed");
}

TEST_F(Installation, UninstallWithoutARecordedFolderWorksInItsOwnFolder)
{
    // The uninstaller and its script in a folder no installation recorded.
    std::string own = m_dir.File("other");
    std::filesystem::create_directories(own + "/My Photos/Summer");
    ASSERT_TRUE(WriteFileBytes(own + "/Corvale.inf", kScript));
    ASSERT_TRUE(WriteFileBytes(own + "/Uninstall.exe", "U"));
    ASSERT_TRUE(WriteFileBytes(own + "/My Photos/Summer/Summer.pbk", "BOOK"));
    m_env.ownProgramPath = own + "/Uninstall.exe";
    ASSERT_TRUE(RunUninstall(m_progress, m_env));
    EXPECT_FALSE(FileExistsAt(own + "/My Photos/Summer/Summer.pbk"));
    EXPECT_FALSE(FileExistsAt(own + "/Uninstall.exe"));

    // Without its script it ends with the start-up message.
    m_prompter.m_entries.clear();
    std::filesystem::remove(own + "/Corvale.inf");
    EXPECT_FALSE(RunUninstall(m_progress, m_env));
    ExpectOnlyMessage("Cannot open setup script", "Setup failed");
}

TEST_F(Installation, AFileThatCannotBeDeletedIsAFailure)
{
    std::string own = m_dir.File("other");
    std::filesystem::create_directories(own + "/My Photos/Summer/Summer.pbk/inside");
    ASSERT_TRUE(WriteFileBytes(own + "/Corvale.inf", kScript));
    m_env.ownProgramPath = own + "/Uninstall.exe";
    EXPECT_FALSE(RunUninstall(m_progress, m_env));
    ExpectOnlyMessage(std::string(kScriptFailed) + "\nA file could not be removed.", kInstallError);
}

TEST_F(Installation, AnUninstallerRemovesItsOwnInstallationAndLeavesALaterOneElsewhere)
{
    const std::string books = "Software\\Quillfen\\Books";
    ASSERT_TRUE(Install());
    const std::string first = m_strInstall;
    m_strInstall = m_dir.File("second");
    ASSERT_TRUE(Install());

    m_env.ownProgramPath = first + "/Uninstall.exe";
    ASSERT_TRUE(RunUninstall(m_progress, m_env));
    EXPECT_FALSE(FileExistsAt(first + "/Corvale.exe"));
    EXPECT_FALSE(FileExistsAt(first + "/My Photos/Summer/Summer.pbk"));
    EXPECT_FALSE(FileExistsAt(first + "/Uninstall.exe"));
    EXPECT_TRUE(FileExistsAt(m_strInstall + "/Corvale.exe"));
    EXPECT_TRUE(FileExistsAt(Book("Summer.pbk")));
    // The registry records the second installation: its values stay.
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, books, "Summer"), "Summer");
    EXPECT_EQ(Value(RegistryRoot::LocalMachine, kUserInfoKey, "InstallationPath"), m_strInstall);

    // The recorded one, however its folder is spelled, removes its values too.
    m_env.registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, "InstallationPath",
                             m_strInstall + "/./");
    m_env.ownProgramPath = m_strInstall + "/Uninstall.exe";
    ASSERT_TRUE(RunUninstall(m_progress, m_env));
    EXPECT_FALSE(FileExistsAt(Book("Summer.pbk")));
    EXPECT_EQ(Value(RegistryRoot::CurrentUser, books, "Summer"), "<none>");
}

TEST_F(Installation, EightBitTextBecomesUtf8NamesValuesAndArgumentsOnce)
{
    // e-acute, u-umlaut and the euro sign in Windows-1252, and 0x81, which
    // the code page leaves unassigned; the same script written as UTF-8.
    const std::string cp1252 = ScriptText({
        "[Strings]",
        "PHOTOS_DESC=\"Caf\xE9 \xFC\x80\x81\"",
        "PHOTOS_FILE=\"Caf\xE9.pbk\"",
        "[DestinationDirs]",
        "BookFiles=65601",
        "[Option2Section]",
        "CopyFiles=BookFiles",
        "AddReg=BookReg",
        "UpdateInis=BookInis",
        "[BookFiles]",
        "Caf\xE9.pbk",
        "[BookReg]",
        "HKCU,Software\\Quillfen\\B\xFC" "cher,Caf\xE9,0,\"%65601%\\%PHOTOS_FILE%\"",
        "[BookInis]",
        "pr\xE9" "f.ini,Books,,\"\x80=%65601%\"",
    });
    const std::string folder = "Caf\xC3\xA9 \xC3\xBC\xE2\x82\xAC_";
    Package("Caf\xC3\xA9.pbk", "BOOK");
    for (const std::string& script : {cp1252, Cp1252ToUtf8(cp1252)}) {
        m_viewer.m_runs.clear();
        ASSERT_TRUE(Install(script));
        const std::string book = m_strInstall + "/My Photos/" + folder + "/Caf\xC3\xA9.pbk";
        EXPECT_EQ(ReadFileBytes(book), "BOOK");
        EXPECT_EQ(Value(RegistryRoot::CurrentUser, "Software\\Quillfen\\B\xC3\xBC" "cher", "Caf\xC3\xA9"),
                  m_strInstall + "/My Photos/" + folder + "\\Caf\xC3\xA9.pbk");
        EXPECT_EQ(ReadFileBytes(m_strWindows + "/pr\xC3\xA9" "f.ini"),
                  "\r\n[Books]\r\n\xE2\x82\xAC=" + m_strInstall + "/My Photos/" + folder + "\r\n");
        ASSERT_EQ(m_viewer.m_runs.size(), 1u);
        EXPECT_NE(m_viewer.m_runs[0].find("|/shortcut=" + book + "|"), std::string::npos);
    }
}
