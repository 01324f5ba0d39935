#pragma once
// The "Photo Tree" pane: the Picture Book's nodes as an outline. The user's
// selections go out on the bus; selections from elsewhere select the item.

#include "app/CommandTable.h"
#include "model/Router.h"
#include "viewer/CommandTarget.h"

#include <QPersistentModelIndex>
#include <QTreeView>

#include <functional>

class CBaseNode;
class CCorvaleDoc;
class PhotoTreeModel;
class QDrag;
class QMenu;

class CPhotoTree : public QTreeView, public CRouter, public CommandTarget {
    Q_OBJECT
public:
    // The open Picture Book (its current node for Copy), or null.
    using BookAccess = std::function<CCorvaleDoc*()>;
    // A new context menu of the given kind, owned by the caller.
    using MenuFactory = std::function<QMenu*(ContextMenuIndex)>;

    explicit CPhotoTree(BookAccess book, MenuFactory contextMenu = MenuFactory(), QWidget* parent = nullptr);
    ~CPhotoTree() override;

    void OnMessage(const RouterMessage& message) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    PhotoTreeModel* Model() const { return m_pModel; }
    // The item shown for `node` (the root item for the root), else invalid.
    QModelIndex ItemForNode(const CBaseNode* node) const;
    static CBaseNode* NodeOfItem(const QModelIndex& item);
    // The one top-level item: "No Photos Loaded" or the Picture Book's root.
    QModelIndex RootItem() const;

    // The item of the last selection the user made, or the root item after loading.
    QPersistentModelIndex m_selectedItem;
    bool m_bLoaded = false;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

    // Runs the drag-and-drop loop of `drag` (which then belongs to Qt) and gives its result.
    virtual Qt::DropAction RunDrag(QDrag* drag, Qt::DropActions allowed);
    // Shows the context menu `index` at `globalPos` until the user is done with it.
    virtual void TrackPopup(ContextMenuIndex index, const QPoint& globalPos);

private:
    void ShowEmpty();
    void SelectProgrammatically(const QModelIndex& item);
    void OnSelectionChanged();
    void OnRightButtonDown(const QPoint& pos, const QPoint& globalPos);

    BookAccess m_book;
    MenuFactory m_contextMenu;
    PhotoTreeModel* m_pModel; // a child of the tree
    // Set while the tree itself changes the selection, which the user did not do.
    bool m_bSelecting = false;
    // Set while a received selection is passed on, so two trees cannot echo it forever.
    bool m_bRebroadcasting = false;
    // The item under the last left-button press: the one a drag takes.
    QPersistentModelIndex m_pressedItem;
};
