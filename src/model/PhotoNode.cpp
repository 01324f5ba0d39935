#include "model/PhotoNode.h"

#include "image/DisplayCopy.h"
#include "image/ImageFactory.h"
#include "image/SECDib.h"
#include "image/SECImage.h"
#include "model/Archive.h"
#include "platform/CodePage.h"
#include "platform/MessageTable.h"
#include "platform/PathResolver.h"

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
    if (m_pBudget)
        m_pBudget->ForgetGroup(this);
    m_pBudget = nullptr;
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
    child->m_nIndexInParent = static_cast<int32_t>(m_photos.size());
    m_photos.push_back(std::move(child));
    return m_photos.back().get();
}

CMediaNode* CPhotoNode::AddMedia(std::unique_ptr<CMediaNode> child)
{
    child->m_pParent = this;
    child->m_nIndexInParent = static_cast<int32_t>(m_media.size());
    m_media.push_back(std::move(child));
    return m_media.back().get();
}

PictureResult CPhotoNode::LoadPicture(const PictureSource& source)
{
    if (m_strFileName.empty())
        return {PictureStatus::NoFile, std::string()};
    // Stored names use backslashes and any letter case; a bare name lies in
    // the book's folder.
    std::string path = PathResolver::Resolve(m_strFileName, source.folder);
    if (path.empty())
        return {PictureStatus::NoFile, std::string()};

    std::string shownName = Cp1252ToUtf8(m_strFileName);
    std::unique_ptr<SECImage> image = CreateImageForFileName(m_strFileName);
    if (!image)
        return {PictureStatus::NotSupported, FormatMessageText(MessageId::ImageNotSupported, {shownName})};
    image->SetLimits(source.limits);
    m_pImage = std::move(image);
    if (!m_pBudget)
        m_pBudget = source.budget;
    if (!m_pImage->LoadImage(path)) {
        // The failed image stays, so the picture is not tried again.
        return {PictureStatus::NotLoaded, FormatMessageText(MessageId::CouldNotLoadImage, {shownName})};
    }
    m_sizePicture = {static_cast<int32_t>(m_pImage->GetWidth()),
                     static_cast<int32_t>(m_pImage->GetHeight())};
    ChargePictures();
    return {};
}

BookHost* CPhotoNode::HostOf(const CBaseNode& node)
{
    const CBaseNode* root = &node;
    while (root->m_pParent)
        root = root->m_pParent;
    // Only photographs hold children, so a root with children is one; a
    // lone multimedia item belongs to no book.
    if (!root->IsPhoto())
        return nullptr;
    return static_cast<const CPhotoNode*>(root)->m_pBookHost;
}

void CPhotoNode::LoadWantedPicture()
{
    BookHost* host = HostOf(*this);
    if (host)
        host->LoadPictureFor(*this);
    else
        LoadPicture(PictureSource());
}

void CPhotoNode::ChargePictures()
{
    if (!m_pBudget)
        return;
    uint64_t bytes = 0;
    for (const SECImage* image : {m_pImage.get(), m_pDisplayImage.get()})
        if (image)
            bytes += image->GetBitsSize() + image->GetHeaderSize();
    // A failed load holds nothing worth freeing, and freeing it would have
    // the failure reported again.
    if (!m_pImage || !m_pImage->HasPicture()) {
        m_pBudget->Forget(this, this);
        return;
    }
    PictureBudget::RunAll(m_pBudget->Charge(this, this, bytes, [this] { ReleasePictures(); }));
}

void CPhotoNode::ReleasePictures()
{
    m_pImage.reset();
    m_pDisplayImage.reset();
    m_sizeDisplay = CSize();
}

void CPhotoNode::PrepareDisplayImage(const DisplaySettings& settings, bool force)
{
    if (!m_pImage)
        LoadWantedPicture();
    if (!m_pImage)
        return;
    if (!force && m_pDisplayImage)
        return;

    uint32_t width = m_pImage->GetWidth(), height = m_pImage->GetHeight();
    uint32_t displayWidth = 0, displayHeight = 0;
    DisplayCopy::Action action =
        DisplayCopy::Decide(width, height, settings.shrinkLargeImages, settings.shrinkSize,
                            settings.shrinkFactor, displayWidth, displayHeight);
    if (action == DisplayCopy::Action::Keep)
        return;
    if (action == DisplayCopy::Action::Shrink && m_pImage->HasPicture()) {
        auto copy = std::make_unique<SECDib>();
        if (DisplayCopy::Scale(*m_pImage, displayWidth, displayHeight, *copy)) {
            m_pDisplayImage = std::move(copy);
            m_sizeDisplay = {static_cast<int32_t>(displayWidth), static_cast<int32_t>(displayHeight)};
            ChargePictures();
            return;
        }
    }
    // No shrinking (or a picture that cannot be scaled): shown at its own size.
    m_pDisplayImage.reset();
    m_sizeDisplay = m_sizePicture;
    ChargePictures();
}

void CPhotoNode::FreeDisplayImage()
{
    m_pDisplayImage.reset();
    m_sizeDisplay = CSize();
    if (m_pImage)
        ChargePictures();
}

SECImage* CPhotoNode::GetShownImage()
{
    if (!m_pImage)
        LoadWantedPicture();
    else if (m_pBudget)
        m_pBudget->Touch(this);
    return m_pDisplayImage ? m_pDisplayImage.get() : m_pImage.get();
}

const CSize* CPhotoNode::GetShownSize()
{
    if (!m_pImage) {
        LoadWantedPicture();
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
