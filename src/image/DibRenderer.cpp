#include "image/DibRenderer.h"

#include "image/SECImage.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// Lowest set bit of a non-zero value.
int LowestBit(uint32_t v)
{
    int n = 0;
    while (!(v & 1u)) {
        v >>= 1;
        ++n;
    }
    return n;
}

int BitCount(uint32_t v)
{
    int n = 0;
    for (; v; v &= v - 1)
        ++n;
    return n;
}

// Fills one channel of the layout from its mask. Channels wider than 8 bits
// keep their top 8 bits; narrower ones are scaled to 0..255 with rounding, so
// a full 5-bit value is 255 and not 248. False for a mask with holes.
bool SetChannel(DibRenderer::Layout& layout, int channel, uint32_t mask)
{
    layout.masks[channel] = mask;
    if (mask == 0) {
        layout.shifts[channel] = 0;
        layout.widths[channel] = 0;
        return true;
    }
    int shift = LowestBit(mask);
    uint32_t value = mask >> shift;
    if ((value & (value + 1)) != 0)
        return false;
    int width = BitCount(value);
    int kept = std::min(width, 8);
    layout.shifts[channel] = shift + (width - kept);
    layout.widths[channel] = kept;
    uint32_t max = (1u << kept) - 1;
    for (uint32_t v = 0; v <= max; ++v)
        layout.scale[channel][v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
    return true;
}

inline uint32_t MaskedPixel(const DibRenderer::Layout& l, uint32_t v)
{
    uint32_t rgb = kBlack;
    for (int c = 0; c < 3; ++c) {
        uint32_t value = (v >> l.shifts[c]) & ((1u << l.widths[c]) - 1);
        rgb |= static_cast<uint32_t>(l.scale[c][value]) << (16 - 8 * c);
    }
    return rgb;
}

} // namespace

bool DibRenderer::ReadLayout(const uint8_t* header, size_t headerSize, Layout& layout)
{
    layout = Layout();
    if (!header || headerSize < kBitmapInfoHeaderSize)
        return false;
    BitmapInfoHeader info = BitmapInfoHeader::Read(header);
    if (info.biSize < kBitmapInfoHeaderSize || info.biSize > headerSize)
        return false;
    if (info.biWidth <= 0 || info.biHeight == 0)
        return false;
    uint64_t width = static_cast<uint64_t>(info.biWidth);
    int64_t signedHeight = info.biHeight;
    uint64_t height = static_cast<uint64_t>(signedHeight < 0 ? -signedHeight : signedHeight);
    // Any picture the image object may hold can be drawn, however deep.
    if (!SECImage::PixelCountAllowed(width, height))
        return false;

    int bpp = info.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    bool topDown = signedHeight < 0;
    switch (info.biCompression) {
    case BI_RGB: break;
    // Run-length pictures are stored bottom-up only; the platform refuses top-down ones.
    case BI_RLE8:
        if (bpp != 8 || topDown)
            return false;
        break;
    case BI_RLE4:
        if (bpp != 4 || topDown)
            return false;
        break;
    case BI_BITFIELDS:
        if (bpp != 16 && bpp != 32)
            return false;
        break;
    default: return false;
    }

    layout.width = static_cast<uint32_t>(width);
    layout.height = static_cast<uint32_t>(height);
    layout.topDown = topDown;
    layout.bitCount = bpp;
    layout.compression = info.biCompression;
    layout.stride = SECImage::PaddedRowLength(width, bpp);

    if (bpp <= 8) {
        // The table follows the header as the platform reads it (at biSize),
        // holds biClrUsed entries when that is set, and never reaches past
        // the block; indices it does not cover stay black.
        size_t entries = size_t(1) << bpp;
        if (info.biClrUsed != 0)
            entries = std::min<size_t>(entries, info.biClrUsed);
        entries = std::min<size_t>(entries, (headerSize - info.biSize) / 4);
        const uint8_t* table = header + info.biSize;
        for (size_t i = 0; i < 256; ++i)
            layout.colours[i] = kBlack;
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* q = table + 4 * i;
            layout.colours[i] = kBlack | (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
        }
    } else if (bpp == 16 || bpp == 32) {
        uint32_t masks[3];
        if (info.biCompression == BI_BITFIELDS) {
            // Red, green and blue masks sit right behind the 40-byte header
            // (inside it for the longer header versions).
            if (headerSize < kBitmapInfoHeaderSize + 12)
                return false;
            for (int c = 0; c < 3; ++c)
                masks[c] = GetLE32(header + kBitmapInfoHeaderSize + 4 * c);
        } else if (bpp == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
        for (int c = 0; c < 3; ++c)
            if (!SetChannel(layout, c, masks[c]))
                return false;
    }
    return true;
}

bool DibRenderer::RenderRow(const Layout& layout, const uint8_t* bits, size_t bitsSize, uint32_t row,
                            uint32_t* out)
{
    if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4 || row >= layout.height)
        return false;
    const uint32_t width = layout.width;
    uint64_t stored = layout.topDown ? row : layout.height - 1 - uint64_t(row);
    uint64_t offset = stored * layout.stride;
    uint64_t bytes = 0;
    if (bits && offset < bitsSize)
        bytes = std::min<uint64_t>(layout.stride, bitsSize - offset);
    // Only pixels whose bytes are all inside the buffer are read.
    uint32_t n = static_cast<uint32_t>(
        std::min<uint64_t>(width, bytes * 8 / static_cast<uint64_t>(layout.bitCount)));
    const uint8_t* p = n ? bits + offset : nullptr;
    const uint32_t* colours = layout.colours;

    switch (layout.bitCount) {
    case 1:
        for (uint32_t x = 0; x < n; ++x)
            out[x] = colours[(p[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (uint32_t x = 0; x + 1 < n; x += 2) {
            uint8_t b = p[x >> 1];
            out[x] = colours[b >> 4];
            out[x + 1] = colours[b & 15];
        }
        if (n & 1)
            out[n - 1] = colours[p[(n - 1) >> 1] >> 4];
        break;
    case 8:
        for (uint32_t x = 0; x < n; ++x)
            out[x] = colours[p[x]];
        break;
    case 16:
        for (uint32_t x = 0; x < n; ++x)
            out[x] = MaskedPixel(layout, GetLE16(p + 2 * x));
        break;
    case 24:
        for (uint32_t x = 0; x < n; ++x, p += 3)
            out[x] = kBlack | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        break;
    case 32:
        if (layout.compression == BI_RGB) {
            for (uint32_t x = 0; x < n; ++x)
                out[x] = kBlack | (GetLE32(p + 4 * x) & 0xFFFFFFu);
        } else {
            for (uint32_t x = 0; x < n; ++x)
                out[x] = MaskedPixel(layout, GetLE32(p + 4 * x));
        }
        break;
    default: n = 0; break;
    }
    std::fill(out + n, out + width, kBlack);
    return true;
}

// Runs of pixels that reach past the right edge are cut there (lines never
// wrap); a delta or a run of lines past the top ends the picture; data that
// ends in the middle of an instruction ends it too.
void DibRenderer::DecodeRle(const Layout& layout, const uint8_t* bits, size_t bitsSize, uint32_t* out)
{
    const uint64_t width = layout.width;
    const uint64_t height = layout.height;
    const bool four = layout.compression == BI_RLE4;
    const uint32_t* colours = layout.colours;
    uint64_t x = 0, y = 0; // y counts stored lines, 0 = bottom
    size_t pos = 0;
    if (!bits)
        return;
    auto line = [&]() { return out + (height - 1 - y) * width; };

    while (y < height && bitsSize - pos >= 2) {
        uint8_t count = bits[pos];
        uint8_t value = bits[pos + 1];
        pos += 2;
        if (count != 0) {
            uint64_t n = x < width ? std::min<uint64_t>(count, width - x) : 0;
            uint32_t* dst = n ? line() + x : nullptr;
            if (!four) {
                std::fill(dst, dst + n, colours[value]);
            } else {
                uint32_t pair[2] = {colours[value >> 4], colours[value & 15]};
                for (uint64_t i = 0; i < n; ++i)
                    dst[i] = pair[i & 1];
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: // delta: right and up
            if (bitsSize - pos < 2)
                return;
            x += bits[pos];
            y += bits[pos + 1];
            pos += 2;
            break;
        default: { // absolute run of `value` pixels, padded to a 16-bit boundary
            size_t bytes = four ? (value + 1u) / 2 : value;
            size_t avail = std::min(bytes, bitsSize - pos);
            const uint8_t* src = bits + pos;
            // Pixels the data still holds, and of those the ones left of the edge.
            uint64_t have = four ? std::min<uint64_t>(value, 2 * avail) : avail;
            uint64_t n = x < width ? std::min<uint64_t>(have, width - x) : 0;
            uint32_t* dst = n ? line() + x : nullptr;
            if (!four) {
                for (uint64_t i = 0; i < n; ++i)
                    dst[i] = colours[src[i]];
            } else {
                for (uint64_t i = 0; i < n; ++i) {
                    uint8_t b = src[i >> 1];
                    dst[i] = colours[(i & 1) ? (b & 15) : (b >> 4)];
                }
            }
            x += value;
            size_t padded = (bytes + 1) & ~size_t(1);
            if (padded > bitsSize - pos)
                return;
            pos += padded;
            break;
        }
        }
    }
}

bool DibRenderer::Render(const Layout& layout, const uint8_t* bits, size_t bitsSize,
                         std::vector<uint32_t>& out)
{
    size_t pixels = size_t(layout.width) * layout.height;
    try {
        out.assign(pixels, kBlack);
    } catch (const std::bad_alloc&) {
        out.clear();
        out.shrink_to_fit();
        return false;
    }
    if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) {
        std::fill(out.begin(), out.end(), layout.colours[0]);
        DecodeRle(layout, bits, bitsSize, out.data());
        return true;
    }
    for (uint32_t row = 0; row < layout.height; ++row)
        RenderRow(layout, bits, bitsSize, row, out.data() + size_t(row) * layout.width);
    return true;
}

bool DibRenderer::Render(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
                         std::vector<uint32_t>& out, uint32_t& width, uint32_t& height)
{
    width = height = 0;
    // The layout carries lookup tables; keep it off the stack of deep callers.
    std::unique_ptr<Layout> layout(new (std::nothrow) Layout);
    if (!layout || !ReadLayout(header, headerSize, *layout) || !Render(*layout, bits, bitsSize, out)) {
        out.clear();
        return false;
    }
    width = layout->width;
    height = layout->height;
    return true;
}

bool DibRenderer::Render(const SECImage& image, std::vector<uint32_t>& out, uint32_t& width,
                         uint32_t& height)
{
    return Render(image.GetHeaderBlock(), image.GetHeaderSize(), image.GetBits(), image.GetBitsSize(), out,
                  width, height);
}
