#pragma once
// The main window: MDI area, "Main Toolbar" and "Media" toolbars, status bar
// with the picture-size and lock panes, the "Photo Tree" and "Photo Text" panes, the menus
// and every command action (created and enabled here, in one place each).

#include "app/CommandTable.h"
#include "viewer/CommandTarget.h"

#include <QMainWindow>
#include <QMargins>

#include <map>
#include <vector>

class CPhotoText;
class CPhotoTree;
class CSplitterStyle;
class LockIndicatorPanes;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;

class CCorvaleApp;
class MessageBus;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    // The main window of `app`, which outlives it.
    explicit CMainFrame(CCorvaleApp& app);
    ~CMainFrame() override;

    CCorvaleApp& App() const { return m_app; }

    QMdiArea* MdiArea() const { return m_pMdiArea; }
    // The tree and text panes follow the book whose bus this is (null: none).
    void FollowBook(MessageBus* bus);
    CPhotoTree* PhotoTree() const { return m_pPhotoTree; }
    CPhotoText* PhotoText() const { return m_pPhotoText; }
    QDockWidget* TreeDock() const { return m_pTreeDock; }
    QDockWidget* TextDock() const { return m_pTextDock; }
    QLabel* SizePane() const { return m_pSizePane; }
    LockIndicatorPanes* LockPanes() const { return m_pLockPanes; }

    QAction* Action(int id) const;
    // A popup of the context menu at `index`, built on the shared actions.
    QMenu* CreateContextMenu(ContextMenuIndex index, QWidget* parent) const;
    // Shows context menu `index` at `globalPos` for `owner`, which takes the focus first.
    void TrackContextMenu(ContextMenuIndex index, QWidget* owner, const QPoint& globalPos) const;

    // Offers `id` along the route: focused pane, photo view, document, this
    // window, the application. Returns true when someone took it.
    bool RouteCommand(int id);
    // Enables and checks every action and refreshes the size and lock panes.
    void UpdateCommandUI();
    // Menu 105 without a Picture Book, 108 with one; the recent files filled in.
    // The caption follows too: "Corvale", or "Corvale - " and the book's name.
    void RebuildMenus();

    void SetMessageText(const QString& text);
    // How the separators between the panes are drawn (CSplitterStyle codes).
    void SetSplitterCode(int code);
    int SplitterCode() const;
    void ShowTextPane(bool show);
    void ReadDisplaySettings();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // Live display settings used when photographs are shrunk.
    bool m_bShrinkLargeImages = true;
    int m_nImageShrinkSize = 2;
    int m_nImageShrinkFactor = 0;

    // The names of the last drop, walked by the deferred drop handler.
    std::vector<std::string> m_droppedFiles;
    void HandleDroppedFiles();

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CCorvaleApp& m_app;

    void CreateActions();
    void CreateToolbars();
    void CreateStatusBar();
    void CreatePanes();
    void AddMenuItems(QMenu* menu, const std::vector<MenuItem>& items) const;
    void PlaceWindow();
    void UpdateFrameTitle();
    // Gives the placed frame its size once the window manager says how thick it is.
    void FitFrameToPlace();
    // The frame's thickness on each side; none before the window is framed.
    QMargins FrameMargins() const;
    void OnCustomize();
    bool StateFor(int id, CommandState& state);
    // Focused pane, photo view, document, this window, the application.
    std::vector<CommandTarget*> BuildRoute() const;

    QMdiArea* m_pMdiArea = nullptr;
    CPhotoTree* m_pPhotoTree = nullptr;
    CPhotoText* m_pPhotoText = nullptr;
    QDockWidget* m_pTreeDock = nullptr;
    QDockWidget* m_pTextDock = nullptr;
    QLabel* m_pMessagePane = nullptr;
    QLabel* m_pSizePane = nullptr;
    LockIndicatorPanes* m_pLockPanes = nullptr;
    std::vector<QToolBar*> m_toolbars;
    std::map<int, QAction*> m_actions;
    std::vector<QAction*> m_recentActions;
    QTimer* m_pUpdateTimer = nullptr;
    QTimer* m_pDropTimer = nullptr;
    CSplitterStyle* m_pSplitterStyle = nullptr;
    bool m_bPlaced = false;
    bool m_bDocksSized = false;
    // Where the frame was placed, until the frame's size can be made to fit it.
    QRect m_placedFrame;
    bool m_bFitPending = false;
    QMargins m_normalMargins; // of the last frame seen in the normal state
    bool m_bMenusForBook = false;
    bool m_bMenusBuilt = false;
};
