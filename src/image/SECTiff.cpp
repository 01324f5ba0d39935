#include "image/SECTiff.h"

#include "platform/FileSystem.h"
#include "platform/UniqueFd.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include <tiffio.h>

namespace {

// No strip, tile or decoding buffer may be larger than this, whatever the
// tags claim.
constexpr uint64_t kMaxBand = uint64_t(1) << 28;
// Decoding work for tiles that mostly lie outside a small picture.
constexpr uint64_t kMaxTileWork = uint64_t(64) << 20;

#if TIFFLIB_VERSION >= 20221213
// Messages go to the image, never to the user or the terminal.
int KeepMessage(TIFF*, void* user, const char* module, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    try {
        auto* message = static_cast<std::string*>(user);
        *message = module ? std::string(module) + ": " + text : std::string(text);
    } catch (...) {
    }
    return 1;
}

TIFFOpenOptions* MakeOptions(std::string* messages, bool reading)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepMessage, messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, KeepMessage, messages);
    if (reading)
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxBand));
    return options;
}
#endif

TIFF* OpenTiffFile(const std::string& fileName, const char* mode, std::string* messages)
{
    const bool reading = mode[0] == 'r';
    // A file to read is opened here, so that only a regular file reaches the
    // library: it would wait on a pipe for ever.
    UniqueFd file;
    if (reading && (file.Reset(OpenRegularFileForReading(fileName)), !file.IsOpen()))
        return nullptr;
    const int fd = file.Get();
    TIFF* tif = nullptr;
#if TIFFLIB_VERSION >= 20221213
    if (TIFFOpenOptions* options = MakeOptions(messages, reading)) {
        tif = reading ? TIFFFdOpenExt(fd, fileName.c_str(), mode, options)
                      : TIFFOpenExt(fileName.c_str(), mode, options);
        TIFFOpenOptionsFree(options);
    }
#else
    tif = reading ? TIFFFdOpen(fd, fileName.c_str(), mode) : TIFFOpen(fileName.c_str(), mode);
#endif
    // A handle made from the descriptor closes it; a failed opening does not.
    if (tif)
        file.Release();
    return tif;
}

// The most decoded bytes (at the file's own bits per pixel) a coding makes of
// one byte of strip or tile data.
SECImage::CodingBound CodingBoundOf(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE:
        return {1, 1};
    case COMPRESSION_PACKBITS: // a run of at most 128 bytes takes two
        return {128, 2};
    case COMPRESSION_LZW: // a code of at least 9 and at most 12 bits, a string of at most 4,096 bytes
        return {4096 * 8, 12};
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW: // a run of at most 2,560 one-bit pixels (320 bytes) takes a 12-bit code
        return {320 * 8, 12};
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG: // a bit for each 8 x 8 block, three samples a pixel delivered
        return {3 * 64 * 8, 1};
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        // Two-dimensional coding repeats a line in one bit, so it has no bound
        // but the width; a practical one: a blank line of 16,384 one-bit
        // pixels (2,048 bytes) a bit.
        return {2048 * 8, 1};
    default:
        // Deflate's own bound (1032 to 1); other codings are held to it too.
        return {1032, 1};
    }
}

// A TIFF held in memory, for TIFFClientOpen.
struct MemoryTiff {
    const uint8_t* data;
    uint64_t size;
    uint64_t pos;
};

tmsize_t MemoryRead(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* mem = static_cast<MemoryTiff*>(handle);
    if (count <= 0 || mem->pos >= mem->size)
        return 0;
    uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), mem->size - mem->pos);
    std::memcpy(buffer, mem->data + mem->pos, static_cast<size_t>(n));
    mem->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t MemoryWrite(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t MemorySeek(thandle_t handle, toff_t offset, int whence)
{
    auto* mem = static_cast<MemoryTiff*>(handle);
    int64_t base = whence == SEEK_CUR ? static_cast<int64_t>(mem->pos)
                   : whence == SEEK_END ? static_cast<int64_t>(mem->size)
                                        : 0;
    int64_t delta = static_cast<int64_t>(offset);
    if ((delta > 0 && base > INT64_MAX - delta) || base + delta < 0)
        return static_cast<toff_t>(-1);
    mem->pos = static_cast<uint64_t>(base + delta);
    return mem->pos;
}

int MemoryClose(thandle_t)
{
    return 0;
}

toff_t MemorySize(thandle_t handle)
{
    return static_cast<MemoryTiff*>(handle)->size;
}

int MemoryMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void MemoryUnmap(thandle_t, void*, toff_t) {}

TIFF* OpenTiffMemory(MemoryTiff* mem, std::string* messages)
{
#if TIFFLIB_VERSION >= 20221213
    TIFFOpenOptions* options = MakeOptions(messages, true);
    if (!options)
        return nullptr;
    TIFF* tif = TIFFClientOpenExt("memory", "r", mem, MemoryRead, MemoryWrite, MemorySeek, MemoryClose,
                                  MemorySize, MemoryMap, MemoryUnmap, options);
    TIFFOpenOptionsFree(options);
    return tif;
#else
    return TIFFClientOpen("memory", "r", mem, MemoryRead, MemoryWrite, MemorySeek, MemoryClose, MemorySize,
                          MemoryMap, MemoryUnmap);
#endif
}

// One sample of `bits` bits (1, 2, 4, 8 or 16; 16-bit samples are in host
// order after libtiff's decoding), the index-th of a row.
inline uint32_t Sample(const uint8_t* row, uint64_t index, int bits)
{
    switch (bits) {
    case 8:
        return row[index];
    case 16: {
        uint16_t v;
        std::memcpy(&v, row + 2 * index, 2);
        return v;
    }
    default: {
        uint64_t bit = index * static_cast<uint64_t>(bits);
        unsigned shift = 8 - bits - static_cast<unsigned>(bit & 7);
        return (row[bit >> 3] >> shift) & ((1u << bits) - 1);
    }
    }
}

// The grey level of a sample between the sample range's ends (which the
// caller keeps apart): 0 at the low end, 255 at the high end, or the
// reverse for white-is-zero.
uint8_t GreyLevel(uint32_t value, uint32_t low, uint32_t high, bool whiteIsZero)
{
    uint32_t range = high - low;
    uint32_t v = std::min(std::max(value, low), high);
    uint64_t level = whiteIsZero ? uint64_t(high - v) * 255 / range : uint64_t(v - low) * 255 / range;
    return static_cast<uint8_t>(level);
}

} // namespace

// How the samples of one file become pixels: worked out once from the tags.
struct SECTiff::Plan {
    enum Kind { None, Grey, Palette, Rgb, YCbCr };
    Kind kind = None;
    int bitsPerSample = 0;
    int samplesPerPixel = 0;
    bool separate = false;   // RGB planes stored one after the other
    bool bottomFirst = false; // the first stored row is the bottom line
    // RGB sample value -> 0..255; empty when the samples are used as they are.
    std::vector<uint8_t> map;
};

SECTiff::SECTiff()
{
    m_nFormatValue = COMPRESSION_NONE;
}

bool SECTiff::LoadImage(const std::string& fileName)
{
    m_strLibraryMessage.clear();
    TIFF* tif = OpenTiffFile(fileName, "r", &m_strLibraryMessage);
    if (!tif)
        return false;
    bool ok = LoadOpened(tif);
    TIFFClose(tif);
    return ok;
}

bool SECTiff::LoadFromMemory(const uint8_t* data, size_t size)
{
    m_strLibraryMessage.clear();
    MemoryTiff mem{data, data ? size : 0, 0};
    TIFF* tif = OpenTiffMemory(&mem, &m_strLibraryMessage);
    if (!tif)
        return false;
    bool ok = LoadOpened(tif);
    TIFFClose(tif);
    return ok;
}

bool SECTiff::LoadOpened(TIFF* tif)
{
    // The picture is built apart and only replaces the one held on success.
    SECTiff staging;
    staging.SetLimits(m_limits);
    if (!staging.ReadTiff(tif) || !staging.FlipVert() || !staging.FinishLoad())
        return false;
    FreeImage();
    m_picture = std::move(staging.m_picture);
    return true;
}

bool SECTiff::ReadTiff(TIFF* tif)
{
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
        return false;
    uint16_t orientation = ORIENTATION_TOPLEFT, bitsPerSample = 1, samplesPerPixel = 1;
    uint16_t photometric = 0, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = samplesPerPixel == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
    // Both tags are 16 bits wide: their product needs more than an int may hold.
    const uint32_t fileBits = uint32_t(bitsPerSample) * uint32_t(samplesPerPixel);
    if (fileBits == 16)
        return false;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const uint64_t fileBytes = TIFFGetSizeProc(tif)(TIFFClientdata(tif));
    if (fileBits == 0 ||
        !InProportion(width, height, int(std::min<uint32_t>(fileBits, 1u << 20)), fileBytes,
                      CodingBoundOf(compression), m_limits))
        return false;

    Plan plan;
    plan.bitsPerSample = bitsPerSample;
    plan.samplesPerPixel = samplesPerPixel;
    // Rows are placed by where the file starts; no mirroring or transposition.
    plan.bottomFirst = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
                       orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
    bool sampleSizeOk = bitsPerSample == 1 || bitsPerSample == 2 || bitsPerSample == 4 ||
                        bitsPerSample == 8 || bitsPerSample == 16;
    bool sampleCountOk = samplesPerPixel == 1 || samplesPerPixel == 3 || samplesPerPixel == 4;
    uint16_t* colourMap[3] = {nullptr, nullptr, nullptr};
    if (sampleSizeOk && sampleCountOk) {
        switch (photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK:
            if (samplesPerPixel == 1)
                plan.kind = Plan::Grey;
            break;
        case PHOTOMETRIC_PALETTE:
            if (samplesPerPixel == 1 &&
                TIFFGetField(tif, TIFFTAG_COLORMAP, &colourMap[0], &colourMap[1], &colourMap[2]) &&
                colourMap[0] && colourMap[1] && colourMap[2])
                plan.kind = Plan::Palette;
            break;
        case PHOTOMETRIC_RGB:
            if (samplesPerPixel >= 3)
                plan.kind = Plan::Rgb;
            break;
        case PHOTOMETRIC_YCBCR:
            if (samplesPerPixel >= 3)
                plan.kind = Plan::YCbCr;
            break;
        default:
            break;
        }
    }
    plan.separate = planar == PLANARCONFIG_SEPARATE && samplesPerPixel > 1;

    // Grey and palette samples become colour-table indices (1-bit pictures
    // for 1-bit samples, one byte per pixel otherwise), colour samples 24-bit
    // pixels. What cannot be converted stays a black picture of a depth that
    // can be shown.
    int bitsPerPixel;
    uint16_t colours = 0;
    switch (plan.kind) {
    case Plan::Grey:
    case Plan::Palette:
        bitsPerPixel = bitsPerSample == 1 ? 1 : 8;
        colours = static_cast<uint16_t>(1u << bitsPerSample);
        break;
    case Plan::Rgb:
    case Plan::YCbCr:
        bitsPerPixel = 24;
        break;
    default:
        bitsPerPixel = (fileBits == 1 || fileBits == 4 || fileBits == 8) ? int(fileBits) : 24;
        colours = bitsPerPixel == 24 ? 0 : static_cast<uint16_t>(1u << bitsPerPixel);
        break;
    }

    size_t bytes = 0;
    if (width == 0 || height == 0 || !CheckedImageSize(width, height, bitsPerPixel, bytes, m_limits))
        return false;
    size_t headerSize = kBitmapInfoHeaderSize + (bitsPerPixel == 24 ? 0 : 4 * 256);
    if (!m_picture.header.Allocate(headerSize) || !m_picture.bits.Allocate(bytes))
        return false;
    m_picture.width = width;
    m_picture.height = height;
    m_picture.bitsPerPixel = bitsPerPixel;
    m_picture.colours = colours;
    m_picture.padWidth = (width + 3) & ~3u;
    m_picture.padded = true; // the conversion writes padded rows

    // The sample range, for the grey levels and the RGB sample map; an empty
    // or reversed range stands for the full one.
    uint16_t minValue = 0, maxValue = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_MINSAMPLEVALUE, &minValue);
    TIFFGetFieldDefaulted(tif, TIFFTAG_MAXSAMPLEVALUE, &maxValue);
    uint32_t fullRange = bitsPerSample >= 16 ? 0xFFFFu : (1u << bitsPerSample) - 1;
    uint32_t low = minValue, high = maxValue;
    if (high <= low) {
        low = 0;
        high = fullRange;
    }
    if (plan.kind == Plan::Grey) {
        bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
        for (uint32_t i = 0; i < colours; ++i) {
            RgbQuad* entry = GetColour(i);
            entry->blue = entry->green = entry->red = GreyLevel(i, low, high, whiteIsZero);
        }
    } else if (plan.kind == Plan::Palette) {
        // 16-bit colour maps are scaled down; maps that only use the low byte
        // (as some writers store them) are taken as they are.
        bool wide = false;
        for (uint32_t i = 0; i < colours; ++i)
            for (int c = 0; c < 3; ++c)
                wide = wide || colourMap[c][i] >= 256;
        for (uint32_t i = 0; i < colours; ++i) {
            uint8_t rgb[3];
            for (int c = 0; c < 3; ++c)
                rgb[c] = static_cast<uint8_t>(wide ? uint32_t(colourMap[c][i]) * 255 / 65535 : colourMap[c][i]);
            RgbQuad* entry = GetColour(i);
            entry->red = rgb[0];
            entry->green = rgb[1];
            entry->blue = rgb[2];
        }
    } else if (plan.kind == Plan::Rgb && !(bitsPerSample == 8 && low == 0 && high == 255)) {
        plan.map.resize(size_t(fullRange) + 1);
        for (uint32_t i = 0; i <= fullRange; ++i)
            plan.map[i] = GreyLevel(i, low, high, false);
    }

    // Read errors do not fail the load: what could not be read stays black.
    Convert(tif, plan);

    BitmapInfoHeader info;
    info.biWidth = static_cast<int32_t>(width);
    info.biHeight = static_cast<int32_t>(height);
    info.biPlanes = static_cast<uint16_t>(m_nDisplayPlanes);
    info.biBitCount = static_cast<uint16_t>(bitsPerPixel);
    info.biSizeImage = static_cast<uint32_t>(bytes);
    SetInfoHeader(info);
    return true;
}

void SECTiff::Convert(TIFF* tif, const Plan& plan)
{
    switch (plan.kind) {
    case Plan::None:
        return;
    case Plan::YCbCr:
        ConvertThroughRgba(tif, plan);
        return;
    default:
        if (TIFFIsTiled(tif))
            ConvertTiles(tif, plan);
        else
            ConvertStrips(tif, plan);
    }
}

void SECTiff::ConvertStrips(TIFF* tif, const Plan& plan)
{
    const uint32_t height = m_picture.height;
    uint32_t rowsPerStrip = height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > height)
        rowsPerStrip = height;
    const int bandSamples = plan.separate ? 1 : plan.samplesPerPixel;
    const uint64_t rowBytes = (uint64_t(m_picture.width) * plan.bitsPerSample * bandSamples + 7) / 8;
    const uint64_t bandBytes = rowBytes * rowsPerStrip;
    if (bandBytes == 0 || bandBytes > kMaxBand)
        return;
    MemBlock band;
    if (!band.Allocate(static_cast<size_t>(bandBytes)))
        return;
    const uint32_t strips = TIFFNumberOfStrips(tif);
    const int planes = plan.separate ? 3 : 1;
    for (int plane = 0; plane < planes; ++plane) {
        for (uint64_t y = 0; y < height; y += rowsPerStrip) {
            uint32_t strip = TIFFComputeStrip(tif, static_cast<uint32_t>(y), static_cast<uint16_t>(plane));
            if (strip >= strips)
                continue;
            uint32_t rows = static_cast<uint32_t>(std::min<uint64_t>(rowsPerStrip, height - y));
            size_t want = static_cast<size_t>(rowBytes * rows);
            std::memset(band.Data(), 0, want);
            TIFFReadEncodedStrip(tif, strip, band.Data(), static_cast<tmsize_t>(want));
            PutBand(plan, band.Data(), want, rowBytes, 0, static_cast<uint32_t>(y), m_picture.width, rows,
                    plane);
        }
    }
}

void SECTiff::ConvertTiles(TIFF* tif, const Plan& plan)
{
    uint32_t tileWidth = 0, tileLength = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
    if (tileWidth == 0 || tileLength == 0)
        return;
    const int bandSamples = plan.separate ? 1 : plan.samplesPerPixel;
    const uint64_t rowBytes = (uint64_t(tileWidth) * plan.bitsPerSample * bandSamples + 7) / 8;
    const uint64_t tileBytes = rowBytes * tileLength;
    if (tileBytes == 0 || tileBytes > kMaxBand)
        return;
    // Tiles far larger than the picture (a hostile file's 3-pixel picture in
    // tiles millions of pixels wide) would have every tile decoded and
    // cleared in full for a few pixels each: such work is left undone and the
    // picture stays black, as for any tile that cannot be read.
    const int planeCount = plan.separate ? 3 : 1;
    const uint64_t tilesAcross = (uint64_t(m_picture.width) + tileWidth - 1) / tileWidth;
    const uint64_t tilesDown = (uint64_t(m_picture.height) + tileLength - 1) / tileLength;
    const uint64_t pictureBytes =
        (uint64_t(m_picture.width) * plan.bitsPerSample * bandSamples + 7) / 8 * m_picture.height * planeCount;
    const uint64_t workBytes = tilesAcross * tilesDown * planeCount * tileBytes;
    if (workBytes > std::max<uint64_t>(kMaxTileWork, 16 * pictureBytes))
        return;
    MemBlock tile;
    if (!tile.Allocate(static_cast<size_t>(tileBytes)))
        return;
    const uint32_t tiles = TIFFNumberOfTiles(tif);
    for (int plane = 0; plane < planeCount; ++plane) {
        for (uint64_t y = 0; y < m_picture.height; y += tileLength) {
            for (uint64_t x = 0; x < m_picture.width; x += tileWidth) {
                uint32_t index = TIFFComputeTile(tif, static_cast<uint32_t>(x), static_cast<uint32_t>(y), 0,
                                                 static_cast<uint16_t>(plane));
                if (index >= tiles)
                    continue;
                std::memset(tile.Data(), 0, tile.Size());
                TIFFReadEncodedTile(tif, index, tile.Data(), static_cast<tmsize_t>(tileBytes));
                PutBand(plan, tile.Data(), tile.Size(), rowBytes, static_cast<uint32_t>(x),
                        static_cast<uint32_t>(y), tileWidth, tileLength, plane);
            }
        }
    }
}

// YCbCr (subsampled, or JPEG-compressed) is left to libtiff's RGBA reader,
// band by band in the file's own row order; rows are placed as for the others.
void SECTiff::ConvertThroughRgba(TIFF* tif, const Plan& plan)
{
    char message[1024];
    TIFFRGBAImage img;
    std::memset(&img, 0, sizeof img);
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&img, tif, 0, message))
        return;
    img.req_orientation = img.orientation;
    const uint32_t width = m_picture.width, height = m_picture.height;
    // Bands start on strip or tile boundaries, where subsampled blocks start.
    uint32_t band = height;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &band);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &band);
    if (band == 0 || band > height)
        band = height;
    MemBlock raster;
    if (img.width == width && img.height == height && uint64_t(width) * band * 4 <= kMaxBand &&
        raster.Allocate(size_t(width) * band * 4)) {
        auto* pixels = reinterpret_cast<uint32_t*>(raster.Data());
        const uint64_t stride = PaddedRowLength();
        for (uint64_t y = 0; y < height; y += band) {
            uint32_t rows = static_cast<uint32_t>(std::min<uint64_t>(band, height - y));
            std::memset(raster.Data(), 0, raster.Size());
            img.row_offset = static_cast<int>(y);
            img.col_offset = 0;
            TIFFRGBAImageGet(&img, pixels, width, rows);
            for (uint32_t r = 0; r < rows; ++r) {
                uint64_t line = y + r;
                uint64_t outRow = plan.bottomFirst ? height - 1 - line : line;
                uint8_t* out = m_picture.bits.Data() + outRow * stride;
                const uint32_t* in = pixels + size_t(r) * width;
                for (uint32_t x = 0; x < width; ++x) {
                    out[3 * x] = static_cast<uint8_t>(TIFFGetB(in[x]));
                    out[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(in[x]));
                    out[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(in[x]));
                }
            }
        }
    }
    TIFFRGBAImageEnd(&img);
}

// Puts one decoded strip or tile (`rows` rows of `rowBytes` bytes, the first
// at column x0 and line y0 of the picture; for separate planes, the samples of
// plane `plane` only) into the pixel buffer. Whatever the tags said, nothing
// outside the picture is written and nothing outside `data` is read.
void SECTiff::PutBand(const Plan& plan, const uint8_t* data, size_t size, uint64_t rowBytes, uint32_t x0,
                      uint32_t y0, uint32_t columns, uint32_t rows, int plane)
{
    const uint32_t width = m_picture.width, height = m_picture.height;
    if (x0 >= width || y0 >= height)
        return;
    columns = std::min(columns, width - x0);
    rows = std::min(rows, height - y0);
    const uint64_t stride = PaddedRowLength();
    const int bits = plan.bitsPerSample;
    const int samples = plan.separate ? 1 : plan.samplesPerPixel;
    if ((uint64_t(columns) * bits * samples + 7) / 8 > rowBytes)
        return;
    for (uint32_t r = 0; r < rows; ++r) {
        if ((uint64_t(r) + 1) * rowBytes > size)
            return;
        const uint8_t* in = data + r * rowBytes;
        uint64_t line = uint64_t(y0) + r;
        uint64_t outRow = plan.bottomFirst ? height - 1 - line : line;
        if ((outRow + 1) * stride > m_picture.bits.Size())
            return;
        uint8_t* out = m_picture.bits.Data() + outRow * stride;
        if (plan.kind == Plan::Rgb) {
            const uint8_t* map = plan.map.empty() ? nullptr : plan.map.data();
            if (plan.separate) {
                // Plane 0 is red, the third byte of a pixel.
                uint8_t* dst = out + 3 * uint64_t(x0) + (2 - plane);
                for (uint32_t c = 0; c < columns; ++c) {
                    uint32_t v = Sample(in, c, bits);
                    dst[3 * uint64_t(c)] = map ? map[v] : static_cast<uint8_t>(v);
                }
            } else if (!map && bits == 8) {
                uint8_t* dst = out + 3 * uint64_t(x0);
                for (uint32_t c = 0; c < columns; ++c, in += samples, dst += 3) {
                    dst[0] = in[2];
                    dst[1] = in[1];
                    dst[2] = in[0];
                }
            } else {
                uint8_t* dst = out + 3 * uint64_t(x0);
                for (uint32_t c = 0; c < columns; ++c, dst += 3) {
                    uint64_t first = uint64_t(c) * samples;
                    for (int s = 0; s < 3; ++s) {
                        uint32_t v = Sample(in, first + s, bits);
                        dst[2 - s] = map ? map[v] : static_cast<uint8_t>(v);
                    }
                }
            }
        } else if (m_picture.bitsPerPixel == 1) {
            for (uint32_t c = 0; c < columns; ++c) {
                uint64_t x = uint64_t(x0) + c;
                uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
                if (Sample(in, c, 1))
                    out[x >> 3] |= mask;
                else
                    out[x >> 3] &= static_cast<uint8_t>(~mask);
            }
        } else if (bits == 8) {
            std::memcpy(out + x0, in, columns);
        } else {
            for (uint32_t c = 0; c < columns; ++c)
                out[uint64_t(x0) + c] = static_cast<uint8_t>(Sample(in, c, bits));
        }
    }
}

bool SECTiff::SaveImage(const std::string& fileName)
{
    m_strLibraryMessage.clear();
    bool ok = BeforeSave() && WriteTiff(fileName);
    return AfterSave() && ok;
}

bool SECTiff::WriteTiff(const std::string& fileName)
{
    if (!HasPicture() || GetInfoHeader().biCompression != BI_RGB)
        return false;
    const int bpp = m_picture.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
        return false;
    if (!FlipVert())
        return false;
    bool ok = UnpadBits();
    // The file holds red, green, blue; the picture blue, green, red.
    const bool swap = ok && m_picture.bitsPerPixel == 24;
    const uint64_t pixels = uint64_t(m_picture.width) * m_picture.height;
    auto swapRedBlue = [&] {
        uint8_t* p = m_picture.bits.Data();
        for (uint64_t i = 0; i < pixels; ++i, p += 3)
            std::swap(p[0], p[2]);
    };
    if (swap)
        swapRedBlue();
    if (ok) {
        TIFF* tif = OpenTiffFile(fileName, "w", &m_strLibraryMessage);
        ok = tif && WriteOpened(tif);
        if (tif) {
            ok = TIFFFlush(tif) && ok;
            TIFFClose(tif);
        }
    }
    if (swap)
        swapRedBlue();
    return FlipVert() && ok;
}

bool SECTiff::WriteOpened(TIFF* tif)
{
    const uint32_t width = m_picture.width, height = m_picture.height;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(m_nFormatValue)) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    if (ok && m_nFormatValue == COMPRESSION_CCITTFAX3)
        ok = TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 5);
    if (!ok)
        return false;

    const uint8_t* data = m_picture.bits.Data();
    const uint64_t rowBytes = UnpaddedRowLength();
    uint64_t size = rowBytes * height;
    std::vector<uint8_t> converted;
    if (m_picture.bitsPerPixel == 24) {
        ok = TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    } else if (m_picture.bitsPerPixel == 1) {
        ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        // Black-is-zero keeps the picture's look only when index 0 is the
        // darker colour; a picture whose index 0 is the lighter one (as white-
        // is-zero files load) is written inverted.
        const RgbQuad* zero = GetColour(0);
        const RgbQuad* one = GetColour(1);
        auto lightness = [](const RgbQuad* q) { return q ? 30 * q->red + 59 * q->green + 11 * q->blue : 0; };
        bool invert = !(lightness(zero) < lightness(one));
        if (invert) {
            converted.assign(data, data + size);
            for (uint8_t& b : converted)
                b = static_cast<uint8_t>(~b);
            data = converted.data();
        }
    } else {
        std::vector<uint16_t> red(256), green(256), blue(256);
        const size_t entries = std::max<size_t>(m_picture.colours, 1u << m_picture.bitsPerPixel);
        for (size_t i = 0; i < 256 && i < entries; ++i) {
            const RgbQuad* q = GetColour(i);
            if (!q)
                break;
            red[i] = static_cast<uint16_t>(q->red * 257);
            green[i] = static_cast<uint16_t>(q->green * 257);
            blue[i] = static_cast<uint16_t>(q->blue * 257);
        }
        ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE) &&
             TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
        if (m_picture.bitsPerPixel == 4) {
            // One byte per index in the file.
            converted.resize(size_t(width) * height);
            for (uint32_t y = 0; y < height; ++y) {
                const uint8_t* in = data + y * rowBytes;
                uint8_t* out = converted.data() + size_t(y) * width;
                for (uint32_t x = 0; x < width; ++x)
                    out[x] = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
            }
            data = converted.data();
            size = converted.size();
        }
    }
    return ok && TIFFWriteEncodedStrip(tif, 0, const_cast<uint8_t*>(data), static_cast<tmsize_t>(size)) >= 0;
}
