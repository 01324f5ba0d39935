#include "app/BookThumbnail.h"

#include "image/DibRenderer.h"
#include "image/DisplayCopy.h"
#include "image/PngEncoder.h"
#include "image/SECDib.h"
#include "model/CorvaleDoc.h"
#include "model/DocTemplates.h"

#include <memory>
#include <new>
#include <vector>

namespace {

// The first photograph or group, in tree order, whose picture loads.
SECImage* FirstLoadedPicture(CCorvaleDoc& doc)
{
    std::vector<CPhotoNode*> pending{doc.GetRoot()};
    while (!pending.empty()) {
        CPhotoNode* node = pending.back();
        pending.pop_back();
        if (!node->m_strFileName.empty() && (node->m_pImage || doc.LoadPictureFor(*node)) &&
            node->m_pImage->HasPicture())
            return node->m_pImage.get();
        for (auto child = node->m_photos.rbegin(); child != node->m_photos.rend(); ++child)
            pending.push_back(child->get());
    }
    return nullptr;
}

ThumbnailResult EncodeFitted(const SECImage& picture, uint32_t size, std::string& png)
{
    uint32_t width = 0, height = 0;
    FitIntoSquare(picture.GetWidth(), picture.GetHeight(), size, width, height);
    SECDib fitted;
    const SECImage* shown = &picture;
    if (width != picture.GetWidth() || height != picture.GetHeight()) {
        if (!DisplayCopy::Scale(picture, width, height, fitted))
            return ThumbnailResult::OutOfMemory;
        shown = &fitted;
    }
    std::vector<uint32_t> pixels;
    uint32_t drawnWidth = 0, drawnHeight = 0;
    if (!DibRenderer::Render(*shown, pixels, drawnWidth, drawnHeight) ||
        !EncodePng(pixels, drawnWidth, drawnHeight, png))
        return ThumbnailResult::OutOfMemory;
    return ThumbnailResult::Made;
}

} // namespace

ThumbnailResult MakeBookThumbnail(const std::string& bookPath, uint32_t size, std::string& png,
                                  const ImageLimits& limits)
{
    png.clear();
    try {
        std::unique_ptr<CCorvaleDoc> doc = OpenBookFile(bookPath);
        if (!doc)
            return ThumbnailResult::BookUnreadable;
        doc->SetPictureLimits(limits);
        const SECImage* picture = FirstLoadedPicture(*doc);
        if (!picture)
            return ThumbnailResult::NoPicture;
        ThumbnailResult result = EncodeFitted(*picture, size, png);
        if (result != ThumbnailResult::Made)
            png.clear();
        return result;
    } catch (const std::bad_alloc&) {
        png.clear();
        return ThumbnailResult::OutOfMemory;
    }
}
