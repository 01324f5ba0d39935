#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "support/ZipFixture.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MainFrame.h"
#include "viewer/MediaPlayer.h"
#include "viewer/MediaWindowManager.h"
#include "viewer/ProgressDlg.h"
#include "viewer/SplitterStyle.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QDockWidget>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QAbstractButton>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

void Store(SettingKey key, int value)
{
    Settings settings = Settings::Profile();
    ASSERT_TRUE(settings.WriteInt(key, value));
}

int StoredInt(SettingKey key)
{
    return Settings::Profile().GetInt(key);
}

// A book of one photograph whose picture file does not exist.
std::string WriteBook(const TempDir& dir, const std::string& name)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName("missing.gif");
    photo->m_strCaption = "Beach";
    doc.m_root.AddPhoto(std::move(photo));
    std::string path = dir.File(name);
    EXPECT_TRUE(doc.OnSaveDocument(path));
    return path;
}

template <typename Done>
bool ProcessEventsUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class MainFrameBehaviour : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Closing the main window here must not end the test program.
        QApplication::setQuitOnLastWindowClosed(false);
        Store(SettingKey::PostInstallWasRun, 1);
    }

    void Start()
    {
        ASSERT_TRUE(m_app.InitInstance({QStringLiteral("Corvale")}));
        m_pFrame = m_app.GetMainFrame();
        // After start-up, which installs the dialog prompter.
        m_pPrompter = std::make_unique<RecordingPrompter>();
    }

    ScopedRegistry m_registry;
    TempDir m_dir;
    CCorvaleApp m_app;
    std::unique_ptr<RecordingPrompter> m_pPrompter; // goes before the application's prompter
    CMainFrame* m_pFrame = nullptr;
};

} // namespace

TEST_F(MainFrameBehaviour, ShowingReadsPlacementSplitterAndDisplaySettings)
{
    Store(SettingKey::HorizPos, 30);
    Store(SettingKey::VertPos, 40);
    Store(SettingKey::Width, 500);
    Store(SettingKey::Height, 400);
    Store(SettingKey::SplitterStyle, 1);
    Store(SettingKey::ShrinkLargeImages, 0);
    Store(SettingKey::ImageShrinkSize, 1);
    Store(SettingKey::ImageShrinkFactor, 3);
    Start();
    EXPECT_EQ(m_pFrame->frameGeometry(), QRect(30, 40, 500, 400)); // the outer frame, as stored
    EXPECT_EQ(m_pFrame->SplitterCode(), static_cast<int>(CSplitterStyle::kFlat));
    EXPECT_FALSE(m_pFrame->m_bShrinkLargeImages);
    EXPECT_EQ(m_pFrame->m_nImageShrinkSize, 1);
    EXPECT_EQ(m_pFrame->m_nImageShrinkFactor, 3);
}

TEST_F(MainFrameBehaviour, ClosingWritesTheNormalPlacementEvenWhenMaximised)
{
    Start();
    m_pFrame->move(60, 70);
    m_pFrame->resize(520, 410);
    QApplication::processEvents();
    QRect normal = m_pFrame->frameGeometry();
    ASSERT_EQ(normal.topLeft(), QPoint(60, 70));
    m_pFrame->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(m_pFrame->isMaximized());
    m_pFrame->close();
    EXPECT_EQ(StoredInt(SettingKey::HorizPos), 60);
    EXPECT_EQ(StoredInt(SettingKey::VertPos), 70);
    EXPECT_EQ(StoredInt(SettingKey::Width), normal.width());
    EXPECT_EQ(StoredInt(SettingKey::Height), normal.height());
}

TEST(MainFramePlacement, StartAndExitAgainAndAgainKeepsTheWholeFrameOnTheWorkArea)
{
    ScopedRegistry registry;
    QApplication::setQuitOnLastWindowClosed(false);
    QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    for (int run = 0; run < 3; ++run) {
        RecordingPrompter prompter;
        CCorvaleApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
        QApplication::processEvents();
        QRect frame = app.GetMainFrame()->frameGeometry();
        // The defaults are the frame's: 8 pixels in, 16 less than the work area.
        EXPECT_EQ(frame, QRect(work.left() + 8, work.top() + 8, work.width() - 16, work.height() - 16)) << run;
        app.GetMainFrame()->close();
        EXPECT_EQ(StoredInt(SettingKey::HorizPos), frame.left()) << run;
        EXPECT_EQ(StoredInt(SettingKey::VertPos), frame.top()) << run;
        EXPECT_EQ(StoredInt(SettingKey::Height), frame.height()) << run;
    }

    Store(SettingKey::VertPos, -92); // stored by a viewer that walked off the top
    RecordingPrompter prompter;
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    QApplication::processEvents();
    EXPECT_EQ(app.GetMainFrame()->frameGeometry().top(), work.top());
    app.GetMainFrame()->close();
}

TEST_F(MainFrameBehaviour, APhotoWindowComesBackWhereItWasClosed)
{
    std::string path = WriteBook(m_dir, "Trip.pbk");
    Start();
    ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
    CChildFrame* frame = m_app.GetPhotoFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->pos(), QPoint(0, 0)); // stored defaults 1, 1 less one

    frame->move(40, 30);
    frame->close();
    EXPECT_EQ(StoredInt(SettingKey::HorizPhotoPos), 41);
    EXPECT_EQ(StoredInt(SettingKey::VertPhotoPos), 31);
    EXPECT_EQ(m_app.GetDocument(), nullptr); // closing the photo window closes the book

    ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
    ASSERT_NE(m_app.GetPhotoFrame(), nullptr);
    EXPECT_EQ(m_app.GetPhotoFrame()->pos(), QPoint(40, 30));
}

TEST_F(MainFrameBehaviour, EveryWayTheWindowsGoRemembersWhereTheyWere)
{
    std::string path = WriteBook(m_dir, "Trip.pbk");
    std::string other = WriteBook(m_dir, "Other.pbk");
    Start();
    bool media = CMediaPlayer::IsAvailable();
    m_app.m_bMediaPlayerAvailable = media;

    ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
    m_app.GetPhotoFrame()->move(40, 30);
    if (media) {
        m_app.OnCommand(ID_VIEW_MEDIA_PLAYER);
        ASSERT_NE(m_app.GetMediaWindows()->Frame(), nullptr);
        m_app.GetMediaWindows()->Frame()->move(70, 60);
    }
    m_pFrame->RouteCommand(ID_FILE_CLOSE);
    EXPECT_EQ(StoredInt(SettingKey::HorizPhotoPos), 41);
    EXPECT_EQ(StoredInt(SettingKey::VertPhotoPos), 31);
    if (media) {
        EXPECT_EQ(StoredInt(SettingKey::HorizMediaPos), 71);
        EXPECT_EQ(StoredInt(SettingKey::VertMediaPos), 61);
    }

    ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
    m_app.GetPhotoFrame()->move(50, 20);
    ASSERT_NE(m_app.OpenDocumentFile(other), nullptr); // another book
    EXPECT_EQ(StoredInt(SettingKey::HorizPhotoPos), 51);
    m_app.GetPhotoFrame()->move(12, 14);
    m_pFrame->close(); // Exit
    EXPECT_EQ(StoredInt(SettingKey::HorizPhotoPos), 13);
    EXPECT_EQ(StoredInt(SettingKey::VertPhotoPos), 15);
}

TEST_F(MainFrameBehaviour, DroppedFilesOpenTheFirstPictureBook)
{
    std::string first = WriteBook(m_dir, "First.pbk");
    std::string second = WriteBook(m_dir, "Second.pbk");
    Start();

    m_pFrame->m_droppedFiles = {m_dir.File("notes.txt"), first, second};
    m_pFrame->HandleDroppedFiles();
    ASSERT_NE(m_app.GetDocument(), nullptr);
    EXPECT_EQ(m_app.GetDocument()->GetPathName(), first);
    EXPECT_TRUE(m_pFrame->m_droppedFiles.empty());

    // The same through a real drop: the book is opened later, from the timer.
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(m_dir.File("notes.txt"))),
                   QUrl::fromLocalFile(QString::fromStdString(second))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_pFrame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_pFrame, &drop);
    EXPECT_EQ(m_app.GetDocument()->GetPathName(), first);
    EXPECT_TRUE(ProcessEventsUntil([this, &second]() {
        return m_app.GetDocument() && m_app.GetDocument()->GetPathName() == second;
    }));
    delete mime;

    // Nothing usable with a book open: the book stays.
    CCorvaleDoc* open = m_app.GetDocument();
    m_pFrame->m_droppedFiles = {m_dir.File("a.txt")};
    m_pFrame->HandleDroppedFiles();
    EXPECT_EQ(m_app.GetDocument(), open);
    EXPECT_TRUE(m_pPrompter->Texts().empty());
}

TEST_F(MainFrameBehaviour, DroppingNothingUsableWithoutABookStartsAnEmptyOne)
{
    Start();
    ASSERT_EQ(m_app.GetDocument(), nullptr);
    m_pFrame->m_droppedFiles = {m_dir.File("a.txt"), m_dir.File("b.doc")};
    m_pFrame->HandleDroppedFiles();
    ASSERT_NE(m_app.GetDocument(), nullptr);
    EXPECT_EQ(m_app.GetDocument()->GetPathName(), std::string());
    EXPECT_EQ(m_app.GetDocument()->m_root.GetPhotoCount(), 0);
    EXPECT_NE(m_app.GetPhotoFrame(), nullptr);
}

TEST_F(MainFrameBehaviour, SizePaneShowsThePictureAndDisplaySizes)
{
    std::string path = WriteBook(m_dir, "Trip.pbk");
    Start();
    CCorvaleDoc* doc = m_app.OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    CPhotoNode* photo = doc->m_root.GetPhotoChild(0);
    ASSERT_NE(photo, nullptr);
    QLabel* pane = m_pFrame->SizePane();

    doc->m_pCurrent = &doc->m_root; // a group
    m_pFrame->UpdateCommandUI();
    EXPECT_EQ(pane->text(), QStringLiteral("      "));

    doc->m_pCurrent = photo;
    photo->m_sizePicture = {640, 480};
    photo->m_sizeDisplay = {640, 480};
    m_pFrame->UpdateCommandUI();
    EXPECT_EQ(pane->text(), QStringLiteral("640x480"));

    photo->m_sizeDisplay = {320, 240};
    m_pFrame->UpdateCommandUI();
    EXPECT_EQ(pane->text(), QStringLiteral("640x480  (displayed: 320x240)"));
    // The pane is wide enough for its whole text.
    EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(pane->text()));
}

TEST_F(MainFrameBehaviour, ViewTogglesAreCheckedWhileTheirWindowIsShown)
{
    Start();
    QAction* tree = m_pFrame->Action(ID_VIEW_PHOTO_TREE);
    QAction* text = m_pFrame->Action(ID_VIEW_PHOTO_TEXT);
    QAction* toolbar = m_pFrame->Action(ID_VIEW_TOOLBAR);
    QAction* status = m_pFrame->Action(ID_VIEW_STATUS_BAR);
    QAction* workbook = m_pFrame->Action(ID_WORKBOOK_MODE);
    ASSERT_TRUE(tree && text && toolbar && status && workbook);
    m_pFrame->UpdateCommandUI();
    EXPECT_TRUE(tree->isChecked());
    EXPECT_FALSE(text->isChecked()); // the text pane starts hidden
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_TRUE(status->isChecked());
    EXPECT_FALSE(workbook->isChecked());

    text->trigger();
    EXPECT_TRUE(m_pFrame->TextDock()->isVisible());
    EXPECT_TRUE(text->isChecked());

    // Closed by its own close button: the mark goes with the next refresh.
    m_pFrame->TreeDock()->close();
    m_pFrame->UpdateCommandUI();
    EXPECT_FALSE(tree->isChecked());
    tree->trigger();
    EXPECT_TRUE(m_pFrame->TreeDock()->isVisible());
    EXPECT_TRUE(tree->isChecked());

    status->trigger();
    EXPECT_FALSE(m_pFrame->statusBar()->isVisible());
    EXPECT_FALSE(status->isChecked());
    toolbar->trigger();
    EXPECT_TRUE(m_pFrame->findChild<QToolBar*>(QStringLiteral("Main Toolbar"))->isHidden());
    EXPECT_FALSE(toolbar->isChecked());

    workbook->trigger();
    EXPECT_EQ(m_pFrame->MdiArea()->viewMode(), QMdiArea::TabbedView);
    EXPECT_TRUE(workbook->isChecked());
    workbook->trigger();
    EXPECT_EQ(m_pFrame->MdiArea()->viewMode(), QMdiArea::SubWindowView);
    EXPECT_FALSE(workbook->isChecked());
}

TEST_F(MainFrameBehaviour, CommandsTellTheStatusBarAndTheirToolTipsWhatTheyDo)
{
    Start();
    QAction* import = m_pFrame->Action(ID_IMPORT_ZIP);
    EXPECT_EQ(import->statusTip(), "Import a new Picture Book from a ZIP archive");
    EXPECT_EQ(import->toolTip(), "Import from ZIP");
    EXPECT_EQ(m_pFrame->Action(ID_STOP_PLAYBACK)->statusTip(), "Stop the playback of the current media");
}

TEST_F(MainFrameBehaviour, MediaToolbarCommandsStayDisabled)
{
    std::string path = WriteBook(m_dir, "Trip.pbk");
    Start();
    ASSERT_NE(m_app.OpenDocumentFile(path), nullptr);
    m_pFrame->UpdateCommandUI();
    EXPECT_FALSE(m_pFrame->Action(ID_STOP_PLAYBACK)->isEnabled());
    EXPECT_FALSE(m_pFrame->Action(ID_PLAY_MEDIA)->isEnabled());
    EXPECT_TRUE(m_pFrame->Action(ID_CUSTOMIZE)->isEnabled());
}

TEST_F(MainFrameBehaviour, ADroppedArchiveIsImportedAndOpened)
{
    std::string root = m_dir.File("books");
    Settings settings = Settings::Profile();
    settings.WriteString(SettingKey::PictureBookRootPath, root);
    ASSERT_TRUE(WriteZip(m_dir.File("Trip.ZIP"), {{"Trip.pbk", PictureBookBytes("Trip", {"a.jpg"})},
                                                  {"a.jpg", "not a picture"}}));
    Start();
    CommandState state;
    EXPECT_TRUE(m_app.OnUpdateCommand(ID_IMPORT_ZIP, state) && state.enabled);

    m_pFrame->m_droppedFiles = {m_dir.File("Trip.ZIP")};
    m_pFrame->HandleDroppedFiles();
    ASSERT_NE(m_app.GetDocument(), nullptr);
    EXPECT_EQ(m_app.GetDocument()->GetPathName(), root + "/Trip/Trip.pbk");
    EXPECT_TRUE(FileExistsAt(root + "/Trip/a.jpg"));
    // The progress dialog has gone again, and with it the wait cursor.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<CProgressDlg*>(widget), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ImportMessages, EveryQuestionDuringAnImportIsAboveTheProgressDialog)
{
    ScopedRegistry registry;
    TempDir dir;
    QApplication::setQuitOnLastWindowClosed(false);
    Settings settings = Settings::Profile();
    settings.WriteString(SettingKey::PictureBookRootPath, dir.File("books"));
    settings.WriteInt(SettingKey::PostInstallWasRun, 1);
    ASSERT_TRUE(WriteZip(dir.File("Trip.zip"), {{"Trip.pbk", PictureBookBytes("Trip", {"a.jpg"})},
                                                {"a.jpg", "not a picture"}}));
    CCorvaleApp app; // its own prompter: real message boxes
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    ASSERT_TRUE(app.ImportZipArchive(dir.File("Trip.zip")));

    // Imported again: the folder exists, and the question comes while the progress shows.
    int boxes = 0, hidden = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        ++boxes;
        bool progressShown = false;
        for (QWidget* window : QApplication::topLevelWidgets())
            progressShown |= qobject_cast<CProgressDlg*>(window) && window->isVisible();
        bool above = qobject_cast<CProgressDlg*>(box->parentWidget()) &&
                     (box->windowFlags() & Qt::WindowStaysOnTopHint);
        if (progressShown && !above)
            ++hidden;
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        (yes ? yes : box->buttons().value(0))->click();
    });
    answer.start(20);
    app.ImportZipArchive(dir.File("Trip.zip"));
    answer.stop();
    EXPECT_GE(boxes, 1);
    EXPECT_EQ(hidden, 0);
    app.CloseAllDocuments();
}

TEST(ViewerStart, ADamagedSettingsStoreIsToldOnceAtStartUp)
{
    QApplication::setQuitOnLastWindowClosed(false);
    ScopedRegistry registry;
    Store(SettingKey::PostInstallWasRun, 1);
    const std::string store = Registry::Default().FileOf(RegistryRoot::CurrentUser);
    ASSERT_TRUE(WriteFileBytes(store, "CorvaleRegistry 1 00\nK \"cut"));
    RecordingPrompter prompter;
    prompter.QueueReply(PromptReply::Yes);
    {
        CCorvaleApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
        ASSERT_EQ(prompter.m_entries.size(), 1u);
        EXPECT_EQ(prompter.m_entries[0].text.substr(0, 19 + store.size()), "The settings file\n\n" + store);
        app.ExitInstance();
    }
    // The fresh store took the settings of that run.
    EXPECT_EQ(ReadFileBytes(store + ".damaged"), "CorvaleRegistry 1 00\nK \"cut");
    EXPECT_EQ(Registry::Default().CheckStore(RegistryRoot::CurrentUser), RegistryStatus::Ok);
}
