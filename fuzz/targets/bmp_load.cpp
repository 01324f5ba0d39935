// The BMP reader on arbitrary bytes; a picture that loads is also drawn.

#include "ImageFuzzCommon.h"
#include "image/SECDib.h"
#include "platform/File.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentFuzzPrompter::Install();
    SECDib image;
    image.SetLimits(kFuzzLimits);
    CMemFile file(data, size);
    if (image.LoadImage(&file))
        RenderLoaded(image);
    return 0;
}
