// Every picture reader at the viewer's real size limits: the first byte
// chooses the format, the rest is the file. A picture that loads is drawn
// and gets its display copy, as the viewer shows it. Kept fast by the
// readers' bound of picture size to file size, which small inputs cannot pass;
// run it with small inputs (-max_len=1024), as larger ones declare larger pictures.

#include "ImageFuzzCommon.h"
#include "image/DisplayCopy.h"
#include "image/GifImage.h"
#include "image/SECDib.h"
#include "image/SECJpeg.h"
#include "image/SECPcx.h"
#include "image/SECTiff.h"
#include "platform/File.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    SilentFuzzPrompter::Install();
    std::unique_ptr<SECImage> image;
    bool loaded = false;
    CMemFile file(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0: image = std::make_unique<CGifImage>(); break;
    case 1: image = std::make_unique<SECJpeg>(); break;
    case 2: image = std::make_unique<SECDib>(); break;
    case 3: image = std::make_unique<SECPcx>(); break;
    default: {
        auto tiff = std::make_unique<SECTiff>();
        loaded = tiff->LoadFromMemory(data + 1, size - 1);
        image = std::move(tiff);
        break;
    }
    }
    if (!loaded && data[0] % 5 != 4)
        loaded = image->LoadImage(&file);
    if (!loaded)
        return 0;
    RenderLoaded(*image);
    uint32_t width = 0, height = 0;
    if (image->HasPicture() &&
        DisplayCopy::Decide(image->GetWidth(), image->GetHeight(), true, 2, 0, width, height) ==
        DisplayCopy::Action::Shrink) {
        SECDib copy;
        if (DisplayCopy::Scale(*image, width, height, copy))
            RenderLoaded(copy);
    }
    return 0;
}
