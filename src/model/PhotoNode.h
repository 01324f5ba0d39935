#pragma once
// A photograph or, with its group flag set, a group. It owns its picture, the
// shrunken display copy, its photograph and sub-group children and its
// multimedia items.

#include "image/PictureBudget.h"
#include "model/BaseNode.h"
#include "model/MediaNode.h"
#include "model/BookHost.h"
#include "model/PictureLoad.h"

#include <memory>
#include <vector>

// The live display settings that decide whether large pictures are shown shrunk.
struct DisplaySettings {
    bool shrinkLargeImages = true;
    int shrinkSize = 2;   // index of the size threshold
    int shrinkFactor = 0; // index of the shrink factor
};

class CPhotoNode : public CBaseNode {
public:
    static const CRuntimeClass classCPhotoNode;
    static CBaseNode* CreateObject() { return new CPhotoNode; }

    CPhotoNode();
    ~CPhotoNode() override;

    const CRuntimeClass* GetRuntimeClass() const override { return &classCPhotoNode; }
    void Serialize(CArchive& ar) override;
    bool IsPhoto() const override { return true; }
    SECImage* GetShownImage() override;
    const CSize* GetShownSize() override;

    // Null when the index is negative or not below the count.
    CPhotoNode* GetPhotoChild(int index) const;
    CMediaNode* GetMediaChild(int index) const;
    int GetPhotoCount() const { return static_cast<int>(m_photos.size()); }
    int GetMediaCount() const { return static_cast<int>(m_media.size()); }

    // Appends an owned child and makes this node its parent.
    CPhotoNode* AddPhoto(std::unique_ptr<CPhotoNode> child);
    CMediaNode* AddMedia(std::unique_ptr<CMediaNode> child);

    // Loads the picture named by the file name into m_pImage, its name
    // resolved in the source's folder; says nothing to the user, but returns
    // what to say. A picture that fails to load stays as an empty image (so
    // it is not tried again); an unsupported name leaves no image.
    PictureResult LoadPicture(const PictureSource& source);
    // Makes (or, with `force`, remakes) the shrunken display copy when the
    // settings ask for one; has the book load the picture first if needed.
    void PrepareDisplayImage(const DisplaySettings& settings, bool force);
    void FreeDisplayImage();
    // Empties the node back to its just-constructed state (children, pictures, texts).
    void Clear();

    // Makes `host` the book that loads this tree's pictures when they are
    // first wanted; only a root's host counts. Null (the default) loads from
    // the working folder and tells the user nothing.
    void SetBookHost(BookHost* host) { m_pBookHost = host; }
    // The host of the tree `node` belongs to, or null.
    static BookHost* HostOf(const CBaseNode& node);

    int32_t m_nPhotoVersion = 0;
    int32_t m_nPhotoRevision = 0;
    std::unique_ptr<SECImage> m_pImage;
    std::unique_ptr<SECImage> m_pDisplayImage;
    CSize m_sizePicture;
    CSize m_sizeDisplay;
    std::vector<std::unique_ptr<CMediaNode>> m_media;
    std::vector<std::unique_ptr<CPhotoNode>> m_photos;

private:
    // Loads the picture through the host at the tree's root.
    void LoadWantedPicture();
    // Charges what the picture and display copy hold to the open book's
    // budget, which may free other photographs' pictures to make room.
    void ChargePictures();
    // The budget's call: both go, and are loaded again when next wanted.
    void ReleasePictures();

    PictureBudget* m_pBudget = nullptr; // where the pictures are charged; not owned
    BookHost* m_pBookHost = nullptr; // not owned
};
