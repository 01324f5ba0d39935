#include "platform/EditionRecord.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"
#include "setup/SetupStart.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class SetupStart : public ::testing::Test {
protected:
    // A viewer program in `folder`: the free viewer, or Corvale PLUS.
    void Viewer(const std::string& folder, bool plus)
    {
        std::filesystem::create_directories(folder);
        std::string bytes = "ELF viewer";
        if (plus)
            bytes += PlusEditionRecord() + "rest";
        ASSERT_TRUE(WriteFileBytes(folder + "/Corvale.exe", bytes));
    }

    TempDir m_dir;
    ScopedRegistry m_scoped;
    Registry m_registry = Registry::Default();
    SetupState m_state;
};

} // namespace

TEST(SetupCommandLine, TheUninstallerIsToldByItsNameInAnyCase)
{
    EXPECT_TRUE(IsUninstallCommandLine("/opt/Corvale/Uninstall.exe"));
    EXPECT_TRUE(IsUninstallCommandLine("\"C:\\PROGRA~1\\CORVALE\\UNINSTALL.EXE\" /q"));
    EXPECT_FALSE(IsUninstallCommandLine("/media/cd/setup"));
    EXPECT_FALSE(IsUninstallCommandLine("/media/cd/uninstall"));
}

TEST_F(SetupStart, RegisteredValuesFillTheStateAndMissingOnesLeaveItEmpty)
{
    m_registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoUserName, "Ann");
    m_registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoInstallationPath, "/opt/c");
    m_registry.SetString(RegistryRoot::LocalMachine, kPlusUserInfoKey, kUserInfoInstallationPath, "/opt/p");
    // Registered as a number: not a text, so not taken.
    m_registry.SetDword(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoEmailAddress, 7);
    ReadRegisteredInfo(m_state, m_registry);
    EXPECT_EQ(m_state.m_strUserName, "Ann");
    EXPECT_EQ(m_state.m_strCompanyName, "");
    EXPECT_EQ(m_state.m_strEmailAddress, "");
    EXPECT_EQ(m_state.m_strInstallFolder, "/opt/c");
    EXPECT_EQ(m_state.m_strPlusFolder, "/opt/p");
}

TEST_F(SetupStart, LongValuesAreCutToTheFieldWithoutSplittingACharacter)
{
    // 257 ASCII bytes and then a two-byte character that would end at byte 259.
    std::string name(257, 'a');
    name += "\xC3\xA9";
    m_registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoUserName, name);
    ReadRegisteredInfo(m_state, m_registry);
    EXPECT_EQ(m_state.m_strUserName, std::string(257, 'a'));
    EXPECT_EQ(CutStateText(std::string(300, 'x')).size(), kMaxStateText);
}

TEST_F(SetupStart, EditionsAreFoundByTheProgramInEachRegisteredFolder)
{
    const std::string free = m_dir.File("free"), plus = m_dir.File("plus");
    Viewer(free, false);
    Viewer(plus, true);
    struct Case {
        std::string install, plusFolder;
        bool viewer, plusFound;
        std::string installAfter;
    };
    const std::string missing = m_dir.File("missing");
    for (const Case& c : {
             Case{"", "", false, false, ""},
             Case{missing, missing, false, false, missing},
             Case{free, "", true, false, free},
             Case{free + "/", "", true, false, free + "/"},
             Case{plus, "", false, true, plus},
             Case{free, plus, true, true, free},
             // A free viewer where PLUS was registered offers that folder.
             Case{"", free, true, false, free},
             Case{plus, free, true, true, plus},
         }) {
        SetupState state;
        state.m_strInstallFolder = c.install;
        state.m_strPlusFolder = c.plusFolder;
        DetectEditions(state);
        EXPECT_EQ(state.m_bViewerFound, c.viewer) << c.install << " | " << c.plusFolder;
        EXPECT_EQ(state.m_bPlusFound, c.plusFound) << c.install << " | " << c.plusFolder;
        EXPECT_EQ(state.m_strInstallFolder, c.installAfter);
    }
    // A folder named like the program is no program.
    std::filesystem::create_directories(m_dir.File("odd/Corvale.exe"));
    SetupState odd;
    odd.m_strInstallFolder = m_dir.File("odd");
    DetectEditions(odd);
    EXPECT_FALSE(odd.m_bViewerFound);
}

TEST_F(SetupStart, TheDefaultFolderIsUnderTheRegisteredOrThePlatformsProgramFiles)
{
    EXPECT_EQ(DefaultInstallFolder(m_state, m_registry),
              SystemFolders::ProgramFilesFolder() + "/Quillfen/Corvale");
    m_registry.SetString(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                         "ProgramFilesDir", "/srv/programs/");
    EXPECT_EQ(DefaultInstallFolder(m_state, m_registry), "/srv/programs/Quillfen/Corvale");
    m_state.m_bPlusFound = true;
    EXPECT_EQ(DefaultInstallFolder(m_state, m_registry), "/srv/programs/Quillfen/Corvale PLUS");
    m_state.m_bViewerFound = true;
    EXPECT_EQ(DefaultInstallFolder(m_state, m_registry), "/srv/programs/Quillfen/Corvale");
}
