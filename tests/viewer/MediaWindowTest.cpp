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

#include "platform/MessageTable.h"
#include "viewer/CorvaleView.h"
#include "viewer/MainFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMdiArea>
#include <QMediaPlayer>
#include <QTest>
#include <QToolButton>
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
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string&) override
    {
        m_started.push_back(program);
        std::string line;
        for (const std::string& argument : arguments)
            line += argument + " ";
        m_commandLines.push_back(line);
        return !m_bFail;
    }
    std::vector<std::string> m_opened, m_started, m_commandLines;
    bool m_bFail = false;
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

// Three notes as a standard MIDI file; `riff` wraps it the way .rmi files do.
std::string MidiTune(bool riff)
{
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto le32 = [](uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    std::string track;
    for (char note : {60, 64, 67})
        track += std::string{0, char(0x90), note, 100, char(0x81), 0x70, char(0x80), note, 0};
    track += std::string("\x00\xFF\x2F\x00", 4);
    std::string smf = "MThd" + be32(6) + std::string("\0\0\0\1\x01\xE0", 6) + "MTrk" +
                      be32(static_cast<uint32_t>(track.size())) + track;
    if (!riff)
        return smf;
    std::string data = "data" + le32(static_cast<uint32_t>(smf.size())) + smf;
    if (smf.size() % 2)
        data += '\0';
    return "RIFF" + le32(static_cast<uint32_t>(4 + data.size())) + "RMID" + data;
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
        // One white pixel, so that the photograph shows with its media buttons.
        std::ofstream(m_dir.File("coast.gif"), std::ios::binary)
            << std::string("GIF89a\1\0\1\0\x80\0\0\0\0\0\xFF\xFF\xFF,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 35);
        std::ofstream(m_dir.File("tune.mid"), std::ios::binary) << MidiTune(false);
        std::ofstream(m_dir.File("tune.rmi"), std::ios::binary) << MidiTune(true);
        std::ofstream(m_dir.File("noise.mid"), std::ios::binary) << std::string(600, '\x5A');

        CCorvaleDoc doc;
        doc.m_strBookTitle = "Coast";
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName("coast.gif");
        CPhotoNode* coast = doc.m_root.AddPhoto(std::move(photo));
        for (const char* name : {"WAVES.WAV", "film.avi", "tune.mid", "tune.rmi", "noise.mid"}) {
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

    // The media window's play button shows "Pause" while it plays.
    static bool ShowsPause(CMediaPlayer* player)
    {
        for (QToolButton* button : player->findChildren<QToolButton*>())
            if (button->toolTip() == QStringLiteral("Pause"))
                return true;
        return false;
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

    m_pDoc->Bus().Send(RouterMessage::SelectNode(video), nullptr);
    EXPECT_EQ(player->FileName().toStdString(), m_dir.File("film.avi"));
    EXPECT_EQ(frame->size(), QSize(290, 300));
    m_pDoc->Bus().Send(RouterMessage::SelectNode(m_pPhoto), nullptr);
    EXPECT_EQ(player->FileName().toStdString(), m_dir.File("film.avi"));
    EXPECT_EQ(frame->size(), QSize(290, 300));
    m_pDoc->Bus().Send(RouterMessage::SelectNode(sound), nullptr);
    EXPECT_EQ(frame->size(), QSize(290, 75));

    // A second play keeps the one window.
    sound->Play();
    EXPECT_EQ(m_pWindows->Frame(), frame);
}

TEST_F(MediaWindow, TheBackEndIsAskedWhenFirstNeededNotAtStartUp)
{
    // Started, with a book open: nobody has asked yet, and the command is offered.
    EXPECT_FALSE(m_app.m_bMediaPlayerAvailable.has_value());
    EXPECT_TRUE(State(ID_VIEW_MEDIA_PLAYER).enabled);
    int asked = 0;
    m_app.m_mediaPlayerProbe = [&asked] {
        ++asked;
        return false;
    };

    // Without a back end the command says why it shows nothing, once asked.
    m_app.OnCommand(ID_VIEW_MEDIA_PLAYER);
    EXPECT_FALSE(m_pWindows->HasMediaWindow());
    EXPECT_EQ(m_pPrompter->Texts(), std::vector<std::string>{MessageText(MessageId::MediaComponentMissing)});
    EXPECT_FALSE(State(ID_VIEW_MEDIA_PLAYER).enabled);
    m_pPhoto->GetMediaChild(0)->Play();
    m_pPhoto->GetMediaChild(1)->Play();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_launcher.m_opened, std::vector<std::string>{m_dir.File("waves.wav")});
    EXPECT_EQ(m_launcher.m_started.size(), 1u);
    EXPECT_EQ(m_pPrompter->m_entries.size(), 1u);
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

TEST_F(MediaWindow, MidiAndRiffMidiItemsPlayThroughTheBackEnd)
{
    if (!CMediaPlayer::IsAvailable())
        GTEST_SKIP() << "no multimedia back end on this machine";
    m_app.m_bMediaPlayerAvailable = true;
    for (int index : {2, 3}) {
        CMediaNode* tune = m_pPhoto->GetMediaChild(index);
        m_pDoc->Bus().Send(RouterMessage::SelectNode(tune), nullptr);
        tune->Play();
        ASSERT_TRUE(m_pWindows->HasMediaWindow());
        CMediaPlayer* player = m_pWindows->View()->Player();
        QMediaPlayer* back = player->Player();
        // Under way once the synthesiser has produced any of it.
        EXPECT_TRUE(QTest::qWaitFor(
            [&]() { return back->position() > 0 || player->CannotDecode(); }, 10000))
            << tune->m_strFileName;
        EXPECT_FALSE(player->CannotDecode()) << tune->m_strFileName;
        EXPECT_EQ(back->error(), QMediaPlayer::NoError) << back->errorString().toStdString();
    }
    EXPECT_TRUE(m_launcher.m_started.empty());
    EXPECT_TRUE(m_pPrompter->m_entries.empty());
}

TEST_F(MediaWindow, AnItemTheBackEndCannotDecodeGoesToTheOutsidePlayer)
{
    if (!CMediaPlayer::IsAvailable())
        GTEST_SKIP() << "no multimedia back end on this machine";
    m_app.m_bMediaPlayerAvailable = true;
    m_launcher.m_bFail = true;
    m_pPhoto->GetMediaChild(4)->Play();
    ASSERT_TRUE(m_pWindows->HasMediaWindow());
    CMediaPlayer* player = m_pWindows->View()->Player();

    // The back end reports the failure more than once: one message, no raw text.
    ASSERT_TRUE(QTest::qWaitFor([&]() { return !m_pPrompter->m_entries.empty(); }, 10000));
    QTest::qWait(300);
    EXPECT_EQ(m_pPrompter->Texts(), std::vector<std::string>{MessageText(MessageId::CannotLaunchPlayer)});
    EXPECT_EQ(player->StatusText(), QStringLiteral("noise.mid: cannot be played"));
    EXPECT_FALSE(ShowsPause(player));
    EXPECT_EQ(player->Player()->playbackState(), QMediaPlayer::StoppedState);

    // Play again, with an outside player at hand: the file goes straight to it.
    m_launcher.m_bFail = false;
    player->Play();
    ASSERT_EQ(m_launcher.m_commandLines.size(), 2u);
    EXPECT_NE(m_launcher.m_commandLines[1].find(m_dir.File("noise.mid")), std::string::npos);
    EXPECT_EQ(player->StatusText(), QStringLiteral("noise.mid: handed to the outside player"));
    EXPECT_FALSE(ShowsPause(player));
    EXPECT_EQ(m_pPrompter->m_entries.size(), 1u);

    // Another item starts afresh with the back end.
    m_pDoc->Bus().Send(RouterMessage::SelectNode(m_pPhoto->GetMediaChild(0)), nullptr);
    EXPECT_EQ(player->StatusText(), QStringLiteral("waves.wav"));
    EXPECT_FALSE(player->CannotDecode());
}

TEST_F(MediaWindow, APhotosMediaButtonBringsTheOpenPlayerToTheFront)
{
    if (!CMediaPlayer::IsAvailable())
        GTEST_SKIP() << "no multimedia back end on this machine";
    m_app.m_bMediaPlayerAvailable = true;
    m_app.OnCommand(ID_VIEW_MEDIA_PLAYER);
    ASSERT_TRUE(m_pWindows->HasMediaWindow());
    QMdiArea* area = m_app.GetMainFrame()->MdiArea();
    CChildFrame* photoFrame = m_app.GetPhotoFrame();
    m_pDoc->Bus().Send(RouterMessage::SelectNode(m_pPhoto), nullptr);
    area->setActiveSubWindow(photoFrame);
    ASSERT_EQ(area->subWindowList(QMdiArea::StackingOrder).last(), photoFrame);

    auto* view = qobject_cast<CCorvaleView*>(photoFrame->View());
    QAbstractButton* button = nullptr;
    for (QAbstractButton* candidate : view->findChildren<QAbstractButton*>())
        if (candidate->property(CCorvaleView::kControlIdProperty).toInt() == 1)
            button = candidate;
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(area->subWindowList(QMdiArea::StackingOrder).last(), m_pWindows->Frame());
    EXPECT_EQ(m_pWindows->View()->Player()->FileName().toStdString(), m_dir.File("waves.wav"));

    // In the workbook only the current tab is seen: the player's becomes current.
    area->setViewMode(QMdiArea::TabbedView);
    area->setActiveSubWindow(photoFrame);
    button->click();
    EXPECT_EQ(area->activeSubWindow(), m_pWindows->Frame());
}
