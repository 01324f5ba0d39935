#include "image/ImageFactory.h"

#include "image/GifImage.h"
#include "image/SECDib.h"
#include "image/SECJpeg.h"
#include "image/SECPcx.h"
#include "image/SECTiff.h"

#include <algorithm>
#include <cctype>

std::unique_ptr<SECImage> CreateImageForFileName(const std::string& fileName)
{
    if (fileName.size() < 4)
        return nullptr;
    std::string ending = fileName.substr(fileName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (ending == ".GIF")
        return std::make_unique<CGifImage>();
    if (ending == ".JPG")
        return std::make_unique<SECJpeg>();
    if (ending == ".BMP")
        return std::make_unique<SECDib>();
    if (ending == ".TIF")
        return std::make_unique<SECTiff>();
    if (ending == ".PCX")
        return std::make_unique<SECPcx>();
    return nullptr;
}

std::unique_ptr<SECImage> LoadImageFromBytes(const std::string& fileName, const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<SECImage> image = CreateImageForFileName(fileName);
    if (!image)
        return nullptr;
    bool loaded;
    if (auto* tiff = dynamic_cast<SECTiff*>(image.get())) {
        loaded = tiff->LoadFromMemory(bytes.data(), bytes.size());
    } else {
        CMemFile file(bytes.data(), bytes.size());
        loaded = image->LoadImage(&file);
        image->m_pCurFile = nullptr;
    }
    if (!loaded || !image->HasPicture())
        return nullptr;
    return image;
}
