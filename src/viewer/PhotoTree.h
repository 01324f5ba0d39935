#pragma once
// The "Photo Tree" pane: the Picture Book's nodes as an outline. The user's
// selections go out on the bus; selections from elsewhere select the item.

#include "app/CommandTable.h"
#include "model/Router.h"
#include "viewer/CommandTarget.h"

#include <QIcon>
#include <QTreeWidget>

#include <array>
#include <unordered_map>

class CBaseNode;
class CPhotoNode;
class QDrag;

class CPhotoTree : public QTreeWidget, public CRouter, public CommandTarget {
    Q_OBJECT
public:
    explicit CPhotoTree(QWidget* parent = nullptr);
    ~CPhotoTree() override;

    void OnMessage(const RouterMessage& message) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // The item shown for `node` (the root item for the root), or null.
    QTreeWidgetItem* ItemForNode(const CBaseNode* node) const;
    static CBaseNode* NodeOfItem(const QTreeWidgetItem* item);
    // The tree image index an item for `node` shows.
    static int ImageIndexFor(const CBaseNode* node);

    // The one top-level item: "No Photos Loaded" or the Picture Book's root.
    QTreeWidgetItem* m_pRootItem = nullptr;
    // The item of the last selection the user made, or the root item after loading.
    QTreeWidgetItem* m_pSelectedItem = nullptr;
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
    void Fill(CPhotoNode* node, QTreeWidgetItem* parentItem);
    QTreeWidgetItem* NewItem(CBaseNode* node, const QString& text, int image);
    void RemoveAllItems();
    void ShowEmpty();
    void SelectProgrammatically(QTreeWidgetItem* item);
    void OnSelectionChanged();
    void OnRightButtonDown(const QPoint& pos, const QPoint& globalPos);

    std::array<QIcon, 7> m_images;
    // Node -> item for every node below the root item; the root is not in it.
    std::unordered_map<const CBaseNode*, QTreeWidgetItem*> m_itemMap;
    // Set while the tree itself changes the selection, which the user did not do.
    bool m_bSelecting = false;
    // Set while a received selection is passed on, so two trees cannot echo it forever.
    bool m_bRebroadcasting = false;
    // The item under the last left-button press: the one a drag takes.
    QTreeWidgetItem* m_pPressedItem = nullptr;
};
