// The TIFF reader on arbitrary bytes, through the same conversion code the
// viewer's load by file name runs; a picture that loads is also drawn.

#include "ImageFuzzCommon.h"
#include "image/SECTiff.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentFuzzPrompter::Install();
    SECTiff image;
    image.SetLimits(kFuzzLimits);
    if (image.LoadFromMemory(data, size))
        RenderLoaded(image);
    return 0;
}
