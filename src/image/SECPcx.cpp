#include "image/SECPcx.h"

#include "image/PcxCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint8_t kPaletteMarker = 0x0C;
constexpr size_t kChunk = 4096;

} // namespace

SECPcx::FileHeader SECPcx::FileHeader::Read(const uint8_t* p)
{
    FileHeader h;
    h.manufacturer = p[0];
    h.version = p[1];
    h.encoding = p[2];
    h.bitsPerPixel = p[3];
    h.xMin = GetLE16(p + 4);
    h.yMin = GetLE16(p + 6);
    h.xMax = GetLE16(p + 8);
    h.yMax = GetLE16(p + 10);
    h.hRes = GetLE16(p + 12);
    h.vRes = GetLE16(p + 14);
    std::memcpy(h.palette, p + 16, sizeof h.palette);
    h.reserved = p[64];
    h.planes = p[65];
    h.bytesPerLine = GetLE16(p + 66);
    h.paletteInfo = GetLE16(p + 68);
    h.hScreenSize = GetLE16(p + 70);
    h.vScreenSize = GetLE16(p + 72);
    std::memcpy(h.filler, p + 74, sizeof h.filler);
    return h;
}

void SECPcx::FileHeader::Write(uint8_t* p) const
{
    p[0] = manufacturer;
    p[1] = version;
    p[2] = encoding;
    p[3] = bitsPerPixel;
    PutLE16(p + 4, xMin);
    PutLE16(p + 6, yMin);
    PutLE16(p + 8, xMax);
    PutLE16(p + 10, yMax);
    PutLE16(p + 12, hRes);
    PutLE16(p + 14, vRes);
    std::memcpy(p + 16, palette, sizeof palette);
    p[64] = reserved;
    p[65] = planes;
    PutLE16(p + 66, bytesPerLine);
    PutLE16(p + 68, paletteInfo);
    PutLE16(p + 70, hScreenSize);
    PutLE16(p + 72, vScreenSize);
    std::memcpy(p + 74, filler, sizeof filler);
}

bool SECPcx::DoLoadImage(CFile* file)
{
    uint8_t raw[FileHeader::kSize];
    if (!file || file->Read(raw, sizeof raw) != sizeof raw)
        return false;
    m_pCurFile = file;
    m_pcxHeader = FileHeader::Read(raw);
    const FileHeader& h = m_pcxHeader;
    if (h.manufacturer != 10 || h.version > 5 || h.encoding != 1)
        return false;
    if (h.xMax < h.xMin || h.yMax < h.yMin)
        return false;
    uint32_t width = uint32_t(h.xMax) - h.xMin + 1;
    uint32_t height = uint32_t(h.yMax) - h.yMin + 1;

    // 2 to the power of the bits per pixel, as a 16-bit count: 0 for 16 bits and more.
    unsigned bits = unsigned(h.bitsPerPixel) * h.planes;
    uint32_t colours = bits >= 16 ? 0 : (1u << bits);
    if (colours > 256)
        return false;

    PcxLayout layout;
    int depth = 8;
    if (h.bitsPerPixel == 1 && h.planes == 1) {
        layout = PcxLayout::Monochrome;
        colours = 256;
    } else if (h.bitsPerPixel == 1 && h.planes >= 2 && h.planes <= 4) {
        layout = PcxLayout::Planar;
    } else if (h.bitsPerPixel == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4)) {
        // Four planes carry an alpha plane behind red, green and blue; it is dropped.
        layout = PcxLayout::Bytes;
        if (h.planes != 1) {
            depth = 24;
            colours = 0;
        }
    } else {
        // Packed 2- and 4-bit pixels, 8-bit pairs of planes and deeper planar
        // layouts have no reading here.
        return false;
    }

    // A run of at most 63 bytes takes two: no file holds more than 31.5
    // bytes of scanlines (of `bits` bits a pixel over all planes) a byte.
    constexpr CodingBound kRunBound{63, 2};
    size_t bytes = 0;
    if (!CheckedImageSize(width, height, depth, bytes, m_limits) ||
        !InProportion(width, height, int(bits), file->GetLength(), kRunBound, m_limits))
        return false;

    auto fail = [this]() {
        ReleaseCache();
        m_picture.bits.Free();
        m_picture.header.Free();
        return false;
    };

    if (!m_picture.header.Allocate(kBitmapInfoHeaderSize + 4 * size_t(colours)))
        return fail();
    BitmapInfoHeader info;
    info.biWidth = static_cast<int32_t>(width);
    info.biHeight = static_cast<int32_t>(height);
    info.biBitCount = static_cast<uint16_t>(depth);
    info.biSizeImage = static_cast<uint32_t>(bytes);
    if (bits < 8) {
        info.biClrUsed = layout == PcxLayout::Planar ? colours : 256;
        info.biClrImportant = info.biClrUsed;
    }
    SetInfoHeader(info);

    if (!m_picture.bits.Allocate(bytes))
        return fail();
    PcxDecodeState state;
    if (!PcxDecodeInit(state, layout, width, height, h.planes, h.bytesPerLine, bytes))
        return fail();
    if (!InitCache(kCacheSize, 1))
        return fail();

    // Decoded lines lie one after another, top line first, unpadded; the
    // rows are padded and turned bottom-up below.
    uint8_t chunk[kChunk];
    size_t len = 0;
    size_t pos = 0;
    while (!PcxDecodeDone(state)) {
        len = CacheRead(chunk, sizeof chunk);
        pos = 0;
        if (len == 0)
            break;
        pos = PcxDecode(state, chunk, len, m_picture.bits.Data());
    }

    m_picture.width = width;
    m_picture.height = height;
    m_picture.bitsPerPixel = depth;
    m_picture.colours = static_cast<uint16_t>(colours);
    m_picture.padded = false;
    m_picture.padWidth = (width + 3) & ~3u;

    if (colours > 16) {
        // A monochrome picture stores set bits as 255, while a palette stored
        // with it (some writers add one) gives their colour as entry 1.
        if (ReadPalette(chunk, sizeof chunk, pos, len) && layout == PcxLayout::Monochrome)
            *GetColour(255) = *GetColour(1);
    } else {
        for (uint32_t i = 0; i < colours; ++i) {
            RgbQuad* q = GetColour(i);
            q->red = h.palette[3 * i];
            q->green = h.palette[3 * i + 1];
            q->blue = h.palette[3 * i + 2];
        }
    }

    if (!Padbits() || !FlipVert())
        return fail();
    ReleaseCache();
    return true;
}

// The 256-colour palette follows the pixel data behind a 0x0C byte. Without a
// complete one the colour table becomes a grey ramp. `chunk` holds the input
// not yet used between pos and len. False when the ramp was used.
bool SECPcx::ReadPalette(uint8_t* chunk, size_t chunkSize, size_t& pos, size_t& len)
{
    auto next = [&](uint8_t& byte) {
        if (pos >= len) {
            len = CacheRead(chunk, chunkSize);
            pos = 0;
            if (len == 0)
                return false;
        }
        byte = chunk[pos++];
        return true;
    };

    std::vector<uint8_t> triples;
    uint8_t byte = 0;
    bool found = false;
    while (!found && next(byte))
        found = byte == kPaletteMarker;
    if (found) {
        triples.reserve(3 * size_t(m_picture.colours));
        while (triples.size() < 3 * size_t(m_picture.colours) && next(byte))
            triples.push_back(byte);
    }
    const bool complete = found && triples.size() == 3 * size_t(m_picture.colours);
    for (size_t i = 0; i < m_picture.colours; ++i) {
        RgbQuad* q = GetColour(i);
        if (complete) {
            q->red = triples[3 * i];
            q->green = triples[3 * i + 1];
            q->blue = triples[3 * i + 2];
        } else {
            q->red = q->green = q->blue = static_cast<uint8_t>(i);
        }
    }
    return complete;
}

bool SECPcx::DoSaveImage(CFile* file)
{
    if (m_picture.bitsPerPixel != 1 && m_picture.bitsPerPixel != 4 && m_picture.bitsPerPixel != 8)
        return false;
    // The header holds the largest coordinates and the line length in 16 bits.
    if (!HasPicture() || m_picture.width > 65535 || m_picture.height > 65536 || !file)
        return false;
    m_pCurFile = file;

    FileHeader h;
    h.xMax = static_cast<uint16_t>(m_picture.width - 1);
    h.yMax = static_cast<uint16_t>(m_picture.height - 1);
    h.bytesPerLine = static_cast<uint16_t>(m_picture.width);
    if (m_picture.colours >= 1 && m_picture.colours <= 15) {
        for (size_t i = 0; i < m_picture.colours; ++i) {
            if (const RgbQuad* q = GetColour(i)) {
                h.palette[3 * i] = q->red;
                h.palette[3 * i + 1] = q->green;
                h.palette[3 * i + 2] = q->blue;
            }
        }
    }
    m_pcxHeader = h;

    // Rows are written top-down and unpadded; the picture is put back afterwards.
    if (!FlipVert())
        return false;
    if (!UnpadBits()) {
        FlipVert();
        return false;
    }
    bool ok = InitCache(kCacheSize, 2);
    if (ok) {
        uint8_t raw[FileHeader::kSize];
        h.Write(raw);
        ok = file->Write(raw, sizeof raw) && WritePixels();
    }
    ok = CacheFlush() && ok;
    ReleaseCache();
    Padbits();
    FlipVert();
    return ok;
}

// The run-length rows and the palette trailer, through the cache.
bool SECPcx::WritePixels()
{
    const uint64_t stride = UnpaddedRowLength();
    std::vector<uint8_t> samples(m_picture.width);
    std::vector<uint8_t> encoded(2 * size_t(m_picture.width));
    const uint8_t* bits = m_picture.bits.Data();
    for (uint32_t y = 0; y < m_picture.height; ++y) {
        const uint8_t* row = bits + y * stride;
        for (uint32_t x = 0; x < m_picture.width; ++x) {
            switch (m_picture.bitsPerPixel) {
            case 1: {
                int shift = m_nBitOrder == 1 ? 7 - int(x % 8) : int(x % 8);
                samples[x] = (row[x / 8] >> shift) & 1;
                break;
            }
            case 4:
                samples[x] = (x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0F);
                break;
            default:
                samples[x] = row[x];
                break;
            }
        }
        size_t n = PcxEncodeRow(samples.data(), samples.size(), encoded.data());
        if (!CacheWrite(encoded.data(), n))
            return false;
    }

    uint8_t trailer[1 + 768] = {kPaletteMarker};
    for (size_t i = 0; i < m_picture.colours && i < 256; ++i) {
        if (const RgbQuad* q = GetColour(i)) {
            trailer[1 + 3 * i] = q->red;
            trailer[2 + 3 * i] = q->green;
            trailer[3 + 3 * i] = q->blue;
        }
    }
    return CacheWrite(trailer, sizeof trailer);
}
