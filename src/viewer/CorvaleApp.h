#pragma once
// The viewer's application object: start-up, the command line, the settings it
// keeps, the one open Picture Book and every way of opening a file.

#include "app/RecentFileList.h"
#include "viewer/CommandTarget.h"
#include "viewer/ViewHost.h"

#include <QObject>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CCorvaleDoc;
class CMainFrame;
class CChildFrame;
class CDocumentCommands;
class CHelpCommands;
class CMediaWindowManager;
class MapiSession;
class PrinterDirectory;
class QtPrompter;
class SingleInstance;
class QTimer;

class CCorvaleApp : public QObject, public CommandTarget, public ViewHost {
    Q_OBJECT
public:
    CCorvaleApp();
    ~CCorvaleApp() override;

    // What the book's views ask of the program, from the main frame.
    DisplaySettings LiveDisplaySettings() const override;
    bool CenterLargePhotos() const override { return m_bCenterLargePhotos; }
    void ShowStatusMessage(const QString& text) override;
    void TrackContextMenu(ContextMenuIndex index, QWidget* owner, const QPoint& globalPos) override;

    // Start-up; false ends the process (the message, if any, was shown).
    bool InitInstance(const QStringList& arguments);
    // The message loop, until the main window is closed.
    int Run();
    int ExitInstance();

    // The only way any file is opened: closes the open Picture Book first,
    // without asking. Null when the file could not be opened (reported).
    CCorvaleDoc* OpenDocumentFile(const std::string& path);
    // Closes the open Picture Book (and its windows) without saving.
    void CloseAllDocuments();
    // An empty Picture Book of the ".pbk" kind.
    bool NewDocument();

    // Imports a Picture Book from a ZIP archive and opens it.
    bool ImportZipArchive(const std::string& path);

    CCorvaleDoc* GetDocument() const { return m_pDocument.get(); }
    CDocumentCommands* GetDocumentCommands() const { return m_pDocCommands.get(); }
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    CChildFrame* GetPhotoFrame() const { return m_pPhotoFrame; }
    RecentFileList& RecentFiles() { return m_recentFiles; }
    CMediaWindowManager* GetMediaWindows() const { return m_pMediaWindows.get(); }
    MapiSession* GetMailSession() const { return m_pMapiSession.get(); }
    CHelpCommands* GetHelp() const { return m_pHelp.get(); }
    // The printers "/pt" chooses among; before InitInstance.
    void SetPrinterDirectory(std::unique_ptr<PrinterDirectory> printers);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // The Picture Book root folder ("PictureBookRootPath", else the
    // installation folder's "My Photos" when it exists, else that folder).
    std::string GetPictureBookRootPath() const;

    // The process's exit code when InitInstance ends it.
    int m_nExitCode = 0;
    std::string m_strInstallFolder;
    bool m_bFixedDrive = true;
    // Whether the multimedia back end can play. It is asked the first time a
    // media item needs it, not at start-up: loading it costs every start.
    bool IsMediaPlayerAvailable();
    // True until the back end, once asked, has said no.
    bool MediaPlayerMayBeAvailable() const { return m_bMediaPlayerAvailable.value_or(true); }
    std::optional<bool> m_bMediaPlayerAvailable; // empty until asked
    std::function<bool()> m_mediaPlayerProbe;    // how it is asked
    bool m_bCenterLargePhotos = true;

private:
    void OnFileOpen();
    void OnImportFromZip();
    void OnRecentFile(int index);
    void OnAppAbout();
    void OnPhotoFrameClosed();
    void OnSecondInstanceOpen(const QString& path);
    // Acts on the oldest request of a later start once nothing is on the stack
    // that an open would pull away: no dialog or menu, no open in progress.
    void TakePendingOpen();
    bool CanTakeRequests() const;
    // Gives `doc` its photo window, lets `fill` open or start it, and makes it
    // the open Picture Book; false (and nothing kept) when `fill` fails.
    bool OpenInNewWindow(std::unique_ptr<CCorvaleDoc> doc, const std::function<bool(CCorvaleDoc&)>& fill);
    // Enters `path` in the recent-file list, which is saved at once.
    void AddToRecentFileList(const std::string& path);

    std::unique_ptr<QtPrompter> m_pPrompter;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<CCorvaleDoc> m_pDocument;
    std::unique_ptr<CDocumentCommands> m_pDocCommands;
    CChildFrame* m_pPhotoFrame = nullptr; // owned by the MDI area
    std::unique_ptr<SingleInstance> m_pSingleInstance;
    std::unique_ptr<CMediaWindowManager> m_pMediaWindows;
    std::unique_ptr<MapiSession> m_pMapiSession;
    std::unique_ptr<CHelpCommands> m_pHelp;
    std::unique_ptr<PrinterDirectory> m_pPrinters;
    RecentFileList m_recentFiles;
    std::deque<std::string> m_pendingOpens; // from later starts, oldest first
    QTimer* m_pPendingTimer = nullptr;
    int m_nOpening = 0; // opens and imports in progress
    int m_nIdleLoopLevel = 0; // the event loop level of Run(), where nothing is nested
};
