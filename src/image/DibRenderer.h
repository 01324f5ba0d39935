#pragma once
// Turns a device-independent bitmap (header block plus pixel bytes, in any
// depth and compression a BMP file may keep) into 32-bit 0xAARRGGBB pixels,
// top row first, for painting. Nothing in the header is trusted.

#include "image/DibTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class SECImage;

class DibRenderer {
public:
    // A header block, checked and digested into what the pixel walk needs.
    struct Layout {
        uint32_t width = 0;
        uint32_t height = 0;
        bool topDown = false;      // negative biHeight: the first stored row is the top one
        int bitCount = 0;          // 1, 4, 8, 16, 24 or 32
        uint32_t compression = BI_RGB;
        uint64_t stride = 0;       // bytes per stored row, padded to 4 (uncompressed only)
        // Colour-table entries as 0xFFRRGGBB; every index the header does not
        // cover (beyond biClrUsed or beyond the header block) is black.
        uint32_t colours[256] = {};
        // 16 and 32 bits: per channel (red, green, blue) the mask, its shift
        // and its width in bits; a width of 0 leaves the channel at 0.
        uint32_t masks[3] = {};
        int shifts[3] = {};
        int widths[3] = {};
        // Channel values of up to 8 bits scaled to 0..255 (index by value).
        uint8_t scale[3][256] = {};
    };

    // Reads and checks a header block. Refused: a block shorter than 40
    // bytes, biSize below 40 or beyond the block, a width or height of 0,
    // more than SECImage::kMaxPixels pixels, an unknown depth, a compression
    // that does not suit the depth, compressed top-down pictures, and
    // BI_BITFIELDS without its three masks or with a mask that has holes.
    static bool ReadLayout(const uint8_t* header, size_t headerSize, Layout& layout);

    // One picture row (0 = top) of an uncompressed picture into layout.width
    // pixels. Pixels whose bytes lie beyond the buffer are black. False (and
    // nothing written) for compressed pictures or a row out of range.
    static bool RenderRow(const Layout& layout, const uint8_t* bits, size_t bitsSize, uint32_t row,
                          uint32_t* out);

    // The whole picture: `out` gets width * height pixels, top row first,
    // alpha 255. Rows missing from a short buffer are black; pixels that RLE
    // data skips (delta, end of line, end of bitmap, data ending early) keep
    // the colour of table entry 0, as a zero-filled index buffer would show.
    // False (out emptied, sizes 0) when the header is refused or memory runs out.
    static bool Render(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
                       std::vector<uint32_t>& out, uint32_t& width, uint32_t& height);
    static bool Render(const SECImage& image, std::vector<uint32_t>& out, uint32_t& width,
                       uint32_t& height);
    // Same, with a layout already read.
    static bool Render(const Layout& layout, const uint8_t* bits, size_t bitsSize,
                       std::vector<uint32_t>& out);

private:
    static void DecodeRle(const Layout& layout, const uint8_t* bits, size_t bitsSize, uint32_t* out);
};
