#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MainFrame.h"
#include "viewer/PhotoText.h"
#include "viewer/PhotoTree.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

std::string WriteBook(const TempDir& dir)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName("missing.gif");
    photo->m_strCaption = "Beach";
    photo->m_strText = "Sand";
    doc.m_root.AddPhoto(std::move(photo));
    std::string path = dir.File("Trip.pbk");
    EXPECT_TRUE(doc.OnSaveDocument(path));
    return path;
}

} // namespace

TEST(MainFrame, OpeningAndClosingABookSwitchesMenusAndPanes)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string path = WriteBook(dir);
    RecordingPrompter prompter;
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    CMainFrame* frame = app.GetMainFrame();
    EXPECT_EQ(frame->menuBar()->actions().size(), 4);
    EXPECT_FALSE(frame->Action(ID_EDIT_COPY)->isEnabled());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvale"));

    ASSERT_NE(app.OpenDocumentFile(path), nullptr);
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->menuBar()->actions().size(), 6);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvale - Trip"));
    EXPECT_EQ(frame->PhotoTree()->model()->index(0, 0).data().toString(), QStringLiteral("Trip"));
    EXPECT_TRUE(frame->Action(ID_PROPERTIES)->isEnabled());
    EXPECT_EQ(app.RecentFiles().Items().front(), path);

    app.CloseAllDocuments();
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->menuBar()->actions().size(), 4);
    EXPECT_EQ(frame->PhotoTree()->model()->index(0, 0).data().toString(), QStringLiteral("No Photos Loaded"));
    EXPECT_EQ(frame->SizePane()->text(), QStringLiteral("      "));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Corvale"));
}

TEST(MainFrame, ACommandLineFileThatCannotBeOpenedEndsStartUp)
{
    ScopedRegistry registry;
    TempDir dir;
    RecordingPrompter prompter;
    CCorvaleApp app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("Corvale"), QString::fromStdString(dir.File("none.pbk"))}));
    EXPECT_EQ(app.m_nExitCode, 1);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{dir.File("none.pbk") + " was not found."});
}

TEST(MainFrame, ShortcutModeWithAMissingFileShowsItsMessage)
{
    ScopedRegistry registry;
    RecordingPrompter prompter;
    CCorvaleApp app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("Corvale"), QStringLiteral("/shortcut=/nowhere/x.pbk")}));
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{"Cannot make a shortcut for\n\n/nowhere/x.pbk\n\nFile does not exist"});
}

TEST(MainFrame, ShortcutModeSaysWhenNoLauncherCanBeMade)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string path = WriteBook(dir);
    // The desktop folder cannot be made: a file stands in its way.
    ASSERT_TRUE(WriteFileBytes(dir.File("file"), "x"));
    Registry::Default().SetString(RegistryRoot::CurrentUser,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                  "Desktop", dir.File("file/Desktop"));
    RecordingPrompter prompter;
    CCorvaleApp app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("Corvale"), QString::fromStdString("/shortcut=" + path)}));
    EXPECT_EQ(app.m_nExitCode, 1);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Cannot make a shortcut for\n\n" + path +
                                                         "\n\nNo desktop launcher can be written for it."});
}

TEST(MainFrame, AnEmbeddedOrAutomatedStartEndsRatherThanWaitHidden)
{
    ScopedRegistry registry;
    RecordingPrompter prompter;
    for (const char* flag : {"-Embedding", "/Automation"}) {
        CCorvaleApp app;
        EXPECT_FALSE(app.InitInstance({QStringLiteral("Corvale"), QString::fromLatin1(flag)})) << flag;
        EXPECT_EQ(app.m_nExitCode, 0) << flag;
    }
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST(MainFrame, AShortcutForARelativePathNamesTheBookWhereverTheLauncherRuns)
{
    ScopedRegistry registry;
    TempDir dir, desktop;
    Registry::Default().SetString(RegistryRoot::CurrentUser,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                  "Desktop", desktop.Path());
    std::string path = WriteBook(dir);
    std::string cwd = SystemFolders::CurrentDirectory();
    ASSERT_TRUE(SystemFolders::SetCurrentDirectory(dir.Path()));
    RecordingPrompter prompter;
    CCorvaleApp app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("Corvale"), QStringLiteral("/shortcut=Trip.pbk")}));
    SystemFolders::SetCurrentDirectory(cwd);
    // The book was read only for its launcher; the tree let go of it when it went.
    QModelIndex root = app.GetMainFrame()->PhotoTree()->model()->index(0, 0);
    EXPECT_EQ(root.data().toString(), QStringLiteral("No Photos Loaded"));
    EXPECT_FALSE(app.GetMainFrame()->PhotoTree()->model()->hasChildren(root));
    std::string launcher = ReadFileBytes(desktop.File("Trip.desktop"));
    EXPECT_NE(launcher.find(" \"" + path + "\"\n"), std::string::npos) << launcher;
    EXPECT_TRUE(prompter.Texts().empty());
}
