#pragma once
// One picture in displayable DIB form, as a value: the header block (a
// BITMAPINFOHEADER, then the colour table), the rows, the palette made from
// the table and the figures that describe them. It moves as a whole, so a
// load can set the picture held aside and put it back, and a reader can
// build a picture apart and hand it over, without a field left behind.

#include "image/DibTypes.h"

#include <cstdint>
#include <vector>

struct DibPicture {
    MemBlock bits;   // bottom-up rows, padded to 4 bytes once `padded`
    MemBlock header; // BITMAPINFOHEADER, then the colour table
    std::vector<PaletteEntry> palette;
    bool hasPalette = false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t padWidth = 0; // the width rounded up to a multiple of 4
    int bitsPerPixel = 0;
    uint16_t colours = 0; // entries of the colour table
    bool padded = false;
    bool halftone = false; // drawn through the palette on a shallower screen
};
