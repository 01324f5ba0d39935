#include "model/PhotoNode.h"

#include "image/SECImage.h"
#include "model/Archive.h"

const CRuntimeClass CPhotoNode::classCPhotoNode = {"CPhotoNode", 1, &CPhotoNode::CreateObject,
                                                   &CBaseNode::classCBaseNode};

CPhotoNode::CPhotoNode() = default;

CPhotoNode::~CPhotoNode()
{
    Clear();
}

void CPhotoNode::Clear()
{
    // Picture, display copy, then photographs and multimedia items in index order.
    m_pImage.reset();
    m_pDisplayImage.reset();
    for (auto& child : m_photos)
        child.reset();
    m_photos.clear();
    for (auto& child : m_media)
        child.reset();
    m_media.clear();
    m_sizePicture = CSize();
    m_sizeDisplay = CSize();
}

CPhotoNode* CPhotoNode::GetPhotoChild(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_photos.size())
        return nullptr;
    return m_photos[static_cast<size_t>(index)].get();
}

CMediaNode* CPhotoNode::GetMediaChild(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_media.size())
        return nullptr;
    return m_media[static_cast<size_t>(index)].get();
}

CPhotoNode* CPhotoNode::AddPhoto(std::unique_ptr<CPhotoNode> child)
{
    child->m_pParent = this;
    m_photos.push_back(std::move(child));
    return m_photos.back().get();
}

CMediaNode* CPhotoNode::AddMedia(std::unique_ptr<CMediaNode> child)
{
    child->m_pParent = this;
    m_media.push_back(std::move(child));
    return m_media.back().get();
}

bool CPhotoNode::LoadPicture()
{
    // Pictures are decoded by the image classes; until a decoder claims the
    // file, a photograph shows no picture.
    return false;
}

void CPhotoNode::PrepareDisplayImage(const DisplaySettings&, bool)
{
    if (!m_pImage)
        LoadPicture();
}

void CPhotoNode::FreeDisplayImage()
{
    m_pDisplayImage.reset();
    m_sizeDisplay = CSize();
}

SECImage* CPhotoNode::GetShownImage()
{
    if (!m_pImage)
        LoadPicture();
    return m_pDisplayImage ? m_pDisplayImage.get() : m_pImage.get();
}

const CSize* CPhotoNode::GetShownSize()
{
    if (!m_pImage) {
        LoadPicture();
        if (!m_pImage)
            return nullptr;
    }
    return m_pDisplayImage ? &m_sizeDisplay : &m_sizePicture;
}

void CPhotoNode::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt32(1);
        ar.WriteInt32(0);
        CBaseNode::Serialize(ar);
        ar.WriteInt32(static_cast<int32_t>(m_photos.size()));
        for (const auto& child : m_photos)
            ar.WriteObject(child.get());
        ar.WriteInt32(static_cast<int32_t>(m_media.size()));
        for (const auto& child : m_media)
            ar.WriteObject(child.get());
        return;
    }
    if (!ar.m_bOldLayout) {
        m_nPhotoVersion = ar.ReadInt32();
        m_nPhotoRevision = ar.ReadInt32();
    }
    CBaseNode::Serialize(ar);

    int32_t count = ar.ReadInt32();
    ar.CheckCount(count, &classCPhotoNode);
    if (count > 0)
        m_photos.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<CBaseNode> node = ar.ReadObject(&classCPhotoNode);
        AddPhoto(std::unique_ptr<CPhotoNode>(static_cast<CPhotoNode*>(node.release())));
    }
    count = ar.ReadInt32();
    ar.CheckCount(count, &CMediaNode::classCMediaNode);
    if (count > 0)
        m_media.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<CBaseNode> node = ar.ReadObject(&CMediaNode::classCMediaNode);
        AddMedia(std::unique_ptr<CMediaNode>(static_cast<CMediaNode*>(node.release())));
    }
}
