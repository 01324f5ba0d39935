#include "platform/Prompter.h"
#include "platform/SystemFolders.h"
#include "setup/InstallWizardModel.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kWeb = kMakerWebPage;

class WizardModel : public ::testing::Test {
protected:
    // A package that brings the viewer or not, on a computer with the given editions.
    void Situation(bool included, bool viewer, bool plus)
    {
        m_state.m_package.viewerIncluded = included;
        m_state.m_bViewerFound = viewer;
        m_state.m_bPlusFound = plus;
    }
    std::vector<bool> Options() const
    {
        return {m_state.m_bViewerOption, m_state.m_bBookOption, m_state.m_bHelpOption};
    }
    // Free space as the probe reports it; -1 for "cannot be told".
    void FreeSpace(int64_t bytes)
    {
        m_model.SetFreeSpaceProbe([bytes](const std::string&, uint64_t& out) {
            out = static_cast<uint64_t>(bytes);
            return bytes >= 0;
        });
    }

    TempDir m_dir;
    ScopedRegistry m_scoped;
    Registry m_registry = Registry::Default();
    SetupState m_state;
    InstallWizardModel m_model{m_state, m_registry};
    RecordingPrompter m_prompter;
};

} // namespace

TEST_F(WizardModel, ThePackageTextNamesTheBookAndItsSenderAndTheViewerWhenIncluded)
{
    m_state.m_package = ReadPackageInfo(SetupScript(std::string("[Strings]\r\nPHOTOS_DESC=\"Summer \xE9t\xE9\"\r\n")));
    m_state.m_package.owner = "Ann";
    EXPECT_EQ(m_model.PackageText(), "This setup installs the following Picture Book:\n\n"
                                     "\t\"Summer \xC3\xA9t\xC3\xA9\"\n\nThey were sent to you from Ann.");
    m_state.m_package.viewerIncluded = true;
    EXPECT_EQ(m_model.PackageText(), "This setup installs the following Picture Book:\n\n"
                                     "\t\"Summer \xC3\xA9t\xC3\xA9\"\n\nThey were sent to you from Ann."
                                     "  Also, the Corvale program is included so that you can view the photos.");
}

TEST_F(WizardModel, TheLicenceIsAskedOnlyWhenTheViewerComesToAComputerWithoutOne)
{
    struct Case {
        bool included, viewer, plus, licence, notice;
    };
    for (const Case& c : {Case{true, false, false, true, false}, Case{true, true, false, false, false},
                          Case{true, false, true, false, false}, Case{false, false, false, false, true},
                          Case{false, true, false, false, false}, Case{false, false, true, false, false}}) {
        SetupState state;
        InstallWizardModel model(state, m_registry);
        state.m_package.viewerIncluded = c.included;
        state.m_bViewerFound = c.viewer;
        state.m_bPlusFound = c.plus;
        EXPECT_EQ(model.NeedsLicence(), c.licence) << c.included << c.viewer << c.plus;
        EXPECT_EQ(state.m_bLicenceAccepted, !c.licence);
        EXPECT_EQ(model.NeedsViewerNotice(), c.notice);
    }
    // Once accepted it is never asked again.
    Situation(true, false, false);
    ASSERT_TRUE(m_model.NeedsLicence());
    m_model.AcceptLicence();
    EXPECT_FALSE(m_model.NeedsLicence());
}

TEST_F(WizardModel, TheTypeChoiceSetsTheOptionsAndExpressComesFirst)
{
    m_model.ShowTypePage();
    EXPECT_EQ(m_state.m_installType, InstallType::Express);
    EXPECT_EQ(Options(), (std::vector<bool>{true, true, true}));
    m_model.ChooseType(InstallType::Minimal);
    EXPECT_EQ(Options(), (std::vector<bool>{false, true, false}));
    m_model.ShowTypePage(); // shown again: the choice stays
    EXPECT_EQ(m_state.m_installType, InstallType::Minimal);
    m_model.ChooseType(InstallType::Custom);
    EXPECT_EQ(Options(), (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(m_model.AnyOptionChosen());
}

TEST_F(WizardModel, TheCustomPageIsAdjustedOnceByWhatIsIncludedAndInstalled)
{
    const std::string suggestion =
        "        SUGGESTION: Keep this option checked on!\n\nRemember: You need to install Corvale "
        "before you can view the Picture Book!  If you are interested in upgrading to Corvale PLUS, "
        "go to \"" + kWeb + "\" to learn more.";
    struct Case {
        bool included, viewer, plus;
        std::vector<bool> options; // after Express was chosen
        bool viewerEnabled;
        std::string note;
    };
    const Case cases[] = {
        {false, false, false, {false, true, false}, false,
         "You do not have Corvale installed, and it is not included in this install either.  You "
         "need to get Corvale before you can view these photos!  After this install is done, go to \"" +
             kWeb + "\" for help."},
        {false, true, false, {false, true, false}, false,
         "Corvale is not included in this installation, but you already have it installed on your "
         "computer anyway.  If you are interested in upgrading to Corvale PLUS, go to \"" + kWeb +
             "\" to learn more."},
        {true, false, false, {true, true, true}, true, suggestion},
        {true, true, false, {false, true, false}, true,
         "Corvale is included in this installation, but you already have it on your computer.  You "
         "can re-install it if you think your own copy is out of date.  If you are interested in "
         "upgrading to Corvale PLUS, go to \"" + kWeb + "\" to learn more."},
        {true, false, true, {false, true, false}, false,
         "Corvale is included in this installation, but you already have Corvale PLUS installed.  "
         "Corvale should NOT be re-installed on top of Corvale PLUS."},
        {true, true, true, {true, true, true}, true, suggestion},
    };
    for (const Case& c : cases) {
        SetupState state;
        InstallWizardModel model(state, m_registry);
        state.m_package.viewerIncluded = c.included;
        state.m_bViewerFound = c.viewer;
        state.m_bPlusFound = c.plus;
        model.ShowTypePage();
        const CustomPageLayout& layout = model.ShowCustomPage();
        EXPECT_EQ((std::vector<bool>{state.m_bViewerOption, state.m_bBookOption, state.m_bHelpOption}),
                  c.options) << c.included << c.viewer << c.plus;
        EXPECT_EQ(layout.viewerEnabled, c.viewerEnabled);
        EXPECT_EQ(layout.helpEnabled, c.viewerEnabled);
        EXPECT_EQ(layout.note, c.note);
    }
}

TEST_F(WizardModel, CustomChosenTwiceLeavesNothingTickedTheSecondTime)
{
    Situation(true, false, false);
    m_model.ShowTypePage();
    m_model.ChooseType(InstallType::Custom);
    m_model.ShowCustomPage(); // first time: the viewer is suggested
    EXPECT_EQ(Options(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(m_model.AnyOptionChosen());
    m_model.ToggleOption(WizardOption::Help);
    EXPECT_TRUE(m_model.Option(WizardOption::Help));

    m_model.ChooseType(InstallType::Custom); // back on the type page
    m_model.ShowCustomPage();
    EXPECT_EQ(Options(), (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(m_model.AnyOptionChosen());
}

TEST_F(WizardModel, TheInstructionLineFollowsTheProgramOptionAndWhatWasFound)
{
    struct Case {
        bool option, viewer, plus;
        const char* line;
    };
    for (const Case& c : {
             Case{true, false, false, "Enter the \"folder\" (directory path) where Corvale should be installed."},
             Case{true, false, true, "Enter the \"folder\" (directory path) where Corvale should be installed."},
             Case{true, true, false, "Corvale was found already in this path.  It will be overwritten here "
                                     "unless you enter a new installation path."},
             Case{false, true, false, "Corvale was found in this path.  Your files will be installed below "
                                      "this path unless you enter a different path."},
             Case{false, false, true, "Corvale was found in this path.  Your files will be installed below "
                                      "this path unless you enter a different path."},
             Case{false, false, false, "Enter the \"folder\" (directory path) under which your files should "
                                       "be installed."},
         }) {
        m_state.m_bViewerOption = c.option;
        m_state.m_bViewerFound = c.viewer;
        m_state.m_bPlusFound = c.plus;
        EXPECT_EQ(MessageText(m_model.InstructionLine()), std::string(c.line));
    }
}

TEST_F(WizardModel, TheWherePageOffersThePlusFolderElseTheDefaultOnce)
{
    m_state.m_strInstallFolder = "/old";
    m_state.m_strPlusFolder = "/plus";
    m_model.ShowWherePage();
    EXPECT_EQ(m_state.m_strInstallFolder, "/plus");
    m_state.m_strInstallFolder = "/typed";
    m_model.ShowWherePage();
    EXPECT_EQ(m_state.m_strInstallFolder, "/typed");

    SetupState fresh;
    InstallWizardModel model(fresh, m_registry);
    model.ShowWherePage();
    EXPECT_EQ(fresh.m_strInstallFolder, SystemFolders::ProgramFilesFolder() + "/Quillfen/Corvale");
}

TEST_F(WizardModel, SpaceCountsTheChosenPartsThatTheScriptSizes)
{
    m_state.m_package.spaceViewer = 1500000;
    m_state.m_package.spacePhotos = -1; // missing from the script
    m_state.m_package.spaceHelp = 25000;
    m_model.ChooseType(InstallType::Express);
    RequiredSpace space = m_model.ComputeRequiredSpace();
    EXPECT_EQ(space.viewer, 1500000u);
    EXPECT_EQ(space.photos, 0u);
    EXPECT_EQ(space.total, 1525000u);
    EXPECT_EQ(m_state.m_nRequiredSpace, 1525000u);
    EXPECT_EQ(InstallWizardModel::FormatMegabytes(space.viewer), " 1.50 Meg");
    EXPECT_EQ(InstallWizardModel::FormatMegabytes(space.photos), " 0.00 Meg");
    EXPECT_EQ(InstallWizardModel::FormatMegabytes(space.total), " 1.52 Meg");

    m_model.ChooseType(InstallType::Minimal);
    EXPECT_EQ(m_model.ComputeRequiredSpace().total, 0u);
    // Sizes past 4 GB add up without wrapping.
    m_state.m_package.spaceViewer = m_state.m_package.spaceHelp = int64_t(3) << 30;
    m_model.ChooseType(InstallType::Express);
    EXPECT_EQ(m_model.ComputeRequiredSpace().total, uint64_t(6) << 30);
    // Claims near the largest number the script can hold neither wrap nor fit.
    m_state.m_package.spaceViewer = m_state.m_package.spacePhotos = m_state.m_package.spaceHelp =
        INT64_MAX;
    EXPECT_EQ(m_model.ComputeRequiredSpace().total, UINT64_MAX);
}

TEST_F(WizardModel, TheTypedPathLosesTrailingSeparatorsAndBecomesAbsolute)
{
    EXPECT_EQ(InstallWizardModel::FolderFromField("/opt/corvale\\\\"), "/opt/corvale");
    EXPECT_EQ(InstallWizardModel::FolderFromField("/opt/corvale//"), "/opt/corvale");
    EXPECT_EQ(InstallWizardModel::FolderFromField("/"), "/");
    EXPECT_EQ(InstallWizardModel::FolderFromField("~/Pictures/"), SystemFolders::HomeFolder() + "/Pictures");
    EXPECT_EQ(InstallWizardModel::FolderFromField("books/x/../y"),
              (std::filesystem::current_path() / "books/y").string());
    EXPECT_EQ(InstallWizardModel::FolderFromField(std::string(300, 'a')).size(),
              std::filesystem::current_path().string().size() + 1 + kMaxStateText);
}

TEST_F(WizardModel, LeavingTheWherePageChecksTheFolder)
{
    FreeSpace(-1);
    // A file is no folder.
    const std::string file = m_dir.File("file");
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    EXPECT_FALSE(m_model.LeaveWherePage(file + "\\"));
    ASSERT_EQ(m_prompter.m_entries.size(), 1u);
    EXPECT_EQ(m_prompter.m_entries[0].text, "What you selected is NOT a directory!");
    EXPECT_EQ(m_prompter.m_entries[0].caption, "Bad directory");
    EXPECT_EQ(m_prompter.m_entries[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(m_state.m_strInstallFolder, "");

    // A missing folder is made only when the user says so, with its parents.
    const std::string folder = m_dir.File("a/b/c");
    m_prompter.m_entries.clear();
    EXPECT_FALSE(m_model.LeaveWherePage(folder));
    EXPECT_FALSE(std::filesystem::exists(folder));
    m_prompter.QueueReply(PromptReply::Yes);
    EXPECT_TRUE(m_model.LeaveWherePage(folder + "\\\\"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(m_state.m_strInstallFolder, folder);
    ASSERT_EQ(m_prompter.m_entries.size(), 2u);
    EXPECT_EQ(m_prompter.m_entries[1].text, "No such directory exists.  Create it?");
    EXPECT_EQ(m_prompter.m_entries[1].caption, "No directory");
    EXPECT_EQ(m_prompter.m_entries[1].buttons, PromptButtons::YesNo);

    // One that cannot be made (its parent is a file) stays on the page.
    m_prompter.m_entries.clear();
    m_prompter.QueueReply(PromptReply::Yes);
    EXPECT_FALSE(m_model.LeaveWherePage(file + "/sub"));
    EXPECT_EQ(m_prompter.Texts(), (std::vector<std::string>{
                                      "No such directory exists.  Create it?",
                                      "Failed to create the directory!"}));
    EXPECT_EQ(m_prompter.m_entries[1].caption, "Bad directory");
    EXPECT_EQ(m_state.m_strInstallFolder, folder);
}

TEST_F(WizardModel, TooLittleFreeSpaceAsksWithNoAsTheDefault)
{
    m_state.m_package.spacePhotos = 5000;
    m_model.ChooseType(InstallType::Minimal);
    m_model.ComputeRequiredSpace();
    FreeSpace(4999);
    EXPECT_FALSE(m_model.LeaveWherePage(m_dir.Path()));
    ASSERT_EQ(m_prompter.m_entries.size(), 1u);
    EXPECT_EQ(m_prompter.m_entries[0].text,
              "Not enough space to install here\n\nThis installation will most likely fail\nunless you "
              "choose a different hard drive\nor remove some files from this hard drive.\n\nProceed anyway ?");
    EXPECT_EQ(m_prompter.m_entries[0].caption, "Insufficient space");
    EXPECT_EQ(m_prompter.m_entries[0].buttons, PromptButtons::YesNoDefaultNo);
    m_prompter.QueueReply(PromptReply::Yes);
    EXPECT_TRUE(m_model.LeaveWherePage(m_dir.Path()));

    // Enough space, or space that cannot be told, asks nothing.
    m_prompter.m_entries.clear();
    FreeSpace(5000);
    EXPECT_TRUE(m_model.LeaveWherePage(m_dir.Path()));
    FreeSpace(-1);
    EXPECT_TRUE(m_model.LeaveWherePage(m_dir.Path()));
    EXPECT_TRUE(m_prompter.m_entries.empty());
}

TEST_F(WizardModel, TheWhoFieldsAreStoredCutToTheirLength)
{
    m_model.StoreWho(std::string(400, 'n'), "Quillfen", "");
    EXPECT_EQ(m_state.m_strUserName, std::string(kMaxStateText, 'n'));
    EXPECT_EQ(m_state.m_strCompanyName, "Quillfen");
    EXPECT_FALSE(InstallWizardModel::CanLeaveWhoPage(""));
    EXPECT_TRUE(InstallWizardModel::CanLeaveWhoPage("Ann"));
}
