#pragma once
// Test helper: a DIB header block built field by field — the 40-byte header,
// then `words` (colour-table entries or bit-field masks).

#include "image/DibTypes.h"

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> Header(int32_t width, int32_t height, uint16_t bpp,
                                   uint32_t compression = BI_RGB, std::vector<uint32_t> words = {},
                                   uint32_t clrUsed = 0)
{
    BitmapInfoHeader info;
    info.biWidth = width;
    info.biHeight = height;
    info.biBitCount = bpp;
    info.biCompression = compression;
    info.biClrUsed = clrUsed;
    std::vector<uint8_t> block(kBitmapInfoHeaderSize + 4 * words.size());
    info.Write(block.data());
    for (size_t i = 0; i < words.size(); ++i)
        PutLE32(block.data() + kBitmapInfoHeaderSize + 4 * i, words[i]);
    return block;
}
