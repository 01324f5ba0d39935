// The main window's lock panes, recent-file menu and Arrange Icons, and
// printing from the command line on a chosen printer.

#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "platform/KeyboardLocks.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/LockIndicatorPanes.h"
#include "viewer/MainFrame.h"
#include "viewer/PrinterDirectory.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string WriteBook(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    EXPECT_TRUE(doc.OnSaveDocument(path));
    return path;
}

struct FakeLocks : KeyboardLocks {
    std::optional<bool> states[3];
    std::optional<bool> IsOn(KeyboardLock lock) override { return states[static_cast<int>(lock)]; }
};

// Printers that write PDF files named after themselves into `folder`.
struct FakePrinters : PrinterDirectory {
    explicit FakePrinters(std::string folder) : m_folder(std::move(folder)) {}
    QStringList PrinterNames() const override { return {"Office", "Lab Printer"}; }
    void Select(QPrinter& printer, const QString& name) const override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(m_folder + "/") + name + ".pdf");
    }
    std::string m_folder;
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

QMenu* FileMenu(CMainFrame* frame)
{
    return frame->menuBar()->actions().front()->menu();
}

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

TEST_F(FrameCommands, RecentFilesAreNumberedAndDeepFoldersShortened)
{
    std::string deep = WriteBook(m_dir.File("Pictures/My Photos/Holidays/2023 Summer/Trip.pbk"));
    std::string shallow = WriteBook(m_dir.File("B.pbk"));
    CMainFrame* frame = Start();
    ASSERT_NE(m_app.OpenDocumentFile(deep), nullptr);
    ASSERT_NE(m_app.OpenDocumentFile(shallow), nullptr);

    QStringList texts;
    QAction* second = nullptr;
    for (QAction* action : FileMenu(frame)->actions())
        if (action->text().startsWith('&') && action->text().at(1).isDigit()) {
            texts << action->text();
            second = action;
        }
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("&1 "))) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("&2 /"))) << texts[1].toStdString();
    EXPECT_TRUE(texts[1].contains(QStringLiteral("/.../"))) << texts[1].toStdString();
    EXPECT_TRUE(texts[1].endsWith(QStringLiteral("/Trip.pbk"))) << texts[1].toStdString();
    EXPECT_LE(texts[1].size(), 3 + 30);
    EXPECT_EQ(second->statusTip().toStdString(), deep);

    second->trigger();
    ASSERT_NE(m_app.GetDocument(), nullptr);
    EXPECT_EQ(m_app.GetDocument()->GetPathName(), deep);
}

TEST_F(FrameCommands, ArrangeIconsLinesMinimisedWindowsUpAlongTheBottom)
{
    CMainFrame* frame = Start();
    QMdiArea* area = frame->MdiArea();
    std::vector<QMdiSubWindow*> windows;
    for (int i = 0; i < 4; ++i) {
        QMdiSubWindow* window = area->addSubWindow(new QWidget);
        window->setGeometry(40 + 10 * i, 30 + 10 * i, 300, 200);
        window->show();
        windows.push_back(window);
    }
    windows[0]->showMinimized();
    windows[2]->showMinimized();
    windows[3]->showMinimized();
    // Room for two icons in a row: the third starts a row above.
    QSize icon = windows[0]->size();
    frame->resize(frame->width() - area->viewport()->width() + icon.width() * 2 + icon.width() / 2,
                  frame->height());
    QApplication::processEvents();
    int bottom = area->viewport()->height();
    // Icons the user dragged about.
    windows[0]->move(100, 5);
    windows[2]->move(7, 60);
    windows[3]->move(30, 90);

    frame->UpdateCommandUI();
    frame->Action(ID_WINDOW_ARRANGE)->trigger();
    EXPECT_EQ(windows[0]->geometry().topLeft(), QPoint(0, bottom - icon.height()));
    EXPECT_EQ(windows[2]->geometry().topLeft(), QPoint(icon.width(), bottom - icon.height()));
    EXPECT_EQ(windows[3]->geometry().topLeft(), QPoint(0, bottom - 2 * icon.height()));
    EXPECT_EQ(windows[1]->geometry(), QRect(50, 40, 300, 200)); // not minimised: stays put

    // Restored, a window gets its own place back.
    windows[2]->showNormal();
    EXPECT_EQ(windows[2]->geometry(), QRect(60, 50, 300, 200));
}

TEST(FrameCommandsPrint, PrintToUsesTheNamedPrinterAndOnlyAnOfferedOne)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string book = WriteBook(dir.File("Trip.pbk"));
    RecordingPrompter prompter;
    {
        CCorvaleApp app;
        app.SetPrinterDirectory(std::make_unique<FakePrinters>(dir.Path()));
        // Queue names are not told apart by case; driver and port choose nothing more.
        EXPECT_FALSE(app.InitInstance({"Corvale", "/pt", QString::fromStdString(book), "lab printer",
                                       "winspool", "LPT1:"}));
        EXPECT_EQ(app.m_nExitCode, 0);
    }
    EXPECT_GT(std::filesystem::file_size(dir.File("Lab Printer.pdf")), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Office.pdf")));
    EXPECT_TRUE(prompter.Texts().empty());

    std::filesystem::remove(dir.File("Lab Printer.pdf"));
    {
        CCorvaleApp app;
        app.SetPrinterDirectory(std::make_unique<FakePrinters>(dir.Path()));
        EXPECT_FALSE(app.InitInstance({"Corvale", "/pt", QString::fromStdString(book), "Basement"}));
        EXPECT_EQ(app.m_nExitCode, 1);
    }
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>{"Cannot print to \"Basement\"\n\nNo printer of that name is installed."});
    EXPECT_TRUE(QDir(QString::fromStdString(dir.Path())).entryList({"*.pdf"}).isEmpty());
}
