#include "platform/ProcessLauncher.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <gtest/gtest.h>

namespace {

// The detached program runs on its own: wait (a while at most) for its trace.
std::string WaitForFile(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        std::string s = text.str();
        if (!s.empty() && s.back() == '\n')
            return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

// A script that writes its working folder and arguments, one a line, to `trace`.
void WriteTracer(const std::string& script, const std::string& trace)
{
    std::ofstream(script) << "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"" << trace
                          << ".tmp\"\nmv \"" << trace << ".tmp\" \"" << trace << "\"\n";
    chmod(script.c_str(), 0755);
}

} // namespace

TEST(SplitCommandLine, FollowsTheWindowsQuotingRules)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\p.exe\" /play /close \"a b.mid\""),
              (V{"C:\\Program Files\\p.exe", "/play", "/close", "a b.mid"}));
    EXPECT_EQ(SplitCommandLine("  a\t\tb  "), (V{"a", "b"}));
    EXPECT_EQ(SplitCommandLine("\"\" x"), (V{"", "x"}));
    EXPECT_EQ(SplitCommandLine("a\\\\b \\\"q\\\" c\\\\\\\"d"), (V{"a\\\\b", "\"q\"", "c\\\"d"}));
    EXPECT_EQ(SplitCommandLine("say\" hello \"there"), (V{"say hello there"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(StartDetachedProcess, RunsTheProgramInItsFolderAndReportsWhatCannotStart)
{
    TempDir dir;
    std::string script = dir.File("tracer.sh"), trace = dir.File("trace");
    WriteTracer(script, trace);
    ASSERT_TRUE(StartDetachedProcess({script, "one two", "x"}, dir.Path()));
    EXPECT_EQ(WaitForFile(trace), dir.Path() + "\none two\nx\n");

    EXPECT_FALSE(StartDetachedProcess({dir.File("no-such-program")}, dir.Path()));
    EXPECT_FALSE(StartDetachedProcess({script}, dir.File("no-such-folder")));
    EXPECT_FALSE(StartDetachedProcess({}, dir.Path()));
}

TEST(ProcessLauncher, APresentPlayerProgramGetsItsCommandLineElseTheConfiguredPlayerGetsTheFile)
{
    ScopedRegistry registry;
    TempDir dir;
    ProcessLauncher& launcher = ProcessLauncher::Current();

    std::string program = dir.File("mplayer.exe"), trace = dir.File("trace");
    WriteTracer(program, trace);
    // Quotes and blanks in a file name stay inside the one argument.
    const std::string hostile = "clip\" \"mailto:attacker@example.org";
    ASSERT_TRUE(launcher.StartProgram(program, {"/play", "/close", hostile}, dir.Path()));
    EXPECT_EQ(WaitForFile(trace), dir.Path() + "\n/play\n/close\n" + hostile + "\n");

    std::string player = dir.File("player.sh"), playerTrace = dir.File("player-trace");
    WriteTracer(player, playerTrace);
    Settings settings = Settings::Profile();
    ASSERT_TRUE(settings.WriteString(SettingKey::MediaPlayerCommand, "\"" + player + "\" --quiet"));
    std::string absent = dir.File("absent/mplayer.exe");
    ASSERT_TRUE(launcher.StartProgram(absent, {"/play", "/close", hostile}, dir.Path()));
    EXPECT_EQ(WaitForFile(playerTrace), dir.Path() + "\n--quiet\n" + hostile + "\n");
    std::remove(playerTrace.c_str());
    // Nor can a name be read as an option.
    ASSERT_TRUE(launcher.StartProgram(absent, {"/play", "/close", "--version.mid"}, dir.Path()));
    EXPECT_EQ(WaitForFile(playerTrace), dir.Path() + "\n--quiet\n./--version.mid\n");

    ASSERT_TRUE(settings.WriteString(SettingKey::MediaPlayerCommand, dir.File("missing-player")));
    EXPECT_FALSE(launcher.StartProgram(absent, {"/play", "/close", "x.mid"}, dir.Path()));
}

TEST(RunProcessAndWait, ReturnsOnlyWhenTheProgramHasEndedOrTheLimitHasPassed)
{
    TempDir dir;
    std::string script = dir.File("slow.sh"), trace = dir.File("trace");
    // Ends a moment after it starts; the trace is there the moment the wait returns.
    std::ofstream(script) << "#!/bin/sh\nsleep 0.2\npwd > \"" << trace << "\"\necho \"$1\" >> \"" << trace
                          << "\"\n";
    chmod(script.c_str(), 0755);
    EXPECT_EQ(RunProcessAndWait({script, "a b"}, dir.Path()), ProcessWait::Ended);
    EXPECT_EQ(ReadFileBytes(trace), dir.Path() + "\na b\n");

    EXPECT_EQ(RunProcessAndWait({dir.File("no-such-program")}, dir.Path()), ProcessWait::NotStarted);
    EXPECT_EQ(RunProcessAndWait({script}, dir.File("no-such-folder")), ProcessWait::NotStarted);
    EXPECT_EQ(RunProcessAndWait({}, dir.Path()), ProcessWait::NotStarted);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProcessAndWait({"sleep", "1"}, dir.Path(), std::chrono::milliseconds(50)),
              ProcessWait::StillRunning);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
}

TEST(ProcessLauncher, RunProgramAndWaitHandsEachArgumentOverAsItIs)
{
    TempDir dir;
    std::string program = dir.File("viewer.exe"), trace = dir.File("trace");
    WriteTracer(program, trace);
    // A quote in a book's folder name must not split or end the argument.
    EXPECT_EQ(ProcessLauncher::Current().RunProgramAndWait(program, {"/shortcut=/a \"b\" c/d.pbk"}, dir.Path(),
                                                           kWaitWithoutLimit),
              ProcessWait::Ended);
    EXPECT_EQ(ReadFileBytes(trace), dir.Path() + "\n/shortcut=/a \"b\" c/d.pbk\n");
    // The waiting start has no stand-in: a missing program is simply not started.
    EXPECT_EQ(ProcessLauncher::Current().RunProgramAndWait(dir.File("none.exe"), {"x"}, dir.Path(),
                                                           kWaitWithoutLimit),
              ProcessWait::NotStarted);
}
