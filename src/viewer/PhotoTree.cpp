#include "viewer/PhotoTree.h"

#include "model/CorvaleDoc.h"
#include "model/MediaNode.h"
#include "platform/CodePage.h"
#include "viewer/HelpTopics.h"
#include "viewer/PhotoTreeDataSource.h"
#include "viewer/PhotoTreeModel.h"
#include "viewer/TreeImages.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>

CPhotoTree::CPhotoTree(BookAccess book, MenuFactory contextMenu, QWidget* parent)
    : QTreeView(parent), CRouter(false), m_book(std::move(book)), m_contextMenu(std::move(contextMenu)),
      m_pModel(new PhotoTreeModel(this))
{
    setWhatsThis(WhatsThisText(HelpTopic::Browsing));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    // Every row is one icon and one line: the view need not measure a
    // million of them to scroll.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The viewer never edits a Picture Book: labels cannot be edited.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Node data leaves the tree; nothing can be dropped on it.
    setDragDropMode(QAbstractItemView::DragOnly);
    setIconSize(QSize(TreeImages::kWidth, TreeImages::kHeight));
    setModel(m_pModel);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CPhotoTree::OnSelectionChanged);
    ShowEmpty();
}

CPhotoTree::~CPhotoTree()
{
    // The model and the selection go with the base class, after this part of
    // the object is gone: nothing they say may reach it.
    disconnect(selectionModel(), nullptr, this, nullptr);
}

QModelIndex CPhotoTree::ItemForNode(const CBaseNode* node) const
{
    return m_pModel->IndexOf(node);
}

CBaseNode* CPhotoTree::NodeOfItem(const QModelIndex& item)
{
    return PhotoTreeModel::NodeOf(item);
}

QModelIndex CPhotoTree::RootItem() const
{
    return m_pModel->RootIndex();
}

void CPhotoTree::ShowEmpty()
{
    QScopedValueRollback<bool> guard(m_bSelecting, true);
    m_selectedItem = QPersistentModelIndex();
    m_pressedItem = QPersistentModelIndex();
    m_pModel->ShowEmpty();
}

void CPhotoTree::SelectProgrammatically(const QModelIndex& item)
{
    QScopedValueRollback<bool> guard(m_bSelecting, true);
    setCurrentIndex(item);
    scrollTo(item);
}

void CPhotoTree::OnMessage(const RouterMessage& message)
{
    switch (message.m_nCode) {
    case RM_BOOK_LOADED: {
        const CCorvaleDoc* doc = message.m_pDocument;
        QString label = doc && !doc->m_strBookTitle.empty()
                            ? QString::fromStdString(Cp1252ToUtf8(doc->m_strBookTitle))
                            : QStringLiteral("Photo Album");
        {
            QScopedValueRollback<bool> guard(m_bSelecting, true);
            m_pressedItem = QPersistentModelIndex();
            m_pModel->ShowBook(message.m_pNode, label);
        }
        QModelIndex root = RootItem();
        expand(root);
        SelectProgrammatically(root);
        m_selectedItem = root;
        m_bLoaded = true;
        break;
    }
    case RM_BOOK_CLOSING:
        // The nodes go next: the model lets go of every one of them now.
        m_bLoaded = false;
        ShowEmpty();
        break;
    case RM_SELECT_NODE: {
        CBaseNode* node = message.m_pNode;
        QModelIndex item = ItemForNode(node);
        if (!item.isValid() && node && node->IsRoot())
            item = RootItem();
        if (item.isValid())
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
    const QModelIndexList items = selectionModel()->selectedIndexes();
    if (items.isEmpty())
        return;
    m_selectedItem = items.first();
    if (CBaseNode* node = NodeOfItem(m_selectedItem))
        Send(RouterMessage::SelectNode(node), this);
}

QItemSelectionModel::SelectionFlags CPhotoTree::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const
{
    // Like the platform's tree control, a click (even with Ctrl) never leaves
    // the tree without a selected item.
    QItemSelectionModel::SelectionFlags flags = QTreeView::selectionCommand(index, event);
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
        m_pressedItem = indexAt(event->position().toPoint());
    QTreeView::mousePressEvent(event);
}

void CPhotoTree::mouseMoveEvent(QMouseEvent* event)
{
    // Over empty parts of the pane a move is swallowed, except while the left
    // button holds an item: its drag starts wherever the pointer goes.
    bool dragging = m_pressedItem.isValid() && (event->buttons() & Qt::LeftButton);
    if (!dragging && !indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void CPhotoTree::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressedItem = QPersistentModelIndex();
    QTreeView::mouseReleaseEvent(event);
}

void CPhotoTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        CBaseNode* node = NodeOfItem(selectionModel()->selectedIndexes().value(0));
        if (node && node->IsMedia())
            static_cast<CMediaNode*>(node)->Play();
    }
    // Expanding or collapsing still follows.
    QTreeView::mouseDoubleClickEvent(event);
}

void CPhotoTree::OnRightButtonDown(const QPoint& pos, const QPoint& globalPos)
{
    if (!viewport()->rect().contains(pos))
        return;
    QModelIndex item = indexAt(pos);
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
    QMenu* menu = m_contextMenu ? m_contextMenu(index) : nullptr;
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->exec(globalPos);
}

void CPhotoTree::startDrag(Qt::DropActions)
{
    CBaseNode* node = NodeOfItem(m_pressedItem.isValid() ? QModelIndex(m_pressedItem) : currentIndex());
    if (!node)
        return;
    auto* drag = new QDrag(this);
    // Rendered at once: the drag keeps nothing that points at the node.
    drag->setMimeData(CreateNodeMimeData(node));
    drag->setPixmap(m_pModel->Image(PhotoTreeModel::ImageIndexFor(node)).pixmap(iconSize()));
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
    CCorvaleDoc* doc = m_book ? m_book() : nullptr;
    if (doc && doc->CanCopyNode())
        QApplication::clipboard()->setMimeData(CreateNodeMimeData(doc->m_pCurrent));
    return true;
}

bool CPhotoTree::OnUpdateCommand(int id, CommandState& state)
{
    if (id != ID_EDIT_COPY)
        return false;
    CCorvaleDoc* doc = m_book ? m_book() : nullptr;
    state.enabled = doc && doc->CanCopyNode();
    return true;
}
