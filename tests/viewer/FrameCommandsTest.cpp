// The main window's lock panes.

#include "app/CommandIds.h"
#include "platform/KeyboardLocks.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/LockIndicatorPanes.h"
#include "viewer/MainFrame.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

struct FakeLocks : KeyboardLocks {
    std::optional<bool> states[3];
    std::optional<bool> IsOn(KeyboardLock lock) override { return states[static_cast<int>(lock)]; }
};

class FrameCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        Settings settings = Settings::Profile();
        settings.WriteInt(SettingKey::PostInstallWasRun, 1);
    }

    CMainFrame* Start()
    {
        EXPECT_TRUE(m_app.InitInstance({QStringLiteral("Corvale")}));
        m_pPrompter = std::make_unique<RecordingPrompter>();
        return m_app.GetMainFrame();
    }

    ScopedRegistry m_registry;
    TempDir m_dir;
    CCorvaleApp m_app;
    std::unique_ptr<RecordingPrompter> m_pPrompter;
};

} // namespace

TEST_F(FrameCommands, LockPanesShowWhileTheirLockIsOnAndOnlyWhenReadable)
{
    CMainFrame* frame = Start();
    LockIndicatorPanes* panes = frame->LockPanes();
    // The offscreen window system has no keyboard lights to read.
    for (KeyboardLock lock : {KeyboardLock::Caps, KeyboardLock::Num, KeyboardLock::Scroll})
        EXPECT_TRUE(panes->Pane(lock)->isHidden());

    auto locks = std::make_unique<FakeLocks>();
    FakeLocks* fake = locks.get();
    fake->states[0] = true;
    fake->states[1] = false; // Scroll Lock unreadable
    panes->SetReader(std::move(locks));
    frame->UpdateCommandUI();
    EXPECT_EQ(panes->Pane(KeyboardLock::Caps)->text(), QStringLiteral("CAP"));
    EXPECT_FALSE(panes->Pane(KeyboardLock::Caps)->isHidden());
    EXPECT_EQ(panes->Pane(KeyboardLock::Num)->text(), QString());
    EXPECT_FALSE(panes->Pane(KeyboardLock::Num)->isHidden());
    EXPECT_TRUE(panes->Pane(KeyboardLock::Scroll)->isHidden());
    // Wide enough for its text whether lit or not, so the bar does not shift.
    EXPECT_GE(panes->Pane(KeyboardLock::Num)->width(),
              panes->Pane(KeyboardLock::Num)->fontMetrics().horizontalAdvance(QStringLiteral("NUM")));

    fake->states[0] = false;
    fake->states[1] = true;
    fake->states[2] = true;
    frame->UpdateCommandUI();
    EXPECT_EQ(panes->Pane(KeyboardLock::Caps)->text(), QString());
    EXPECT_EQ(panes->Pane(KeyboardLock::Num)->text(), QStringLiteral("NUM"));
    EXPECT_EQ(panes->Pane(KeyboardLock::Scroll)->text(), QStringLiteral("SCRL"));
    EXPECT_FALSE(panes->Pane(KeyboardLock::Scroll)->isHidden());
}
