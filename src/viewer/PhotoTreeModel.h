#pragma once
// The Picture Book's nodes as an item model for the tree pane. An index's
// internal pointer is its node; nothing is kept per node, so the view asks for
// rows only as it shows them. One top-level row: the book's root under its
// label, or "No Photos Loaded" (no node) while no book is shown.

#include <QAbstractItemModel>
#include <QIcon>

#include <array>

class CBaseNode;

class PhotoTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit PhotoTreeModel(QObject* parent = nullptr);
    ~PhotoTreeModel() override;

    // Shows the tree below `root` under `label`. The model points into the
    // tree until the next ShowBook or ShowEmpty, which must come before any of
    // its nodes goes.
    void ShowBook(CBaseNode* root, const QString& label);
    // Shows only "No Photos Loaded" and lets go of every node.
    void ShowEmpty();
    bool IsShowingBook() const { return m_bBook; }

    static CBaseNode* NodeOf(const QModelIndex& index);
    // The index of `node` when it stands in the shown tree (the root included), else invalid.
    QModelIndex IndexOf(const CBaseNode* node) const;
    QModelIndex RootIndex() const { return index(0, 0); }
    // The tree image an item for `node` shows (the root item shows the book's).
    static int ImageIndexFor(const CBaseNode* node);
    const QIcon& Image(int index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // The row of a node below the root: its parent's multimedia items come first.
    int RowOf(const CBaseNode* node) const;

    CBaseNode* m_pRoot = nullptr; // not owned
    bool m_bBook = false;
    QString m_strLabel;
    std::array<QIcon, 7> m_images;
};
