#include "app/MediaPlayback.h"
#include "app/MediaWindowHost.h"
#include "model/MediaNode.h"
#include "model/MessageBus.h"
#include "model/Router.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompter.h"
#include "platform/SystemFolders.h"
#include "support/NamedPipe.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const char kCannotLaunch[] =
    "Cannot launch any player for this item.\n\nYou should download and install the latest\n"
    "version of the \"Microsoft DirectShow\" from\nMicrosoft in order to play multimedia items\n"
    "with the best results.\n";

struct LaunchRecord {
    std::string kind, program;
    std::vector<std::string> arguments;
    std::string directory;
};

class RecordingLauncher : public ProcessLauncher {
public:
    RecordingLauncher() { ProcessLauncher::Install(this); }
    ~RecordingLauncher() override { ProcessLauncher::Install(nullptr); }

    bool ShellOpen(const std::string& file, const std::string& directory) override
    {
        m_launches.push_back({"open", file, {}, directory});
        return m_bSucceed;
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& directory) override
    {
        m_launches.push_back({"start", program, arguments, directory});
        return m_bSucceed;
    }

    std::vector<LaunchRecord> m_launches;
    bool m_bSucceed = true;
};

class FakeHost : public MediaWindowHost {
public:
    bool IsMediaPlayerAvailable() const override { return m_bAvailable; }
    bool HasMediaWindow() const override { return m_bWindow; }
    void OpenMediaWindow() override
    {
        m_calls.push_back("open");
        m_bWindow = m_bCanOpen;
    }
    void PlayInMediaWindow() override { m_calls.push_back("play"); }

    bool m_bAvailable = false, m_bWindow = false, m_bCanOpen = true;
    std::vector<std::string> m_calls;
};

class SelectionListener : public CRouter {
public:
    void OnMessage(const RouterMessage& message) override
    {
        if (message.m_nCode == RM_SELECT_NODE)
            m_selected.push_back(message.m_pNode);
    }
    std::vector<CBaseNode*> m_selected;
};

class MediaPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(m_dir.File("Gulls.WAV")) << "RIFF";
        std::ofstream(m_dir.File("tune.mid")) << "MThd";
        m_strWindows = m_dir.File("windows");
        setenv("CORVALE_WINDOWS_DIR", m_strWindows.c_str(), 1);
    }
    void TearDown() override { unsetenv("CORVALE_WINDOWS_DIR"); }

    std::unique_ptr<CMediaNode> Item(const std::string& name)
    {
        auto item = std::make_unique<CMediaNode>();
        item->SetFileName(name);
        return item;
    }

    TempDir m_dir;
    std::string m_strWindows;
    RecordingPrompter m_prompter;
    RecordingLauncher m_launcher;
    FakeHost m_host;
    MessageBus m_bus;
};

} // namespace

TEST_F(MediaPlayback, WithoutThePlayerASoundGoesToTheDesktopAndMusicToThePlayerProgram)
{
    auto sound = Item("gulls.wav"); // found without regard to case
    PlayMediaItem(*sound, m_dir.Path(), m_bus, m_host);
    auto music = Item("tune.mid");
    PlayMediaItem(*music, m_dir.Path(), m_bus, m_host);

    ASSERT_EQ(m_launcher.m_launches.size(), 2u);
    EXPECT_EQ(m_launcher.m_launches[0].kind, "open");
    EXPECT_EQ(m_launcher.m_launches[0].program, m_dir.File("Gulls.WAV"));
    EXPECT_EQ(m_launcher.m_launches[0].directory, SystemFolders::CurrentDirectory());
    EXPECT_EQ(m_launcher.m_launches[1].kind, "start");
    std::string program = m_strWindows + "/mplayer.exe";
    EXPECT_EQ(m_launcher.m_launches[1].program, program);
    EXPECT_EQ(m_launcher.m_launches[1].arguments,
              (std::vector<std::string>{"/play", "/close", m_dir.File("tune.mid")}));
    EXPECT_TRUE(m_prompter.m_entries.empty());
    EXPECT_TRUE(m_host.m_calls.empty());
}

TEST_F(MediaPlayback, AFileNameWithQuotesReachesThePlayerAsOneArgument)
{
    const std::string name = "clip\" \"mailto:attacker@example.org.avi";
    std::ofstream(m_dir.File(name)) << "RIFF";
    auto clip = Item(name);
    PlayMediaItem(*clip, m_dir.Path(), m_bus, m_host);
    ASSERT_EQ(m_launcher.m_launches.size(), 1u);
    EXPECT_EQ(m_launcher.m_launches[0].arguments,
              (std::vector<std::string>{"/play", "/close", m_dir.File(name)}));
}

TEST_F(MediaPlayback, AFailedStartSaysNoPlayerCouldBeLaunched)
{
    m_launcher.m_bSucceed = false;
    auto sound = Item("gulls.wav");
    PlayMediaItem(*sound, m_dir.Path(), m_bus, m_host);
    auto music = Item("tune.mid");
    PlayMediaItem(*music, m_dir.Path(), m_bus, m_host);
    ASSERT_EQ(m_prompter.Texts(), (std::vector<std::string>{kCannotLaunch, kCannotLaunch}));
    EXPECT_EQ(m_prompter.m_entries[0].icon, PromptIcon::Exclamation);
}

TEST_F(MediaPlayback, AMissingFileIsReportedWhateverPlayerWouldHaveBeenUsed)
{
    auto gone = Item("Sounds\\gone.wav");
    PlayMediaItem(*gone, m_dir.Path(), m_bus, m_host);
    m_host.m_bAvailable = true;
    PlayMediaItem(*gone, m_dir.Path(), m_bus, m_host);
    EXPECT_EQ(m_prompter.Texts(), (std::vector<std::string>{"Media File Sounds\\gone.wav not found!",
                                                            "Media File Sounds\\gone.wav not found!"}));
    EXPECT_TRUE(m_launcher.m_launches.empty());
    EXPECT_TRUE(m_host.m_calls.empty());

    // An item without a file does nothing at all.
    CMediaNode empty;
    PlayMediaItem(empty, m_dir.Path(), m_bus, m_host);
    EXPECT_EQ(m_prompter.m_entries.size(), 2u);
}

TEST_F(MediaPlayback, APipeOrDeviceIsNoMediaFile)
{
    NamedPipe pipe(m_dir.File("pipe.wav"));
    ASSERT_EQ(::symlink("/dev/zero", m_dir.File("zero.avi").c_str()), 0);
    for (bool available : {false, true}) {
        m_host.m_bAvailable = available;
        PlayMediaItem(*Item("pipe.wav"), m_dir.Path(), m_bus, m_host);
        PlayMediaItem(*Item("zero.avi"), m_dir.Path(), m_bus, m_host);
    }
    EXPECT_EQ(m_prompter.Texts(), (std::vector<std::string>{"Media File pipe.wav not found!",
                                                            "Media File zero.avi not found!",
                                                            "Media File pipe.wav not found!",
                                                            "Media File zero.avi not found!"}));
    EXPECT_TRUE(m_launcher.m_launches.empty());
    EXPECT_TRUE(m_host.m_calls.empty());
}

TEST_F(MediaPlayback, TheFirstPlayOpensTheMediaWindowTellsEveryoneAndPlays)
{
    m_host.m_bAvailable = true;
    SelectionListener listener;
    listener.JoinBus(&m_bus);
    auto sound = Item("gulls.wav");
    PlayMediaItem(*sound, m_dir.Path(), m_bus, m_host);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"open", "play"}));
    EXPECT_EQ(listener.m_selected, (std::vector<CBaseNode*>{sound.get()}));

    // With the window there, the item is only played (the selection that led
    // here has already reached the window).
    PlayMediaItem(*sound, m_dir.Path(), m_bus, m_host);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"open", "play", "play"}));
    EXPECT_EQ(listener.m_selected.size(), 1u);
    EXPECT_TRUE(m_launcher.m_launches.empty());
}

TEST_F(MediaPlayback, AMediaWindowThatCannotBeMadeIsReported)
{
    m_host.m_bAvailable = true;
    m_host.m_bCanOpen = false;
    auto sound = Item("gulls.wav");
    PlayMediaItem(*sound, m_dir.Path(), m_bus, m_host);
    EXPECT_EQ(m_prompter.Texts(), std::vector<std::string>{"Cannot open Media Viewer"});
    EXPECT_EQ(m_host.m_calls, std::vector<std::string>{"open"});
    EXPECT_TRUE(m_launcher.m_launches.empty());
}

TEST(MediaPlayerProgram, JoinsTheWindowsFolderWithOneSeparator)
{
    EXPECT_EQ(MediaPlayerProgram("C:\\WINDOWS"), "C:\\WINDOWS/mplayer.exe");
    EXPECT_EQ(MediaPlayerProgram("C:\\"), "C:\\mplayer.exe");
    EXPECT_EQ(MediaPlayerProgram("/"), "/mplayer.exe");
    EXPECT_EQ(MediaPlayerProgram("/opt/win"), "/opt/win/mplayer.exe");
}
