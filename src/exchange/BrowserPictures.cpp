#include "exchange/BrowserPictures.h"

#include "image/DibRenderer.h"
#include "image/DisplayCopy.h"
#include "image/PngEncoder.h"
#include "image/SECJpeg.h"
#include "platform/FileSystem.h"

#include <new>
#include <vector>

namespace {

// A 24-bit copy of `picture` at width x height, written as JPEG.
bool EncodeJpeg(const SECImage& picture, uint32_t width, uint32_t height, std::string& jpeg)
{
    SECJpeg scaled;
    if (!DisplayCopy::Scale(picture, width, height, scaled))
        return false;
    CMemFile file;
    if (!scaled.SaveImage(&file))
        return false;
    jpeg.assign(file.Bytes().begin(), file.Bytes().end());
    return true;
}

} // namespace

bool NeedsBrowserCopy(const std::string& fileName)
{
    return HasFileEnding(fileName, ".pcx") || HasFileEnding(fileName, ".tif");
}

bool MakeBrowserCopy(const SECImage& picture, BrowserCopy& copy)
{
    copy = BrowserCopy();
    try {
        if (picture.GetBitsPerPixel() > 8) {
            copy.extension = ".jpg";
            return EncodeJpeg(picture, picture.GetWidth(), picture.GetHeight(), copy.bytes);
        }
        std::vector<uint32_t> pixels;
        uint32_t width = 0, height = 0;
        copy.extension = ".png";
        return DibRenderer::Render(picture, pixels, width, height) &&
               EncodePng(pixels, width, height, copy.bytes);
    } catch (const std::bad_alloc&) {
        copy.bytes.clear();
        return false;
    }
}

bool MakeThumbnail(const SECImage& picture, uint32_t size, std::string& jpeg, uint32_t& width,
                   uint32_t& height)
{
    FitIntoSquare(picture.GetWidth(), picture.GetHeight(), size, width, height);
    try {
        return EncodeJpeg(picture, width, height, jpeg);
    } catch (const std::bad_alloc&) {
        jpeg.clear();
        return false;
    }
}
