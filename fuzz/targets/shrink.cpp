// Small random pictures and display settings through the display copy: the
// first bytes choose the depth, size and settings, the rest are the pixels.

#include "ImageFuzzCommon.h"
#include "image/DisplayCopy.h"
#include "image/SECDib.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    SilentFuzzPrompter::Install();
    static const int kDepths[] = {1, 4, 8, 24};
    int depth = kDepths[data[0] & 3];
    uint32_t width = 1 + (data[1] | ((data[2] & 1) << 8)) % 64;
    uint32_t height = 1 + (data[3] | ((data[4] & 1) << 8)) % 64;
    bool shrink = data[5] & 1;
    int shrinkSize = (data[5] >> 1) & 7;  // includes values past the table
    int shrinkFactor = (data[6]) & 7;
    uint16_t colours = depth <= 8 ? static_cast<uint16_t>(1u << depth) : 0;

    SECDib source;
    if (!source.Create(width, height, depth, colours))
        return 0;
    size_t rest = size - 7;
    size_t n = rest < source.GetBitsSize() ? rest : source.GetBitsSize();
    std::memcpy(source.GetBits(), data + 7, n);
    for (uint16_t i = 0; i < colours && 7 + n + 4 * i + 3 < size; ++i)
        *source.GetColour(i) = RgbQuad{data[7 + n + 4 * i], data[8 + n + 4 * i], data[9 + n + 4 * i], 0};

    uint32_t dw = 0, dh = 0;
    DisplayCopy::Action action =
        DisplayCopy::Decide(width * 4, height * 4, shrink, shrinkSize, shrinkFactor, dw, dh);
    (void)action;
    // The scale itself on the small picture, to sizes from the settings' fractions.
    uint32_t tw = 1 + (dw % (width + 1)), th = 1 + (dh % (height + 1));
    SECDib target;
    if (DisplayCopy::Scale(source, tw, th, target))
        RenderLoaded(target);
    return 0;
}
