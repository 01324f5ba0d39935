#pragma once
// A node of a Picture Book: the data file name, caption and descriptive text
// that groups, photographs and multimedia items all carry.

#include "model/RuntimeClass.h"
#include "platform/Size.h"

#include <cstdint>
#include <string>

class CArchive;
class SECImage;

class CBaseNode {
public:
    static const CRuntimeClass classCBaseNode;

    CBaseNode();
    virtual ~CBaseNode();
    CBaseNode(const CBaseNode&) = delete;
    CBaseNode& operator=(const CBaseNode&) = delete;
    // Nodes a document reads share large blocks (NodeHeap).
    static void* operator new(size_t size);
    static void operator delete(void* node, size_t size);

    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCBaseNode; }
    virtual void Serialize(CArchive& ar);

    virtual bool IsPhoto() const { return false; }
    virtual bool IsMedia() const { return false; }
    // Stores the name without leading and trailing white space.
    virtual void SetFileName(const std::string& name);
    virtual SECImage* GetShownImage() { return nullptr; }
    virtual const CSize* GetShownSize() { return nullptr; }

    bool IsRoot() const { return m_pParent == nullptr; }

    // Format version pair as read from the file; nothing reads it.
    int32_t m_nBaseVersion = 0;
    int32_t m_nBaseRevision = 0;
    int32_t m_bGroup = 0;
    // Where AddPhoto or AddMedia put the node in its parent's m_photos or
    // m_media: a hint that spares a search of the list, checked before use.
    int32_t m_nIndexInParent = -1;
    std::string m_strFileName;
    std::string m_strCaption;
    std::string m_strText;
    CBaseNode* m_pParent = nullptr; // not owned; null for the root
};

// Removes leading, then trailing white space (space, tab, line breaks, form feed).
void TrimWhiteSpace(std::string& text);
