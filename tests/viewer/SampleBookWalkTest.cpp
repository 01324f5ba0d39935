// Opens the sample Picture Book the build makes and walks it with the keyboard
// in the tree pane, checking what a user would see.

#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/CorvaleView.h"
#include "viewer/MainFrame.h"
#include "viewer/PhotoTree.h"

#include <QDockWidget>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct SampleViewer {
    ScopedRegistry registry;
    RecordingPrompter prompter;
    CCorvaleApp app;
    CMainFrame* frame = nullptr;
    CCorvaleView* view = nullptr;

    explicit SampleViewer(int centre = 1)
    {
        Settings settings = Settings::Profile();
        settings.WriteInt(SettingKey::PostInstallWasRun, 1);
        settings.WriteInt(SettingKey::CenterLargePhotos, centre);
        settings.WriteInt(SettingKey::ShrinkLargeImages, 0);
        EXPECT_TRUE(app.InitInstance({QStringLiteral("Corvale"), QStringLiteral(CORVALE_SAMPLE_BOOK)}));
        frame = app.GetMainFrame();
        frame->resize(1000, 700);
        view = qobject_cast<CCorvaleView*>(app.GetPhotoFrame()->View());
        frame->PhotoTree()->setFocus();
    }

    void Key(Qt::Key key)
    {
        QTest::keyClick(frame->PhotoTree(), key);
        frame->UpdateCommandUI();
    }
    QString Title() const { return app.GetPhotoFrame()->windowTitle(); }
    QString Status() const { return frame->statusBar()->findChild<QLabel*>()->text(); }
};

} // namespace

TEST(SampleBookWalk, KeyboardThroughTheTree)
{
    SampleViewer v;
    ASSERT_NE(v.view, nullptr);
    // The book itself: its placeholder names the file, the title and the sender.
    EXPECT_EQ(v.frame->PhotoTree()->currentIndex().data().toString(), QStringLiteral("Demo"));
    EXPECT_TRUE(v.view->PlaceholderText().startsWith(QStringLiteral("Picture Book:\n")));
    EXPECT_TRUE(v.view->PlaceholderText().endsWith(
        QStringLiteral("\nDemo\n\nSent by: Corvale Samples (samples@example.org)")));

    v.Key(Qt::Key_Down); // "At the Coast", a group with text
    EXPECT_EQ(v.Title(), QStringLiteral("At the Coast"));
    EXPECT_EQ(v.view->PlaceholderText(), QStringLiteral("At the Coast\nDemo"));
    EXPECT_TRUE(v.frame->TextDock()->isVisible());

    v.Key(Qt::Key_Right); // expand
    v.Key(Qt::Key_Down);  // "The Harbour", 1024 x 768 JPEG with a sound clip
    EXPECT_EQ(v.Title(), QStringLiteral("The Harbour"));
    EXPECT_TRUE(v.view->ShowsPicture());
    EXPECT_EQ(v.frame->SizePane()->text(), QStringLiteral("1024x768"));
    EXPECT_EQ(v.view->m_nVisibleButtons, 1);
    EXPECT_EQ(v.Status(), QStringLiteral("harbour.jpg"));

    v.Key(Qt::Key_Right); // expand the photograph: its sound clip comes first
    v.Key(Qt::Key_Down);
    EXPECT_EQ(v.frame->PhotoTree()->currentIndex().data().toString(), QStringLiteral("Gulls"));
    EXPECT_EQ(v.Title(), QStringLiteral("The Harbour")); // a media item shows its photograph
    EXPECT_FALSE(v.frame->TextDock()->isVisible());       // the clip has no text
    EXPECT_EQ(v.Status(), QStringLiteral("gulls.wav"));

    v.Key(Qt::Key_Down); // "Lighthouse"
    EXPECT_EQ(v.Title(), QStringLiteral("Lighthouse"));
    EXPECT_TRUE(v.frame->TextDock()->isVisible());
    EXPECT_EQ(v.view->m_nVisibleButtons, 0);
    EXPECT_TRUE(v.prompter.m_entries.empty());
}

TEST(SampleBookWalk, LargePictureScrollsToItsCentreOnlyWhenAsked)
{
    for (int centre : {1, 0}) {
        SampleViewer v(centre);
        v.Key(Qt::Key_Down);
        v.Key(Qt::Key_Right);
        v.Key(Qt::Key_Down); // The Harbour, larger than the window
        QSize outer = v.app.GetPhotoFrame()->size();
        QPoint expected(0, 0);
        if (centre == 1)
            expected = QPoint(std::max(0, (1024 - outer.width()) / 2), std::max(0, (768 - outer.height()) / 2));
        EXPECT_EQ(v.view->GetScrollPosition(), expected) << "centre " << centre;
        if (centre == 1) {
            EXPECT_NE(v.view->GetScrollPosition(), QPoint(0, 0));
        }
    }
}
