#pragma once
// GIF coding over byte buffers: the walk over a file's blocks, the
// variable-code-size LZW decoder that lays an image's lines into rows, the
// palette rules of the reader, and the GIF87a writer with its hashed LZW encoder.

#include "image/DibTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A colour table as stored in the file: red, green, blue per entry.
struct GifColourTable {
    int nEntries = 0; // 0 when the file has no such table
    uint8_t rgb[768] = {};
};

// One image of a file, as its descriptor and the blocks before it give it.
struct GifImageInfo {
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    bool bInterlaced = false;
    bool bLocalTable = false;
    int transparentIndex = -1; // from the graphic control extension before the image
    size_t dataOffset = 0;     // the minimum code size byte; may equal the file size
};

struct GifFileInfo {
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    GifColourTable globalTable;
    int imageCount = 0;
    // The last image, the one a file shows when read.
    GifImageInfo lastImage;
    GifColourTable lastLocalTable;
    // The image with the most pixels: if it fits in memory, every image does.
    uint16_t largestWidth = 0;
    uint16_t largestHeight = 0;
};

// Walks the blocks of a whole file held in memory. False only when the file
// does not start with "GIF8"; bytes missing from a short header count as 0.
// The walk stops at the trailer, at an unknown block, at a graphic control
// extension whose size is not 4, or where the data runs out.
bool GifParseFile(const uint8_t* data, size_t size, GifFileInfo& info);

// The colour table an image is drawn with: its local one, else the global one,
// else none (null).
const GifColourTable* GifTableFor(const GifFileInfo& info);

// The palette a table gives: its n entries; with a transparent index, 256
// entries with that entry black, the entries from n on white, and entry 255
// white when no entry is white.
std::vector<PaletteEntry> GifMakePalette(const GifColourTable& table, int transparentIndex);

// The colour table a picture starts with: 16 standard colours repeated 16 times.
void GifStandardColours(RgbQuad table[256]);

enum class GifDecodeEnd {
    EndCode,      // the end code was read
    AllRows,      // every row was written
    DataEnd,      // the data ran out (or its block chain ended) before the end code
    BadCodeSize,  // the minimum code size is outside 2 to 9: nothing decoded
    Corrupt,      // a string led round in a circle: decoding stopped there
    OutOfMemory,
};

struct GifDecodeResult {
    GifDecodeEnd end = GifDecodeEnd::DataEnd;
    uint32_t linesDone = 0; // whole lines stored
    uint32_t badCodes = 0;  // codes above the next free code
};

// Decodes the LZW data of `image` (inside `data`) into width x height
// one-byte pixels. The top line of the image goes to `topRow`, each following
// row `rowStep` bytes further (negative for bottom-up pictures); interlaced
// images fill their rows in four passes. The rows are expected zero-filled:
// pixels the data does not reach are 0 (the decoder may store zeros ahead of
// the last pixel it decodes within that pixel's line). Nothing is written
// outside the width x height rows given.
GifDecodeResult GifDecodeImage(const uint8_t* data, size_t size, const GifImageInfo& image,
                               uint8_t* topRow, ptrdiff_t rowStep);

// Appends the image data of a picture: minimum code size 8, the LZW codes in
// sub-blocks of 254 bytes, the zero block. Pixels are read one byte each,
// `width` of them from each row, starting at `topRow` and moving `rowStep`
// bytes a row.
void GifEncodeImageData(const uint8_t* topRow, ptrdiff_t rowStep, uint32_t width, uint32_t height,
                        std::vector<uint8_t>& out);

// A whole GIF87a file: header, 256-entry global table (`rgb`, red, green,
// blue), one non-interlaced image, trailer. False when a side is 0 or above 65535.
bool GifEncode(const uint8_t* topRow, ptrdiff_t rowStep, uint32_t width, uint32_t height,
               const uint8_t rgb[768], std::vector<uint8_t>& out);
