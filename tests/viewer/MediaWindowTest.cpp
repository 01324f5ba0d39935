#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "model/MediaNode.h"
#include "model/PhotoNode.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MediaPlayer.h"
#include "viewer/MediaView.h"
#include "viewer/MediaWindowManager.h"

#include <QApplication>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class RecordingLauncher : public ProcessLauncher {
public:
    RecordingLauncher() { ProcessLauncher::Install(this); }
    ~RecordingLauncher() override { ProcessLauncher::Install(nullptr); }
    bool ShellOpen(const std::string& file, const std::string&) override
    {
        m_opened.push_back(file);
        return true;
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>&,
                      const std::string&) override
    {
        m_started.push_back(program);
        return true;
    }
    std::vector<std::string> m_opened, m_started;
};

// A quarter second of 8 kHz mono silence.
void WriteWave(const std::string& path)
{
    const uint32_t samples = 2000;
    auto u32 = [](std::ofstream& o, uint32_t v) { o.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::ofstream& o, uint16_t v) { o.write(reinterpret_cast<const char*>(&v), 2); };
    std::ofstream out(path, std::ios::binary);
    out << "RIFF";
    u32(out, 36 + samples);
    out << "WAVEfmt ";
    u32(out, 16);
    u16(out, 1);
    u16(out, 1);
    u32(out, 8000);
    u32(out, 8000);
    u16(out, 1);
    u16(out, 8);
    out << "data";
    u32(out, samples);
    out << std::string(samples, '\x80');
}

class MediaWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        Settings settings = Settings::Profile();
        ASSERT_TRUE(settings.WriteInt(SettingKey::PostInstallWasRun, 1));
        WriteWave(m_dir.File("waves.wav"));
        std::ofstream(m_dir.File("film.avi")) << "not really a film";

        CCorvaleDoc doc;
        doc.m_strBookTitle = "Coast";
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName("coast.gif");
        CPhotoNode* coast = doc.m_root.AddPhoto(std::move(photo));
        for (const char* name : {"WAVES.WAV", "film.avi"}) {
            auto item = std::make_unique<CMediaNode>();
            item->SetFileName(name);
            coast->AddMedia(std::move(item));
        }
        m_strBook = m_dir.File("coast.pbk");
        ASSERT_TRUE(doc.OnSaveDocument(m_strBook));

        ASSERT_TRUE(m_app.InitInstance({QStringLiteral("Corvale")}));
        m_pPrompter = std::make_unique<RecordingPrompter>();
        m_pDoc = m_app.OpenDocumentFile(m_strBook);
        ASSERT_NE(m_pDoc, nullptr);
        m_pPhoto = m_pDoc->m_root.GetPhotoChild(0);
        m_pWindows = m_app.GetMediaWindows();
    }

    CommandState State(int id)
    {
        CommandState state;
        m_app.OnUpdateCommand(id, state);
        return state;
    }

    ScopedRegistry m_registry;
    TempDir m_dir;
    std::string m_strBook;
    RecordingLauncher m_launcher;
    CCorvaleApp m_app;
    std::unique_ptr<RecordingPrompter> m_pPrompter;
    CCorvaleDoc* m_pDoc = nullptr;
    CPhotoNode* m_pPhoto = nullptr;
    CMediaWindowManager* m_pWindows = nullptr;
};

} // namespace

TEST_F(MediaWindow, TheFirstPlayOpensTheWindowWhichFollowsTheSelectedItems)
{
    if (!CMediaPlayer::IsAvailable())
        GTEST_SKIP() << "no multimedia back end on this machine";
    m_app.m_bMediaPlayerAvailable = true;
    CMediaNode* sound = m_pPhoto->GetMediaChild(0);
    CMediaNode* video = m_pPhoto->GetMediaChild(1);

    sound->Play();
    ASSERT_TRUE(m_pWindows->HasMediaWindow());
    CChildFrame* frame = m_pWindows->Frame();
    CMediaPlayer* player = m_pWindows->View()->Player();
    EXPECT_EQ(frame->windowTitle(), "Media Player");
    EXPECT_EQ(frame->Kind(), ChildKind::Media);
    EXPECT_EQ(player->FileName().toStdString(), m_dir.File("waves.wav"));
    EXPECT_EQ(frame->size(), QSize(290, 75));
    EXPECT_EQ(m_pDoc->m_pCurrent, sound); // everyone heard of the item
    EXPECT_EQ(player->Property(1030), QVariant(1));
    EXPECT_EQ(player->Property(1086), QVariant(false));
    EXPECT_TRUE(m_pPrompter->m_entries.empty());
    EXPECT_TRUE(m_launcher.m_opened.empty());

    CRouter::Broadcast(RouterMessage::SelectNode(video));
    EXPECT_EQ(player->FileName().toStdString(), m_dir.File("film.avi"));
    EXPECT_EQ(frame->size(), QSize(290, 300));
    CRouter::Broadcast(RouterMessage::SelectNode(m_pPhoto));
    EXPECT_EQ(player->FileName().toStdString(), m_dir.File("film.avi"));
    EXPECT_EQ(frame->size(), QSize(290, 300));
    CRouter::Broadcast(RouterMessage::SelectNode(sound));
    EXPECT_EQ(frame->size(), QSize(290, 75));

    // A second play keeps the one window.
    sound->Play();
    EXPECT_EQ(m_pWindows->Frame(), frame);
}

TEST_F(MediaWindow, TheCommandTogglesTheWindowAndClosingTheBookTakesItAway)
{
    if (!CMediaPlayer::IsAvailable())
        GTEST_SKIP() << "no multimedia back end on this machine";
    m_app.m_bMediaPlayerAvailable = true;
    EXPECT_TRUE(State(ID_VIEW_MEDIA_PLAYER).enabled);
    EXPECT_FALSE(State(ID_VIEW_MEDIA_PLAYER).checked);

    ASSERT_TRUE(m_app.OnCommand(ID_VIEW_MEDIA_PLAYER));
    ASSERT_TRUE(m_pWindows->HasMediaWindow());
    EXPECT_TRUE(State(ID_VIEW_MEDIA_PLAYER).checked);
    EXPECT_EQ(m_pWindows->Frame()->size(), QSize(290, 300));

    m_app.OnCommand(ID_VIEW_MEDIA_PLAYER);
    EXPECT_FALSE(m_pWindows->HasMediaWindow());
    EXPECT_FALSE(State(ID_VIEW_MEDIA_PLAYER).checked);
    QApplication::processEvents(); // the closed window deletes itself

    m_app.OnCommand(ID_VIEW_MEDIA_PLAYER);
    ASSERT_TRUE(m_pWindows->HasMediaWindow());
    m_app.CloseAllDocuments();
    EXPECT_FALSE(m_pWindows->HasMediaWindow());
    EXPECT_FALSE(State(ID_VIEW_MEDIA_PLAYER).enabled);
    m_app.OnCommand(ID_VIEW_MEDIA_PLAYER); // no Picture Book: nothing to show
    EXPECT_FALSE(m_pWindows->HasMediaWindow());
}

TEST_F(MediaWindow, WithoutThePlayerItemsGoToOutsidePlayersAndNoWindowIsMade)
{
    m_app.m_bMediaPlayerAvailable = false;
    EXPECT_FALSE(State(ID_VIEW_MEDIA_PLAYER).enabled);
    m_pPhoto->GetMediaChild(0)->Play();
    m_pPhoto->GetMediaChild(1)->Play();
    EXPECT_EQ(m_launcher.m_opened, std::vector<std::string>{m_dir.File("waves.wav")});
    ASSERT_EQ(m_launcher.m_started.size(), 1u);
    EXPECT_NE(m_launcher.m_started[0].find("mplayer.exe"), std::string::npos);
    m_app.OnCommand(ID_VIEW_MEDIA_PLAYER);
    EXPECT_FALSE(m_pWindows->HasMediaWindow());
}
