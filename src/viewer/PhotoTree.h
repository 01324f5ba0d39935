#pragma once
// The "Photo Tree" pane: the Picture Book's nodes as an outline. The user's
// selections go out on the bus; selections from elsewhere select the item.

#include "model/Router.h"
#include "viewer/CommandTarget.h"

#include <QTreeWidget>

#include <unordered_map>

class CBaseNode;
class CPhotoNode;

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

    QTreeWidgetItem* m_pRootItem = nullptr;
    bool m_bLoaded = false;

private:
    void Fill(CPhotoNode* node, QTreeWidgetItem* parentItem);
    void ShowEmpty();

    std::unordered_map<const CBaseNode*, QTreeWidgetItem*> m_itemMap;
};
