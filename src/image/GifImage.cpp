#include "image/GifImage.h"

#include "image/GifCodec.h"
#include "platform/MessageTable.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

// An LZW code is at most 12 bits and stands for at most 4,096 pixels (the
// longest string a table of 4,096 entries holds), one byte each.
constexpr SECImage::CodingBound kLzwBound{4096 * 8, 12};

// What is left of the file from its position, at most CGifImage::kMaxFileBytes.
bool ReadWholeFile(CFile& file, std::vector<uint8_t>& bytes)
{
    uint64_t length = file.GetLength();
    uint64_t pos = file.GetPosition();
    uint64_t want = std::min(length > pos ? length - pos : 0, CGifImage::kMaxFileBytes);
    try {
        bytes.resize(static_cast<size_t>(want));
    } catch (const std::bad_alloc&) {
        return false;
    }
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return true;
}

} // namespace

bool CGifImage::DoLoadImage(CFile* file)
{
    m_nTransparentIndex = -1;
    m_nRowStride = 0;
    std::vector<uint8_t> bytes;
    if (!file || !ReadWholeFile(*file, bytes))
        return false;
    GifFileInfo info;
    if (!GifParseFile(bytes.data(), bytes.size(), info))
        return false;

    // Until an image is read the picture has the logical screen's size and no pixels.
    m_picture.bitsPerPixel = 8;
    m_picture.colours = 256;
    m_picture.width = info.screenWidth;
    m_picture.height = info.screenHeight;
    if (info.imageCount == 0)
        return true;

    // Every image of the file would have been held in turn; one too large
    // fails the load, as does one larger than the whole file could code.
    size_t blockBytes = 0;
    if (!CheckedImageSize(info.largestWidth, info.largestHeight, 8, blockBytes, m_limits) ||
        !InProportion(info.largestWidth, info.largestHeight, 8, bytes.size(), kLzwBound, m_limits))
        return false;
    // The picture is the last image at its own size: its lines and rows are the
    // descriptor's, so no line can reach outside the block whatever the screen says.
    const GifImageInfo& image = info.lastImage;
    if (!CheckedImageSize(image.width, image.height, 8, blockBytes, m_limits) ||
        !m_picture.bits.Allocate(blockBytes) ||
        !m_picture.header.Allocate(kBitmapInfoHeaderSize + 4 * 256)) {
        m_picture.bits.Free();
        m_picture.header.Free();
        return false;
    }
    const uint32_t stride = static_cast<uint32_t>(PaddedRowLength(image.width, 8));
    BitmapInfoHeader header;
    header.biWidth = image.width;
    header.biHeight = image.height;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biSizeImage = stride * image.height;
    header.biClrUsed = 256;
    SetInfoHeader(header);

    RgbQuad* table = GetColour(0);
    GifStandardColours(table);
    if (const GifColourTable* colours = GifTableFor(info)) {
        std::vector<PaletteEntry> palette = GifMakePalette(*colours, image.transparentIndex);
        for (size_t i = 0; i < 256; ++i) {
            table[i] = RgbQuad();
            if (i < palette.size())
                table[i] = {palette[i].blue, palette[i].green, palette[i].red, 0};
        }
        SetPalette(std::move(palette));
    }

    m_picture.width = image.width;
    m_picture.height = image.height;
    m_picture.padWidth = (m_picture.width + 3) & ~3u;
    m_picture.padded = true;
    m_nRowStride = static_cast<int>(stride);
    m_nTransparentIndex = image.transparentIndex;
    if (image.width == 0 || image.height == 0)
        return true;
    // Rows are bottom-up: the top line of the image is the last row in memory.
    uint8_t* topRow = m_picture.bits.Data() + static_cast<size_t>(image.height - 1) * stride;
    GifDecodeResult result =
        GifDecodeImage(bytes.data(), bytes.size(), image, topRow, -static_cast<ptrdiff_t>(stride));
    return result.end != GifDecodeEnd::OutOfMemory;
}

bool CGifImage::DoSaveImage(CFile* file)
{
    if (m_picture.bitsPerPixel > 8)
        return Fail(MessageId::GifDepthTooHigh);
    const int bpp = m_picture.bitsPerPixel;
    if (!file || !HasPicture() || (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8) ||
        m_picture.width > 0xFFFF || m_picture.height > 0xFFFF)
        return false;
    const uint64_t stride = m_picture.padded ? PaddedRowLength() : UnpaddedRowLength();
    if (stride * m_picture.height > m_picture.bits.Size())
        return false;

    // The palette's colours, or the colour table's when there is no palette;
    // entries neither reaches are written black.
    uint8_t rgb[768] = {};
    if (m_picture.hasPalette) {
        for (size_t i = 0; i < std::min<size_t>(256, m_picture.palette.size()); ++i) {
            rgb[3 * i] = m_picture.palette[i].red;
            rgb[3 * i + 1] = m_picture.palette[i].green;
            rgb[3 * i + 2] = m_picture.palette[i].blue;
        }
    } else {
        for (size_t i = 0; i < 256; ++i) {
            if (const RgbQuad* q = GetColour(i)) {
                rgb[3 * i] = q->red;
                rgb[3 * i + 1] = q->green;
                rgb[3 * i + 2] = q->blue;
            }
        }
    }

    // 8-bit rows are encoded where they are; shallower ones are first spread
    // out to one index a byte, top row first.
    const uint8_t* bottom = m_picture.bits.Data();
    const uint8_t* topRow = bottom + (m_picture.height - 1) * stride;
    ptrdiff_t rowStep = -static_cast<ptrdiff_t>(stride);
    std::vector<uint8_t> indices;
    try {
        if (bpp != 8) {
            indices.resize(static_cast<size_t>(m_picture.width) * m_picture.height);
            const unsigned mask = (1u << bpp) - 1;
            for (uint32_t y = 0; y < m_picture.height; ++y) {
                const uint8_t* row = topRow - static_cast<ptrdiff_t>(y * stride);
                uint8_t* out = indices.data() + static_cast<size_t>(y) * m_picture.width;
                for (uint32_t x = 0; x < m_picture.width; ++x) {
                    uint64_t bit = uint64_t(x) * bpp;
                    out[x] = static_cast<uint8_t>((row[bit / 8] >> (8 - bpp - bit % 8)) & mask);
                }
            }
            topRow = indices.data();
            rowStep = static_cast<ptrdiff_t>(m_picture.width);
        }
        std::vector<uint8_t> gif;
        GifEncode(topRow, rowStep, m_picture.width, m_picture.height, rgb, gif);
        bool ok = file->Write(gif.data(), gif.size()) && file->Flush();
        file->Close();
        return ok || Fail(MessageId::GifWriteError);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
