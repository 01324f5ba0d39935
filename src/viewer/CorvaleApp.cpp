#include "viewer/CorvaleApp.h"

#include "app/CommandIds.h"
#include "app/CorvaleCommandLineInfo.h"
#include "app/ShellRegistration.h"
#include "app/StartupSettings.h"
#include "exchange/ImportFolders.h"
#include "exchange/MapiSession.h"
#include "model/DocTemplates.h"
#include "model/MediaNode.h"
#include "model/OldCorvaleDoc.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/Registry.h"
#include "platform/RegistryCheck.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"
#include "viewer/AboutDlg.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleView.h"
#include "viewer/DocumentCommands.h"
#include "viewer/HelpCommands.h"
#include "viewer/MainFrame.h"
#include "viewer/MediaPlayer.h"
#include "viewer/MediaWindowManager.h"
#include "viewer/PrinterDirectory.h"
#include "qtshared/QtPrompter.h"
#include "viewer/ShortcutCommand.h"
#include "viewer/SingleInstance.h"
#include "viewer/ZipImportCommand.h"

#include <QApplication>

#include <filesystem>
#include <functional>
#include <QFileDialog>
#include <QMdiArea>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace {

// Counts an open or import for as long as it is on the stack.
class OpeningScope {
public:
    explicit OpeningScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~OpeningScope() { --m_depth; }
    OpeningScope(const OpeningScope&) = delete;
    OpeningScope& operator=(const OpeningScope&) = delete;

private:
    int& m_depth;
};
} // namespace

CCorvaleApp::CCorvaleApp()
{
    m_pMediaWindows = std::make_unique<CMediaWindowManager>(*this);
    m_pMapiSession = std::make_unique<MapiSession>();
    m_pPrinters = std::make_unique<PrinterDirectory>();
    m_mediaPlayerProbe = &CMediaPlayer::IsAvailable;
}

CCorvaleApp::~CCorvaleApp()
{
    m_pMediaWindows.reset();
    m_pHelp.reset();
    m_pMainFrame.reset();
    m_pDocCommands.reset();
    m_pDocument.reset();
}

void CCorvaleApp::SetPrinterDirectory(std::unique_ptr<PrinterDirectory> printers)
{
    m_pPrinters = std::move(printers);
}

void CCorvaleApp::AddToRecentFileList(const std::string& path)
{
    m_recentFiles.Add(path);
    Settings settings = Settings::Profile();
    m_recentFiles.Save(settings);
    if (m_pMainFrame)
        m_pMainFrame->RebuildMenus();
}

DisplaySettings CCorvaleApp::LiveDisplaySettings() const
{
    if (m_pMainFrame)
        return {m_pMainFrame->m_bShrinkLargeImages, m_pMainFrame->m_nImageShrinkSize,
                m_pMainFrame->m_nImageShrinkFactor};
    return ReadDisplaySettings(Settings::Profile());
}

void CCorvaleApp::ShowStatusMessage(const QString& text)
{
    if (m_pMainFrame)
        m_pMainFrame->SetMessageText(text);
}

void CCorvaleApp::TrackContextMenu(ContextMenuIndex index, QWidget* owner, const QPoint& globalPos)
{
    if (m_pMainFrame)
        m_pMainFrame->TrackContextMenu(index, owner, globalPos);
}

bool CCorvaleApp::InitInstance(const QStringList& arguments)
{
    // A prompter installed before start-up (a test's recorder) keeps the messages.
    if (Prompter::IsDefault())
        m_pPrompter = std::make_unique<QtPrompter>();

    QScreen* screen = QGuiApplication::primaryScreen();
    int depth = screen ? screen->depth() : 32;
    QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    if (depth <= 8) {
        Prompter::Current().Message(MessageText(MessageId::ColourDepthTooLow), PromptIcon::None);
        m_nExitCode = 1;
        return false;
    }

    Settings profile = Settings::Profile();
    m_recentFiles.Load(profile);

    std::string program = QCoreApplication::applicationFilePath().toStdString();
    m_bFixedDrive = IsFixedDrivePath(program);

    CCorvaleCommandLineInfo cmdInfo;
    std::vector<std::string> args;
    for (int i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    ParseCommandLine(cmdInfo, args);
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew)
        cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;

    // Names are the starting folder's: the running viewer and a shortcut's
    // launcher each have a folder of their own.
    cmdInfo.MakePathsAbsolute(SystemFolders::CurrentDirectory());

    // A file for a viewer that is already running goes to that one. One that
    // is not there is reported by this start, as by any, and the running
    // viewer keeps its Picture Book.
    bool alone = cmdInfo.m_bShortcut;
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen && !cmdInfo.m_bShortcut &&
        IsRegularFile(cmdInfo.m_strFileName)) {
        switch (SingleInstance::SendOpenToRunning(QString::fromStdString(cmdInfo.m_strFileName))) {
        case SingleInstance::HandOver::Taken:
            return false;
        case SingleInstance::HandOver::Refused:
            Prompter::Current().Message(
                FormatMessageText(MessageId::RunningViewerRefused, {cmdInfo.m_strFileName}));
            m_nExitCode = 1;
            return false;
        case SingleInstance::HandOver::NotPrivate:
            alone = true; // nothing goes to, or comes from, a name others can reach
            break;
        case SingleInstance::HandOver::NoViewer:
            break;
        }
    }

    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    m_pHelp = std::make_unique<CHelpCommands>(m_pMainFrame.get());
    m_pMapiSession->SetHasMainWindow(true);
    if (m_pPrompter)
        m_pPrompter->SetParent(m_pMainFrame.get());

    // Said once, in a run the user sees; the shortcut run setup starts is not one.
    if (!cmdInfo.m_bShortcut && !cmdInfo.m_bRunEmbedded && !cmdInfo.m_bRunAutomated) {
        Registry registry = Registry::Default();
        OfferFreshStoresForDamagedOnes(registry);
    }

    if (m_bFixedDrive) {
        Registry registry = Registry::Default();
        RegisterShellFileTypes(registry, program);
    }

    // Nothing here serves automation, so a run that could only wait for it
    // would stay for ever without a window.
    if (cmdInfo.m_bRunEmbedded || cmdInfo.m_bRunAutomated)
        return false;

    if (cmdInfo.m_bShortcut && !cmdInfo.m_strShortcutFile.empty()) {
        if (FileExists(cmdInfo.m_strShortcutFile)) {
            CCorvaleDoc temp;
            temp.SetRecentFileList([this](const std::string& path) { AddToRecentFileList(path); });
            if (m_pMainFrame)
                m_pMainFrame->FollowBook(&temp.Bus());
            if (temp.OnOpenDocument(cmdInfo.m_strShortcutFile)) {
                temp.SetPathName(cmdInfo.m_strShortcutFile);
                if (!MakeShortcutForBook(temp))
                    m_nExitCode = 1;
                // The panes heard it load: they must hear it close before its nodes go.
                temp.OnCloseDocument();
            }
        } else {
            Prompter::Current().Message(
                FormatMessageText(MessageId::ShortcutFileMissing, {cmdInfo.m_strShortcutFile}));
            m_nExitCode = 1;
        }
        return false;
    }

    m_strInstallFolder = ReadInstallationFolder(Registry::Default());
    ApplyFirstRunDisplayDefaults(profile, screenSize.width(), screenSize.height());
    m_bCenterLargePhotos = ReadCenterLargePhotos(profile);

    switch (cmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileOpen:
        if (!OpenDocumentFile(cmdInfo.m_strFileName)) {
            m_nExitCode = 1;
            return false;
        }
        break;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        if (!OpenDocumentFile(cmdInfo.m_strFileName)) {
            m_nExitCode = 1;
            return false;
        }
        if (auto* view = m_pPhotoFrame ? qobject_cast<CCorvaleView*>(m_pPhotoFrame->View()) : nullptr;
            !view || !PrintFromCommandLine(*view, cmdInfo, *m_pPrinters))
            m_nExitCode = 1;
        return false;
    default:
        break;
    }

    // Later starts are heard only now: a request taken during a start-up that
    // then fails would be lost with this process.
    if (!alone) {
        m_pSingleInstance = std::make_unique<SingleInstance>();
        if (m_pSingleInstance->Listen())
            connect(m_pSingleInstance.get(), &SingleInstance::OpenRequested, this,
                    &CCorvaleApp::OnSecondInstanceOpen);
    }

    m_pMainFrame->show();
    m_pMainFrame->UpdateCommandUI();
    return true;
}

bool CCorvaleApp::IsMediaPlayerAvailable()
{
    if (!m_bMediaPlayerAvailable)
        m_bMediaPlayerAvailable = m_mediaPlayerProbe && m_mediaPlayerProbe();
    return *m_bMediaPlayerAvailable;
}

int CCorvaleApp::Run()
{
    m_nIdleLoopLevel = QThread::currentThread()->loopLevel() + 1;
    return QApplication::exec();
}

int CCorvaleApp::ExitInstance()
{
    Settings profile = Settings::Profile();
    m_recentFiles.Save(profile);
    return 0;
}

std::string CCorvaleApp::GetPictureBookRootPath() const
{
    return ::GetPictureBookRootPath(Settings::Profile(), m_strInstallFolder);
}

void CCorvaleApp::CloseAllDocuments()
{
    if (!m_pDocument)
        return;
    m_pDocument->SetModifiedFlag(false);
    m_pDocument->OnCloseDocument();
    m_pMediaWindows->Close();
    if (m_pPhotoFrame) {
        CChildFrame* frame = m_pPhotoFrame;
        m_pPhotoFrame = nullptr;
        disconnect(frame, nullptr, this, nullptr);
        // The view is a router: it must leave the bus before the document goes.
        delete frame;
    }
    m_pDocCommands.reset();
    m_pDocument.reset();
    if (m_pMainFrame) {
        m_pMainFrame->SetMessageText(QString());
        m_pMainFrame->RebuildMenus();
    }
}

CCorvaleDoc* CCorvaleApp::OpenDocumentFile(const std::string& name)
{
    OpeningScope opening(m_nOpening);
    // Documents keep full paths; a relative name means the folder we are in
    // now, before the move to the Picture Book root folder below.
    std::error_code ec;
    std::string path = name.empty() ? name : std::filesystem::absolute(name, ec).lexically_normal().string();
    CloseAllDocuments();
    SystemFolders::SetCurrentDirectory(GetPictureBookRootPath());

    std::unique_ptr<CCorvaleDoc> doc;
    if (TemplateForPath(path) == IDR_OLDCOLLECTION)
        doc = std::make_unique<COldCorvaleDoc>();
    else
        doc = std::make_unique<CCorvaleDoc>();
    bool ok = OpenInNewWindow(std::move(doc), [&path](CCorvaleDoc& d) {
        if (!d.OnOpenDocument(path))
            return false;
        d.SetPathName(path);
        return true;
    });
    if (!ok)
        return nullptr;
    // A player outside the viewer starts in the working folder: the open book's.
    SystemFolders::SetCurrentDirectory(m_pDocument->m_strBookFolder);
    return m_pDocument.get();
}

bool CCorvaleApp::NewDocument()
{
    CloseAllDocuments();
    return OpenInNewWindow(std::make_unique<CCorvaleDoc>(), [](CCorvaleDoc& d) {
        if (!d.OnNewDocument())
            return false;
        d.SetTitle(GetDocString(IDR_PICTUREBOOK, fileNewName) + "1");
        return true;
    });
}

bool CCorvaleApp::OpenInNewWindow(std::unique_ptr<CCorvaleDoc> doc,
                                  const std::function<bool(CCorvaleDoc&)>& fill)
{
    doc->SetRecentFileList([this](const std::string& path) { AddToRecentFileList(path); });
    if (m_pPrompter)
        doc->SetPrompter(m_pPrompter.get());
    doc->SetMediaPlayer([this](CMediaNode& item) { m_pMediaWindows->Play(item); });
    // The panes and the view join the bus before the document announces
    // itself, so they hear the book being loaded.
    m_pMainFrame->FollowBook(&doc->Bus());
    auto* view = new CCorvaleView(doc.get(), this);
    auto* frame = new CChildFrame(view, ChildKind::Photo);
    if (!fill(*doc)) {
        delete frame;
        return false;
    }
    m_pDocument = std::move(doc);
    m_pDocCommands = std::make_unique<CDocumentCommands>(*m_pDocument, m_pMapiSession.get(), m_pMainFrame.get());
    m_pPhotoFrame = frame;
    connect(frame, &CChildFrame::Closed, this, &CCorvaleApp::OnPhotoFrameClosed);
    m_pMainFrame->MdiArea()->addSubWindow(frame);
    frame->setWindowTitle(QString::fromStdString(m_pDocument->GetTitle()));
    frame->show();
    view->OnInitialUpdate();
    m_pMainFrame->RebuildMenus();
    return true;
}

bool CCorvaleApp::ImportZipArchive(const std::string& path)
{
    OpeningScope opening(m_nOpening);
    return ImportZipWithProgress(path, m_strInstallFolder, m_pMainFrame.get(),
                                 [this](const std::string& book) { OpenDocumentFile(book); });
}

void CCorvaleApp::OnImportFromZip()
{
    CloseAllDocuments();
    std::string path = ChooseZipArchive(m_strInstallFolder, m_pMainFrame.get());
    if (path.empty())
        return;
    ImportZipArchive(path);
    Settings settings = Settings::Profile();
    RememberZipImportFolder(settings, path);
}

void CCorvaleApp::OnPhotoFrameClosed()
{
    // The frame deletes itself; the whole Picture Book goes with it.
    m_pPhotoFrame = nullptr;
    CloseAllDocuments();
}

void CCorvaleApp::OnSecondInstanceOpen(const QString& path)
{
    // The request arrives from whatever event loop runs, perhaps a message
    // box's inside an open whose view would go with the open Picture Book.
    m_pendingOpens.push_back(path.toStdString());
    if (!m_pPendingTimer) {
        m_pPendingTimer = new QTimer(this);
        m_pPendingTimer->setInterval(50);
        connect(m_pPendingTimer, &QTimer::timeout, this, &CCorvaleApp::TakePendingOpen);
    }
    m_pPendingTimer->start();
}

bool CCorvaleApp::CanTakeRequests() const
{
    return m_nOpening == 0 && !QApplication::activeModalWidget() && !QApplication::activePopupWidget() &&
           QThread::currentThread()->loopLevel() <= m_nIdleLoopLevel;
}

void CCorvaleApp::TakePendingOpen()
{
    if (m_pendingOpens.empty()) {
        m_pPendingTimer->stop();
        return;
    }
    if (!CanTakeRequests())
        return; // asked again on the next tick
    std::string path = m_pendingOpens.front();
    m_pendingOpens.pop_front();
    OpenDocumentFile(path);
    if (m_pMainFrame) {
        m_pMainFrame->raise();
        m_pMainFrame->activateWindow();
    }
}

void CCorvaleApp::OnFileOpen()
{
    CloseAllDocuments();
    SystemFolders::SetCurrentDirectory(GetPictureBookRootPath());
    QString filters = QString::fromStdString(GetDocString(IDR_PICTUREBOOK, filterName)) + ";;" +
                      QString::fromStdString(GetDocString(IDR_OLDCOLLECTION, filterName)) +
                      ";;All Files (*.*)";
    QString file = QFileDialog::getOpenFileName(m_pMainFrame.get(), QStringLiteral("Open"),
                                                QString::fromStdString(SystemFolders::CurrentDirectory()),
                                                filters);
    if (!file.isEmpty())
        OpenDocumentFile(file.toStdString());
}

void CCorvaleApp::OnRecentFile(int index)
{
    const auto& items = m_recentFiles.Items();
    if (index < 0 || static_cast<size_t>(index) >= items.size())
        return;
    std::string path = items[static_cast<size_t>(index)];
    CloseAllDocuments();
    if (!OpenDocumentFile(path)) {
        m_recentFiles.Remove(static_cast<size_t>(index));
        m_pMainFrame->RebuildMenus();
    }
}

void CCorvaleApp::OnAppAbout()
{
    CAboutDlg about(QCoreApplication::applicationFilePath(), m_pMainFrame.get());
    about.exec();
}

bool CCorvaleApp::OnCommand(int id)
{
    if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
        OnRecentFile(id - ID_FILE_MRU_FIRST);
        return true;
    }
    if (m_pHelp && m_pHelp->OnCommand(id))
        return true;
    switch (id) {
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_FILE_CLOSE: CloseAllDocuments(); return true;
    case ID_IMPORT_ZIP: OnImportFromZip(); return true;
    case ID_APP_ABOUT: OnAppAbout(); return true;
    case ID_APP_EXIT: m_pMainFrame->close(); return true;
    case ID_VIEW_MEDIA_PLAYER: m_pMediaWindows->Toggle(); return true;
    case ID_FILE_PRINT_SETUP: {
        QPrinter printer;
        QPrintDialog dialog(&printer, m_pMainFrame.get());
        dialog.exec();
        return true;
    }
    default: return false;
    }
}

bool CCorvaleApp::OnUpdateCommand(int id, CommandState& state)
{
    if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST)
        return true;
    if (m_pHelp && m_pHelp->OnUpdateCommand(id, state))
        return true;
    switch (id) {
    case ID_FILE_OPEN:
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
    case ID_FILE_PRINT_SETUP:
    case ID_IMPORT_ZIP:
        return true;
    case ID_FILE_CLOSE:
        state.enabled = m_pDocument != nullptr;
        return true;
    case ID_VIEW_MEDIA_PLAYER:
        // Offered until the back end is first asked: asking it here would
        // load it with the first book.
        state.enabled = m_pDocument != nullptr && MediaPlayerMayBeAvailable();
        state.checked = m_pMediaWindows->HasMediaWindow();
        return true;
    default:
        return false;
    }
}
