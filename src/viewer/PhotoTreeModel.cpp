#include "viewer/PhotoTreeModel.h"

#include "model/MediaNode.h"
#include "model/PhotoNode.h"
#include "platform/CodePage.h"
#include "viewer/TreeImages.h"

namespace {

const CPhotoNode* AsPhoto(const CBaseNode* node)
{
    return node && node->IsPhoto() ? static_cast<const CPhotoNode*>(node) : nullptr;
}

// The position of `node` in `list`, trying the node's own hint first.
template <typename Child>
int PositionIn(const std::vector<std::unique_ptr<Child>>& list, const CBaseNode* node)
{
    size_t hint = static_cast<size_t>(node->m_nIndexInParent);
    if (node->m_nIndexInParent >= 0 && hint < list.size() && list[hint].get() == node)
        return node->m_nIndexInParent;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == node)
            return static_cast<int>(i);
    return -1;
}

} // namespace

PhotoTreeModel::PhotoTreeModel(QObject* parent) : QAbstractItemModel(parent)
{
    for (int i = 0; i < TI_COUNT; ++i)
        m_images[static_cast<size_t>(i)] = TreeImages::Icon(i);
    m_strLabel = QStringLiteral("No Photos Loaded");
}

PhotoTreeModel::~PhotoTreeModel() = default;

void PhotoTreeModel::ShowBook(CBaseNode* root, const QString& label)
{
    beginResetModel();
    m_pRoot = root;
    m_bBook = true;
    m_strLabel = label;
    endResetModel();
}

void PhotoTreeModel::ShowEmpty()
{
    beginResetModel();
    m_pRoot = nullptr;
    m_bBook = false;
    m_strLabel = QStringLiteral("No Photos Loaded");
    endResetModel();
}

CBaseNode* PhotoTreeModel::NodeOf(const QModelIndex& index)
{
    return static_cast<CBaseNode*>(index.internalPointer());
}

const QIcon& PhotoTreeModel::Image(int index) const
{
    if (index < 0 || index >= TI_COUNT)
        index = TI_OTHER_MEDIA;
    return m_images[static_cast<size_t>(index)];
}

int PhotoTreeModel::ImageIndexFor(const CBaseNode* node)
{
    if (!node)
        return TI_BOOK;
    if (node->IsMedia())
        return TreeImages::IndexForMediaType(static_cast<const CMediaNode*>(node)->m_nMediaType);
    if (node->IsPhoto())
        return node->m_bGroup ? TI_GROUP : TI_PHOTO;
    return TI_OTHER_MEDIA;
}

int PhotoTreeModel::RowOf(const CBaseNode* node) const
{
    const CPhotoNode* parent = AsPhoto(node->m_pParent);
    if (!parent)
        return -1;
    if (node->IsMedia())
        return PositionIn(parent->m_media, node);
    if (!node->IsPhoto())
        return -1;
    int position = PositionIn(parent->m_photos, node);
    return position < 0 ? -1 : parent->GetMediaCount() + position;
}

QModelIndex PhotoTreeModel::IndexOf(const CBaseNode* node) const
{
    if (!node || !m_bBook || !m_pRoot)
        return QModelIndex();
    if (node == m_pRoot)
        return RootIndex();
    // Every step up must find the node among its parent's children: a node
    // that only names a parent is not part of the tree.
    int row = -1;
    for (const CBaseNode* step = node; step != m_pRoot; step = step->m_pParent) {
        int stepRow = RowOf(step);
        if (stepRow < 0)
            return QModelIndex();
        if (step == node)
            row = stepRow;
    }
    return createIndex(row, 0, node);
}

QModelIndex PhotoTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0)
        return QModelIndex();
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, m_pRoot) : QModelIndex();
    const CPhotoNode* photo = AsPhoto(NodeOf(parent));
    if (!photo)
        return QModelIndex();
    // Below every photograph or group its multimedia items come first.
    int media = photo->GetMediaCount();
    if (row < media)
        return createIndex(row, 0, photo->m_media[static_cast<size_t>(row)].get());
    if (row - media < photo->GetPhotoCount())
        return createIndex(row, 0, photo->m_photos[static_cast<size_t>(row - media)].get());
    return QModelIndex();
}

QModelIndex PhotoTreeModel::parent(const QModelIndex& child) const
{
    const CBaseNode* node = NodeOf(child);
    if (!node || node == m_pRoot || !node->m_pParent)
        return QModelIndex();
    const CBaseNode* parent = node->m_pParent;
    return parent == m_pRoot ? RootIndex() : createIndex(RowOf(parent), 0, parent);
}

int PhotoTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    const CPhotoNode* photo = AsPhoto(NodeOf(parent));
    return photo ? photo->GetMediaCount() + photo->GetPhotoCount() : 0;
}

int PhotoTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool PhotoTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant PhotoTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const CBaseNode* node = NodeOf(index);
    // The one top-level row is the only one whose node is the root (or none).
    bool top = node == m_pRoot;
    switch (role) {
    case Qt::DisplayRole:
        return top ? m_strLabel : QString::fromStdString(Cp1252ToUtf8(node->m_strCaption));
    case Qt::DecorationRole:
        return Image(top ? TI_BOOK : ImageIndexFor(node));
    default:
        return QVariant();
    }
}

Qt::ItemFlags PhotoTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    const CBaseNode* node = NodeOf(index);
    if (node && node->IsMedia())
        flags |= Qt::ItemNeverHasChildren; // a multimedia item holds nothing
    return flags;
}
