#include "viewer/PhotoTree.h"

#include "model/CorvaleDoc.h"
#include "platform/CodePage.h"

CPhotoTree::CPhotoTree(QWidget* parent) : QTreeWidget(parent), CRouter(false)
{
    setHeaderHidden(true);
    ShowEmpty();
}

CPhotoTree::~CPhotoTree() = default;

void CPhotoTree::ShowEmpty()
{
    clear();
    m_itemMap.clear();
    m_pRootItem = new QTreeWidgetItem(this, QStringList(QStringLiteral("No Photos Loaded")));
}

QTreeWidgetItem* CPhotoTree::ItemForNode(const CBaseNode* node) const
{
    auto it = m_itemMap.find(node);
    return it == m_itemMap.end() ? nullptr : it->second;
}

CBaseNode* CPhotoTree::NodeOfItem(const QTreeWidgetItem* item)
{
    return item ? static_cast<CBaseNode*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

void CPhotoTree::Fill(CPhotoNode* node, QTreeWidgetItem* parentItem)
{
    for (const auto& media : node->m_media) {
        auto* item = new QTreeWidgetItem(parentItem, QStringList(QString::fromStdString(Cp1252ToUtf8(media->m_strCaption))));
        item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(media.get()));
        m_itemMap[media.get()] = item;
    }
    for (const auto& child : node->m_photos) {
        auto* item = new QTreeWidgetItem(parentItem, QStringList(QString::fromStdString(Cp1252ToUtf8(child->m_strCaption))));
        item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(child.get()));
        m_itemMap[child.get()] = item;
        Fill(child.get(), item);
    }
}

void CPhotoTree::OnMessage(const RouterMessage& message)
{
    if (message.m_nCode == RM_BOOK_LOADED) {
        clear();
        m_itemMap.clear();
        CCorvaleDoc* doc = CCorvaleDoc::GetActiveBook();
        QString label = doc && !doc->m_strBookTitle.empty()
                            ? QString::fromStdString(Cp1252ToUtf8(doc->m_strBookTitle))
                            : QStringLiteral("Photo Album");
        m_pRootItem = new QTreeWidgetItem(this, QStringList(label));
        m_pRootItem->setData(0, Qt::UserRole, QVariant::fromValue<void*>(message.m_pNode));
        Fill(static_cast<CPhotoNode*>(message.m_pNode), m_pRootItem);
        m_pRootItem->setExpanded(true);
        m_bLoaded = true;
    } else if (message.m_nCode == RM_BOOK_CLOSING) {
        m_bLoaded = false;
        ShowEmpty();
    }
}

bool CPhotoTree::OnCommand(int) { return false; }
bool CPhotoTree::OnUpdateCommand(int, CommandState&) { return false; }
