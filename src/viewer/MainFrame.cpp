#include "viewer/MainFrame.h"

#include "app/DroppedFiles.h"
#include "app/ViewTexts.h"
#include "app/WindowPlacement.h"
#include "model/CorvaleDoc.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "viewer/ArrangeIcons.h"
#include "viewer/ChildFrame.h"
#include "viewer/CommandIcons.h"
#include "viewer/CorvaleApp.h"
#include "viewer/CorvaleView.h"
#include "viewer/CustomizeSheet.h"
#include "viewer/DocumentCommands.h"
#include "viewer/LockIndicatorPanes.h"
#include "viewer/PhotoText.h"
#include "viewer/PhotoTree.h"
#include "viewer/SplitterStyle.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {

// Every command that appears on a menu, a toolbar or as a key.
void CollectIds(const std::vector<MenuItem>& items, std::vector<int>& ids)
{
    for (const MenuItem& item : items) {
        if (item.id != 0)
            ids.push_back(item.id);
        CollectIds(item.submenu, ids);
    }
}

bool IsCheckable(int id)
{
    return id == ID_WORKBOOK_MODE || id == ID_VIEW_PHOTO_TREE || id == ID_VIEW_PHOTO_TEXT ||
           id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR || id == ID_VIEW_MEDIA_PLAYER;
}

} // namespace

CMainFrame::CMainFrame(CCorvaleApp& app) : m_app(app)
{
    setAcceptDrops(true);
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);

    CreateActions();
    CreateToolbars();
    CreateStatusBar();
    CreatePanes();
    RebuildMenus();

    // Command states follow focus, selection and the open book; refreshing them
    // a few times a second is cheap and keeps toolbar buttons honest.
    m_pUpdateTimer = new QTimer(this);
    m_pUpdateTimer->setInterval(250);
    connect(m_pUpdateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    m_pUpdateTimer->start();

    m_pDropTimer = new QTimer(this);
    m_pDropTimer->setSingleShot(true);
    m_pDropTimer->setInterval(1);
    connect(m_pDropTimer, &QTimer::timeout, this, &CMainFrame::HandleDroppedFiles);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateActions()
{
    std::vector<int> ids;
    CollectIds(GetMenuBar(IDR_MAINFRAME), ids);
    CollectIds(GetMenuBar(IDR_BOOK_MENU), ids);
    for (int i = 0; i < CM_TEXT + 1; ++i)
        CollectIds(GetContextMenu(static_cast<ContextMenuIndex>(i)).submenu, ids);
    for (const ToolbarInfo& bar : GetToolbars())
        for (int id : bar.buttons)
            if (id)
                ids.push_back(id);
    for (const Accelerator& key : GetAccelerators(true))
        ids.push_back(key.id);

    for (int id : ids) {
        if (m_actions.count(id) || (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST))
            continue;
        std::string text = CommandText(id);
        QList<QKeySequence> keys;
        for (const Accelerator& key : GetAccelerators(true))
            if (key.id == id)
                keys.append(QKeySequence(QString::fromLatin1(key.key)));
        // Keys that are accelerators show through the action's shortcut; a key
        // only written beside a menu text stays part of the text.
        if (!keys.isEmpty()) {
            size_t tab = text.find('\t');
            if (tab != std::string::npos)
                text.resize(tab);
        }
        auto* action = new QAction(QString::fromStdString(text), this);
        action->setData(id);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setIcon(CommandIcon(id));
        action->setCheckable(IsCheckable(id));
        std::string prompt = CommandPrompt(id);
        if (!prompt.empty()) {
            size_t newline = prompt.find('\n');
            action->setStatusTip(QString::fromStdString(prompt.substr(0, newline)));
            action->setWhatsThis(action->statusTip());
            if (newline != std::string::npos)
                action->setToolTip(QString::fromStdString(prompt.substr(newline + 1)));
        }
        connect(action, &QAction::triggered, this, [this, id]() {
            RouteCommand(id);
            UpdateCommandUI();
        });
        addAction(action);
        m_actions[id] = action;
    }
    for (int i = 0; i < static_cast<int>(RecentFileList::kSize); ++i) {
        auto* action = new QAction(this);
        int id = ID_FILE_MRU_FIRST + i;
        connect(action, &QAction::triggered, this, [this, id]() { RouteCommand(id); });
        m_recentActions.push_back(action);
    }
}

QAction* CMainFrame::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateToolbars()
{
    for (const ToolbarInfo& info : GetToolbars()) {
        QToolBar* bar = addToolBar(QString::fromLatin1(info.title));
        bar->setObjectName(QString::fromLatin1(info.title));
        for (int id : info.buttons) {
            if (id == 0)
                bar->addSeparator();
            else if (QAction* action = Action(id))
                bar->addAction(action);
        }
        m_toolbars.push_back(bar);
    }
}

void CMainFrame::CreateStatusBar()
{
    m_pMessagePane = new QLabel(this);
    m_pSizePane = new QLabel(QStringLiteral("      "), this);
    statusBar()->addWidget(m_pMessagePane, 1);
    statusBar()->addPermanentWidget(m_pSizePane);
    m_pLockPanes = new LockIndicatorPanes(statusBar());
}

void CMainFrame::FollowBook(MessageBus* bus)
{
    m_pPhotoTree->JoinBus(bus);
    m_pPhotoText->JoinBus(bus);
}

void CMainFrame::CreatePanes()
{
    m_pTreeDock = new QDockWidget(QStringLiteral("Photo Tree"), this);
    m_pTreeDock->setObjectName(QStringLiteral("Photo Tree"));
    m_pPhotoTree = new CPhotoTree(
        [this] { return m_app.GetDocument(); },
        [this](ContextMenuIndex index) { return CreateContextMenu(index, this); },
        m_pTreeDock);
    m_pTreeDock->setWidget(m_pPhotoTree);
    addDockWidget(Qt::LeftDockWidgetArea, m_pTreeDock);

    m_pTextDock = new QDockWidget(QStringLiteral("Photo Text"), this);
    m_pTextDock->setObjectName(QStringLiteral("Photo Text"));
    m_pPhotoText = new CPhotoText([this](ContextMenuIndex index) { return CreateContextMenu(index, this); },
                                  m_pTextDock);
    m_pTextDock->setWidget(m_pPhotoText);
    addDockWidget(Qt::BottomDockWidgetArea, m_pTextDock);
    m_pTextDock->hide();
    connect(m_pPhotoText, &CPhotoText::ShowPaneRequested, this, &CMainFrame::ShowTextPane);
}

void CMainFrame::AddMenuItems(QMenu* menu, const std::vector<MenuItem>& items) const
{
    for (const MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (!item.submenu.empty()) {
            AddMenuItems(menu->addMenu(QString::fromLatin1(item.text)), item.submenu);
        } else if (item.id == ID_FILE_MRU_FIRST) {
            const RecentFileList& recent = m_app.RecentFiles();
            if (recent.Items().empty()) {
                menu->addAction(QStringLiteral("Recent File"))->setEnabled(false);
                continue;
            }
            for (size_t i = 0; i < recent.Items().size(); ++i) {
                QAction* action = m_recentActions[i];
                action->setText(QString::fromStdString(recent.MenuText(i)));
                // The whole path where the menu has room only for a shortened one.
                action->setStatusTip(QString::fromStdString(recent.Items()[i]));
                menu->addAction(action);
            }
        } else if (QAction* action = Action(item.id)) {
            menu->addAction(action);
        }
    }
}

void CMainFrame::RebuildMenus()
{
    bool bookOpen = m_app.GetDocument() != nullptr;
    menuBar()->clear();
    const MenuBar& bar = GetMenuBar(bookOpen ? IDR_BOOK_MENU : IDR_MAINFRAME);
    for (const MenuItem& top : bar) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(top.text));
        AddMenuItems(menu, top.submenu);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    }
    m_bMenusForBook = bookOpen;
    m_bMenusBuilt = true;
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle()
{
    // As the framework names a document: its file's name without the extension.
    CCorvaleDoc* doc = m_app.GetDocument();
    QString title = QString::fromLatin1(kApplicationName);
    if (doc) {
        QString name = QString::fromStdString(doc->GetTitle());
        if (!doc->GetPathName().empty())
            name = QFileInfo(name).completeBaseName();
        title += QStringLiteral(" - ") + name;
    }
    setWindowTitle(title);
}

QMenu* CMainFrame::CreateContextMenu(ContextMenuIndex index, QWidget* parent) const
{
    auto* menu = new QMenu(QString::fromLatin1(GetContextMenu(index).text), parent);
    AddMenuItems(menu, GetContextMenu(index).submenu);
    const_cast<CMainFrame*>(this)->UpdateCommandUI();
    return menu;
}

void CMainFrame::TrackContextMenu(ContextMenuIndex index, QWidget* owner, const QPoint& globalPos) const
{
    // The menu's commands may close the owner's window: the menu must not go with it.
    QPointer<QMenu> menu = CreateContextMenu(index, owner);
    owner->setFocus(Qt::PopupFocusReason);
    menu->exec(globalPos);
    delete menu;
}

std::vector<CommandTarget*> CMainFrame::BuildRoute() const
{
    std::vector<CommandTarget*> route;
    QWidget* focus = QApplication::focusWidget();
    if (focus == m_pPhotoText)
        route.push_back(m_pPhotoText);
    else if (focus == m_pPhotoTree)
        route.push_back(m_pPhotoTree);
    if (CChildFrame* frame = m_app.GetPhotoFrame())
        if (auto* view = qobject_cast<CCorvaleView*>(frame->View()))
            route.push_back(view);
    if (m_app.GetDocumentCommands())
        route.push_back(m_app.GetDocumentCommands());
    route.push_back(const_cast<CMainFrame*>(this));
    route.push_back(&m_app);
    return route;
}

bool CMainFrame::RouteCommand(int id)
{
    for (CommandTarget* target : BuildRoute())
        if (target->OnCommand(id))
            return true;
    return false;
}

bool CMainFrame::StateFor(int id, CommandState& state)
{
    for (CommandTarget* target : BuildRoute())
        if (target->OnUpdateCommand(id, state))
            return true;
    return false;
}

void CMainFrame::UpdateCommandUI()
{
    bool bookOpen = m_app.GetDocument() != nullptr;
    if (m_bMenusBuilt && bookOpen != m_bMenusForBook)
        RebuildMenus();
    for (auto& [id, action] : m_actions) {
        CommandState state;
        // A command nobody handles is disabled, as on every menu of the framework.
        bool handled = StateFor(id, state);
        action->setEnabled(handled && state.enabled);
        if (action->isCheckable())
            action->setChecked(state.checked);
    }
    for (QAction* action : m_recentActions)
        action->setEnabled(true);

    QString size = QString::fromStdString(StatusSizeText(m_app.GetDocument()));
    if (m_pSizePane->text() != size) {
        m_pSizePane->setText(size);
        // Measured with the pane's own font, the whole text width is needed.
        m_pSizePane->setFixedWidth(m_pSizePane->fontMetrics().horizontalAdvance(size) + 8);
    }
    m_pLockPanes->Refresh();
}

bool CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_WORKBOOK_MODE:
        m_pMdiArea->setViewMode(m_pMdiArea->viewMode() == QMdiArea::TabbedView
                                    ? QMdiArea::SubWindowView
                                    : QMdiArea::TabbedView);
        return true;
    case ID_VIEW_PHOTO_TREE:
        m_pTreeDock->setVisible(!m_pTreeDock->isVisible());
        return true;
    case ID_VIEW_PHOTO_TEXT:
        m_pTextDock->setVisible(!m_pTextDock->isVisible());
        return true;
    case ID_VIEW_TOOLBAR:
        m_toolbars[0]->setVisible(!m_toolbars[0]->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case ID_CUSTOMIZE:
        OnCustomize();
        return true;
    case ID_WINDOW_CASCADE:
        m_pMdiArea->cascadeSubWindows();
        return true;
    case ID_WINDOW_TILE:
        m_pMdiArea->tileSubWindows();
        return true;
    case ID_WINDOW_ARRANGE:
        ArrangeIcons(*m_pMdiArea);
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        if (id == ID_NEXT_PANE)
            focusNextChild();
        else
            focusPreviousChild();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state)
{
    switch (id) {
    case ID_WORKBOOK_MODE: state.checked = m_pMdiArea->viewMode() == QMdiArea::TabbedView; return true;
    case ID_VIEW_PHOTO_TREE: state.checked = m_pTreeDock->isVisible(); return true;
    case ID_VIEW_PHOTO_TEXT: state.checked = m_pTextDock->isVisible(); return true;
    case ID_VIEW_TOOLBAR: state.checked = m_toolbars[0]->isVisible(); return true;
    case ID_VIEW_STATUS_BAR: state.checked = statusBar()->isVisible(); return true;
    case ID_CUSTOMIZE:
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        return true;
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE:
    case ID_WINDOW_ARRANGE:
        state.enabled = !m_pMdiArea->subWindowList().isEmpty();
        return true;
    default:
        return false;
    }
}

void CMainFrame::SetMessageText(const QString& text)
{
    m_pMessagePane->setText(text);
}

void CMainFrame::ShowTextPane(bool show)
{
    m_pTextDock->setVisible(show);
}

void CMainFrame::SetSplitterCode(int code)
{
    if (m_pSplitterStyle && m_pSplitterStyle->GetCode() == code)
        return;
    // The style is this window's own: the separators are drawn with it, while
    // child widgets keep the application style.
    auto* style = new CSplitterStyle(code);
    style->setParent(this);
    setStyle(style);
    delete m_pSplitterStyle;
    m_pSplitterStyle = style;
}

int CMainFrame::SplitterCode() const
{
    return m_pSplitterStyle ? m_pSplitterStyle->GetCode() : CSplitterStyle::k3D;
}

void CMainFrame::ReadDisplaySettings()
{
    Settings settings = Settings::Profile();
    m_bShrinkLargeImages = settings.GetInt(SettingKey::ShrinkLargeImages) != 0;
    m_nImageShrinkSize = settings.GetInt(SettingKey::ImageShrinkSize);
    m_nImageShrinkFactor = settings.GetInt(SettingKey::ImageShrinkFactor);
}

void CMainFrame::PlaceWindow()
{
    QRect area = screen() ? screen()->availableGeometry() : QRect();
    PlacementRect work = area.isValid()
                             ? PlacementRect{area.left(), area.top(), area.right() + 1, area.bottom() + 1}
                             : kFallbackWorkArea;
    std::vector<PlacementRect> screens;
    for (QScreen* each : QGuiApplication::screens()) {
        QRect r = each->availableGeometry();
        screens.push_back({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
    PlacementRect place = KeepTitleBarOnScreen(ReadMainPlacement(Settings::Profile(), work), screens);
    // The stored place is the outer frame's, as the one written on close.
    m_placedFrame = QRect(place.left, place.top, place.Width(), place.Height());
    m_bFitPending = true;
    FitFrameToPlace();
    if (m_bFitPending) {
        resize(m_placedFrame.size());
        move(m_placedFrame.topLeft());
    }
    raise();
}

QMargins CMainFrame::FrameMargins() const
{
    QRect outer = frameGeometry();
    QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void CMainFrame::FitFrameToPlace()
{
    if (windowState() == Qt::WindowNoState && !FrameMargins().isNull())
        m_normalMargins = FrameMargins();
    if (!m_bFitPending || m_normalMargins.isNull())
        return;
    m_bFitPending = false;
    resize(m_placedFrame.size().shrunkBy(m_normalMargins));
    move(m_placedFrame.topLeft());
}

void CMainFrame::setVisible(bool visible)
{
    // Placed before the window exists, the corner given is the frame's: the
    // window manager is asked to put the frame, not the inner area, there.
    if (visible && !m_bPlaced) {
        m_bPlaced = true;
        PlaceWindow();
    }
    QMainWindow::setVisible(visible);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_bDocksSized) {
        m_bDocksSized = true;
        // The text pane holds a few lines; the photograph gets the room.
        resizeDocks({m_pTreeDock}, {width() / 4}, Qt::Horizontal);
        resizeDocks({m_pTextDock}, {height() / 6}, Qt::Vertical);
    }
    SetSplitterCode(CSplitterStyle::CodeFor(Settings::Profile().GetInt(SettingKey::SplitterStyle)));
    ReadDisplaySettings();
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    FitFrameToPlace();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FitFrameToPlace();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The outer frame of the normal (restored) window is stored, the same
    // rectangle that the next start places.
    QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    if (windowState() == Qt::WindowNoState)
        normal = frameGeometry();
    else
        normal = normal.marginsAdded(m_normalMargins);
    Settings settings = Settings::Profile();
    WriteMainPlacement(settings, {normal.left(), normal.top(), normal.right() + 1, normal.bottom() + 1});
    m_app.CloseAllDocuments();
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    m_droppedFiles.clear();
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            m_droppedFiles.push_back(url.toLocalFile().toStdString());
    event->acceptProposedAction();
    // Opening runs from the timer so the drag source is not kept waiting.
    m_pDropTimer->start();
}

void CMainFrame::HandleDroppedFiles()
{
    m_pDropTimer->stop();
    DropChoice choice = ChooseDroppedFile(m_droppedFiles);
    m_droppedFiles.clear();
    CCorvaleApp* app = &m_app;
    switch (choice.action) {
    case DropAction::Open:
        app->CloseAllDocuments();
        app->OpenDocumentFile(choice.path);
        break;
    case DropAction::Import:
        app->CloseAllDocuments();
        app->ImportZipArchive(choice.path);
        break;
    case DropAction::None:
        if (!app->GetDocument())
            app->NewDocument();
        break;
    }
    UpdateCommandUI();
}

void CMainFrame::OnCustomize()
{
    CCustomizeSheet sheet(this);
    sheet.exec();
    ReadDisplaySettings();
}
