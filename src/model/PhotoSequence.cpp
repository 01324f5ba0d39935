#include "model/PhotoSequence.h"

#include "model/PhotoNode.h"

namespace {

// Photographs, groups and media items all hang under photo nodes.
CPhotoNode* ParentOf(const CBaseNode& node)
{
    return static_cast<CPhotoNode*>(node.m_pParent);
}

int IndexInParent(const CPhotoNode& node)
{
    const CPhotoNode* parent = ParentOf(node);
    int hint = node.m_nIndexInParent;
    if (hint >= 0 && hint < parent->GetPhotoCount() && parent->GetPhotoChild(hint) == &node)
        return hint;
    for (int i = 0; i < parent->GetPhotoCount(); ++i)
        if (parent->GetPhotoChild(i) == &node)
            return i;
    return parent->GetPhotoCount();
}

bool IsPhotograph(const CPhotoNode* node)
{
    return node && !node->m_bGroup;
}

// Photo nodes (groups included) in tree order, within `root`.
const CPhotoNode* After(const CPhotoNode& root, const CPhotoNode* node)
{
    if (node->GetPhotoCount() > 0)
        return node->GetPhotoChild(0);
    while (node != &root && node->m_pParent) {
        const CPhotoNode* parent = ParentOf(*node);
        int next = IndexInParent(*node) + 1;
        if (next < parent->GetPhotoCount())
            return parent->GetPhotoChild(next);
        node = parent;
    }
    return nullptr;
}

const CPhotoNode* Before(const CPhotoNode& root, const CPhotoNode* node)
{
    if (node == &root || !node->m_pParent)
        return nullptr;
    const CPhotoNode* parent = ParentOf(*node);
    int index = IndexInParent(*node);
    if (index == 0)
        return parent;
    const CPhotoNode* last = parent->GetPhotoChild(index - 1);
    while (last->GetPhotoCount() > 0)
        last = last->GetPhotoChild(last->GetPhotoCount() - 1);
    return last;
}

CPhotoNode* Mutable(const CPhotoNode* node)
{
    return const_cast<CPhotoNode*>(node);
}

} // namespace

CPhotoNode* NextPhotograph(const CPhotoNode& root, const CBaseNode& from)
{
    // A media item's parent comes before it, and the parent's photo children after.
    const CPhotoNode* node = from.IsMedia() ? ParentOf(from) : static_cast<const CPhotoNode*>(&from);
    do
        node = After(root, node);
    while (node && !IsPhotograph(node));
    return Mutable(node);
}

CPhotoNode* PreviousPhotograph(const CPhotoNode& root, const CBaseNode& from)
{
    const CPhotoNode* node;
    if (from.IsMedia()) {
        node = ParentOf(from);
        if (IsPhotograph(node))
            return Mutable(node);
    } else {
        node = static_cast<const CPhotoNode*>(&from);
    }
    do
        node = Before(root, node);
    while (node && !IsPhotograph(node));
    return Mutable(node);
}

CPhotoNode* FirstPhotograph(const CPhotoNode& root)
{
    return IsPhotograph(&root) ? Mutable(&root) : NextPhotograph(root, root);
}

CPhotoNode* LastPhotograph(const CPhotoNode& root)
{
    const CPhotoNode* last = &root;
    while (last->GetPhotoCount() > 0)
        last = last->GetPhotoChild(last->GetPhotoCount() - 1);
    return IsPhotograph(last) ? Mutable(last) : PreviousPhotograph(root, *last);
}
