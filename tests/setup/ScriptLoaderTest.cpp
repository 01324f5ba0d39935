#include "platform/Prompter.h"
#include "setup/ScriptLoader.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ScriptLoader, ReadsTheScriptBesideTheProgramInAnyLetterCase)
{
    RecordingPrompter prompter;
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("CORVALE.INF"), "[Strings]\r\nPHOTOS_DESC=\"Trip\"\r\n"));
    SetupScript script;
    std::string folder;
    EXPECT_EQ(LoadScript(dir.File("setup"), script, folder), ScriptLoadStatus::Loaded);
    EXPECT_EQ(folder, dir.Path() + "/");
    EXPECT_EQ(script.LookupString("PHOTOS_DESC", 259), "Trip");
    EXPECT_TRUE(prompter.m_entries.empty());

    EXPECT_EQ(ProgramFolder("C:\\Setup\\setup.exe"), "C:\\Setup\\");
    EXPECT_EQ(ProgramFolder("setup"), "");
}

TEST(ScriptLoader, StartFailuresShowTheirMessageUnderSetupFailed)
{
    TempDir dir;
    TempDir folderInstead;
    std::filesystem::create_directory(folderInstead.File("Corvale.inf"));
    TempDir tooLarge;
    ASSERT_TRUE(WriteFileBytes(tooLarge.File("Corvale.inf"),
                               std::string(static_cast<size_t>(kMaxScriptBytes) + 1, 'x')));

    struct Case {
        std::string program;
        ScriptLoadStatus status;
        const char* text;
    };
    for (const Case& c : {Case{"", ScriptLoadStatus::NoSelfIdentity, "Cannot get self-identity information"},
                          Case{dir.File("setup"), ScriptLoadStatus::CannotOpen, "Cannot open setup script"},
                          Case{folderInstead.File("setup"), ScriptLoadStatus::CannotOpen,
                               "Cannot open setup script"},
                          Case{tooLarge.File("setup"), ScriptLoadStatus::CannotRead,
                               "Cannot read setup script"}}) {
        RecordingPrompter prompter;
        SetupScript script;
        std::string folder;
        EXPECT_EQ(LoadScript(c.program, script, folder), c.status) << c.text;
        ASSERT_EQ(prompter.m_entries.size(), 1u) << c.text;
        EXPECT_EQ(prompter.m_entries[0].text, c.text);
        EXPECT_EQ(prompter.m_entries[0].caption, "Setup failed");
        EXPECT_EQ(prompter.m_entries[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompter.m_entries[0].buttons, PromptButtons::Ok);
    }
}
