#include "viewer/PhotoTree.h"

#include "model/CorvaleDoc.h"
#include "platform/CodePage.h"
#include "viewer/CorvaleApp.h"
#include "viewer/HelpTopics.h"
#include "viewer/MainFrame.h"
#include "model/MediaNode.h"
#include "viewer/PhotoTreeDataSource.h"
#include "viewer/TreeImages.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>

CPhotoTree::CPhotoTree(QWidget* parent) : QTreeWidget(parent), CRouter(false)
{
    setWhatsThis(WhatsThisText(HelpTopic::Browsing));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The viewer never edits a Picture Book: labels cannot be edited.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Node data leaves the tree; nothing can be dropped on it.
    setDragDropMode(QAbstractItemView::DragOnly);
    setIconSize(QSize(TreeImages::kWidth, TreeImages::kHeight));
    for (int i = 0; i < TI_COUNT; ++i)
        m_images[static_cast<size_t>(i)] = TreeImages::Icon(i);

    connect(this, &QTreeWidget::itemSelectionChanged, this, &CPhotoTree::OnSelectionChanged);
    ShowEmpty();
}

CPhotoTree::~CPhotoTree()
{
    // Items go with the base class, after this part of the object is gone.
    blockSignals(true);
}

QTreeWidgetItem* CPhotoTree::ItemForNode(const CBaseNode* node) const
{
    if (!node)
        return nullptr;
    auto it = m_itemMap.find(node);
    if (it != m_itemMap.end())
        return it->second;
    return m_bLoaded && NodeOfItem(m_pRootItem) == node ? m_pRootItem : nullptr;
}

CBaseNode* CPhotoTree::NodeOfItem(const QTreeWidgetItem* item)
{
    return item ? static_cast<CBaseNode*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

int CPhotoTree::ImageIndexFor(const CBaseNode* node)
{
    if (!node)
        return TI_BOOK;
    if (node->IsMedia())
        return TreeImages::IndexForMediaType(static_cast<const CMediaNode*>(node)->m_nMediaType);
    if (node->IsPhoto())
        return node->m_bGroup ? TI_GROUP : TI_PHOTO;
    return TI_OTHER_MEDIA;
}

QTreeWidgetItem* CPhotoTree::NewItem(CBaseNode* node, const QString& text, int image)
{
    auto* item = new QTreeWidgetItem(QStringList(text));
    item->setIcon(0, m_images[static_cast<size_t>(image)]);
    item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(node));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    return item;
}

void CPhotoTree::RemoveAllItems()
{
    QScopedValueRollback<bool> guard(m_bSelecting, true);
    m_itemMap.clear();
    m_pRootItem = nullptr;
    m_pSelectedItem = nullptr;
    m_pPressedItem = nullptr;
    clear();
}

void CPhotoTree::ShowEmpty()
{
    RemoveAllItems();
    m_pRootItem = NewItem(nullptr, QStringLiteral("No Photos Loaded"), TI_BOOK);
    addTopLevelItem(m_pRootItem);
}

void CPhotoTree::Fill(CPhotoNode* node, QTreeWidgetItem* parentItem)
{
    // Items that are replaced leave the map with everything below them.
    std::vector<QTreeWidgetItem*> stale(1, parentItem);
    while (!stale.empty()) {
        QTreeWidgetItem* item = stale.back();
        stale.pop_back();
        for (int i = 0; i < item->childCount(); ++i) {
            m_itemMap.erase(NodeOfItem(item->child(i)));
            stale.push_back(item->child(i));
        }
    }
    {
        QScopedValueRollback<bool> guard(m_bSelecting, true);
        qDeleteAll(parentItem->takeChildren());
    }

    // Below every photograph or group its multimedia items come first.
    for (const auto& media : node->m_media) {
        if (!media)
            continue;
        QTreeWidgetItem* item = NewItem(media.get(), QString::fromStdString(Cp1252ToUtf8(media->m_strCaption)),
                                        ImageIndexFor(media.get()));
        parentItem->addChild(item);
        m_itemMap[media.get()] = item;
    }
    for (const auto& child : node->m_photos) {
        if (!child)
            continue;
        QTreeWidgetItem* item = NewItem(child.get(), QString::fromStdString(Cp1252ToUtf8(child->m_strCaption)),
                                        ImageIndexFor(child.get()));
        parentItem->addChild(item);
        m_itemMap[child.get()] = item;
        Fill(child.get(), item);
    }
}

void CPhotoTree::SelectProgrammatically(QTreeWidgetItem* item)
{
    QScopedValueRollback<bool> guard(m_bSelecting, true);
    setCurrentItem(item);
    scrollToItem(item);
}

void CPhotoTree::OnMessage(const RouterMessage& message)
{
    switch (message.m_nCode) {
    case RM_BOOK_LOADED: {
        RemoveAllItems();
        CCorvaleDoc* doc = CCorvaleDoc::GetActiveBook();
        QString label = doc && !doc->m_strBookTitle.empty()
                            ? QString::fromStdString(Cp1252ToUtf8(doc->m_strBookTitle))
                            : QStringLiteral("Photo Album");
        m_pRootItem = NewItem(message.m_pNode, label, TI_BOOK);
        addTopLevelItem(m_pRootItem);
        if (message.m_pNode && message.m_pNode->IsPhoto())
            Fill(static_cast<CPhotoNode*>(message.m_pNode), m_pRootItem);
        m_pRootItem->setExpanded(true);
        SelectProgrammatically(m_pRootItem);
        m_pSelectedItem = m_pRootItem;
        m_bLoaded = true;
        break;
    }
    case RM_BOOK_CLOSING:
        m_bLoaded = false;
        ShowEmpty();
        break;
    case RM_SELECT_NODE: {
        CBaseNode* node = message.m_pNode;
        QTreeWidgetItem* item = nullptr;
        if (node) {
            auto it = m_itemMap.find(node);
            if (it != m_itemMap.end())
                item = it->second;
            else if (node->IsRoot())
                item = m_pRootItem;
        }
        if (item)
            SelectProgrammatically(item);
        // Passed on whatever was selected, so a part that announced a node with
        // itself as sender hears of it too. A tree never echoes its own echo.
        if (!m_bRebroadcasting) {
            QScopedValueRollback<bool> guard(m_bRebroadcasting, true);
            Send(RouterMessage::SelectNode(node), this);
        }
        break;
    }
    default:
        break;
    }
}

void CPhotoTree::OnSelectionChanged()
{
    if (m_bSelecting || !m_bLoaded)
        return;
    const QList<QTreeWidgetItem*> items = selectedItems();
    if (items.isEmpty())
        return;
    m_pSelectedItem = items.first();
    if (CBaseNode* node = NodeOfItem(m_pSelectedItem))
        Send(RouterMessage::SelectNode(node), this);
}

QItemSelectionModel::SelectionFlags CPhotoTree::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const
{
    // Like the platform's tree control, a click (even with Ctrl) never leaves
    // the tree without a selected item.
    QItemSelectionModel::SelectionFlags flags = QTreeWidget::selectionCommand(index, event);
    if (index.isValid() && (flags & QItemSelectionModel::Deselect))
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void CPhotoTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        OnRightButtonDown(event->position().toPoint(), event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_pPressedItem = itemAt(event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
}

void CPhotoTree::mouseMoveEvent(QMouseEvent* event)
{
    // Over empty parts of the pane a move is swallowed, except while the left
    // button holds an item: its drag starts wherever the pointer goes.
    bool dragging = m_pPressedItem && (event->buttons() & Qt::LeftButton);
    if (!dragging && !itemAt(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CPhotoTree::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pPressedItem = nullptr;
    QTreeWidget::mouseReleaseEvent(event);
}

void CPhotoTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        CBaseNode* node = NodeOfItem(selectedItems().value(0));
        if (node && node->IsMedia())
            static_cast<CMediaNode*>(node)->Play();
    }
    // Expanding or collapsing still follows.
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CPhotoTree::OnRightButtonDown(const QPoint& pos, const QPoint& globalPos)
{
    if (!viewport()->rect().contains(pos))
        return;
    QTreeWidgetItem* item = itemAt(pos);
    CBaseNode* node = NodeOfItem(item);
    if (!node)
        return;
    ContextMenuIndex index;
    if (node->IsPhoto())
        index = node->m_bGroup ? CM_TREE_GROUP : CM_TREE_IMAGE;
    else if (node->IsMedia())
        index = CM_TREE_MEDIA;
    else {
        QApplication::beep();
        return;
    }
    // The menu's commands act on the viewer's current node; the item is only
    // shown selected while the menu is up, and nobody else is told.
    setFocus(Qt::MouseFocusReason);
    SelectProgrammatically(item);
    TrackPopup(index, globalPos);
}

void CPhotoTree::TrackPopup(ContextMenuIndex index, const QPoint& globalPos)
{
    CCorvaleApp* app = CCorvaleApp::Instance();
    CMainFrame* frame = app ? app->GetMainFrame() : nullptr;
    if (!frame)
        return;
    QMenu* menu = frame->CreateContextMenu(index, frame);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->exec(globalPos);
}

void CPhotoTree::startDrag(Qt::DropActions)
{
    QTreeWidgetItem* item = m_pPressedItem ? m_pPressedItem : currentItem();
    CBaseNode* node = NodeOfItem(item);
    if (!node)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(CreateNodeMimeData(node));
    drag->setPixmap(m_images[static_cast<size_t>(ImageIndexFor(node))].pixmap(iconSize()));
    if (RunDrag(drag, Qt::CopyAction | Qt::MoveAction) == Qt::IgnoreAction)
        setFocus(Qt::OtherFocusReason);
}

Qt::DropAction CPhotoTree::RunDrag(QDrag* drag, Qt::DropActions allowed)
{
    return drag->exec(allowed, Qt::CopyAction);
}

bool CPhotoTree::OnCommand(int id)
{
    if (id != ID_EDIT_COPY)
        return false;
    CCorvaleDoc* doc = CCorvaleDoc::GetActiveBook();
    if (doc && doc->CanCopyNode())
        QApplication::clipboard()->setMimeData(CreateNodeMimeData(doc->m_pCurrent));
    return true;
}

bool CPhotoTree::OnUpdateCommand(int id, CommandState& state)
{
    if (id != ID_EDIT_COPY)
        return false;
    CCorvaleDoc* doc = CCorvaleDoc::GetActiveBook();
    state.enabled = doc && doc->CanCopyNode();
    return true;
}
