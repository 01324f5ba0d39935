#include "image/SECImage.h"

#include <algorithm>
#include <cstring>

namespace {

int g_screenBitsPerPixel = 32;
int g_screenPlanes = 1;

} // namespace

void SECImage::SetScreenFormat(int bitsPerPixel, int planes)
{
    g_screenBitsPerPixel = bitsPerPixel;
    g_screenPlanes = planes;
}

SECImage::SECImage()
{
    int bpp = g_screenBitsPerPixel;
    m_nDisplayPlanes = g_screenPlanes;
    m_nDisplayBitsPerPixel = (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8) ? bpp : 0;
    switch (bpp) {
    case 1: m_wDisplayColors = static_cast<uint16_t>(1u << m_nDisplayPlanes); break;
    case 2: m_wDisplayColors = 4; break;
    case 4: m_wDisplayColors = 16; break;
    case 8: m_wDisplayColors = 256; break;
    default: m_wDisplayColors = 0; break;
    }
}

SECImage::~SECImage()
{
    m_picture.bits.Free();
    m_picture.header.Free();
    ReleasePalette();
    CloseFiles();
}

uint64_t SECImage::PaddedRowLength(uint64_t width, int bitsPerPixel)
{
    return ((width * static_cast<uint64_t>(bitsPerPixel) + 31) / 32) * 4;
}

uint64_t SECImage::UnpaddedRowLength(uint64_t width, int bitsPerPixel)
{
    uint64_t bits = width * static_cast<uint64_t>(bitsPerPixel);
    return bits == 0 ? 0 : (bits - 1) / 8 + 1;
}

bool SECImage::CheckedImageSize(uint64_t width, uint64_t height, int bitsPerPixel, size_t& bytes,
                                const ImageLimits& limits)
{
    if (bitsPerPixel <= 0 || bitsPerPixel > 32 || !PixelCountAllowed(width, height, limits))
        return false;
    uint64_t total = PaddedRowLength(width, bitsPerPixel) * height;
    if (!ByteCountAllowed(total, limits))
        return false;
    bytes = static_cast<size_t>(total);
    return true;
}

bool SECImage::PixelCountAllowed(uint64_t width, uint64_t height, const ImageLimits& limits)
{
    // Each side is checked first, so that the product cannot overflow.
    const uint64_t most = std::min(limits.maxPixels, kMaxPixels);
    return width <= most && height <= most && width * height <= most;
}

bool SECImage::ByteCountAllowed(uint64_t bytes, const ImageLimits& limits)
{
    return bytes <= std::min(limits.maxBytes, kMaxImageBytes);
}

bool SECImage::InProportion(uint64_t width, uint64_t height, int bitsPerPixel, uint64_t fileBytes,
                            CodingBound bound, const ImageLimits& limits)
{
    if (bitsPerPixel <= 0 || bound.coded == 0 || !PixelCountAllowed(width, height, limits))
        return false;
    // Within the pixel limit and for any real file, bits and the allowance
    // fit 64 bits easily.
    fileBytes = std::min<uint64_t>(fileBytes, uint64_t(1) << 40);
    const uint64_t pictureBits = width * height * static_cast<uint64_t>(bitsPerPixel);
    const uint64_t allowedBytes = 2 * fileBytes / bound.coded * bound.decoded +
                                  2 * fileBytes % bound.coded * bound.decoded / bound.coded;
    return pictureBits / 8 <= allowedBytes;
}

void SECImage::SetLimits(const ImageLimits& limits)
{
    m_limits.maxPixels = std::min(limits.maxPixels, kMaxPixels);
    m_limits.maxBytes = std::min(limits.maxBytes, kMaxImageBytes);
}

BitmapInfoHeader SECImage::GetInfoHeader() const
{
    if (m_picture.header.Size() < kBitmapInfoHeaderSize) {
        BitmapInfoHeader empty;
        empty.biSize = 0;
        empty.biPlanes = 0;
        return empty;
    }
    return BitmapInfoHeader::Read(m_picture.header.Data());
}

void SECImage::SetInfoHeader(const BitmapInfoHeader& header)
{
    if (m_picture.header.Size() >= kBitmapInfoHeaderSize)
        header.Write(m_picture.header.Data());
}

RgbQuad* SECImage::GetColour(size_t index)
{
    // The table follows the header, whose own size a BMP file may give as larger than 40.
    size_t headerSize = kBitmapInfoHeaderSize;
    if (m_picture.header.Size() >= kBitmapInfoHeaderSize) {
        uint32_t biSize = GetLE32(m_picture.header.Data());
        if (biSize > kBitmapInfoHeaderSize && biSize < m_picture.header.Size())
            headerSize = biSize;
    }
    size_t offset = headerSize + 4 * index;
    if (m_picture.header.IsEmpty() || offset + 4 > m_picture.header.Size())
        return nullptr;
    return reinterpret_cast<RgbQuad*>(m_picture.header.Data() + offset);
}

const RgbQuad* SECImage::GetColour(size_t index) const
{
    return const_cast<SECImage*>(this)->GetColour(index);
}

void SECImage::SetPalette(std::vector<PaletteEntry> entries)
{
    m_picture.palette = std::move(entries);
    m_picture.hasPalette = !m_picture.palette.empty();
}

void SECImage::ReleasePalette()
{
    m_picture.palette.clear();
    m_picture.hasPalette = false;
}

bool SECImage::CreatePalette()
{
    if (m_picture.bitsPerPixel == 24)
        return true;
    BitmapInfoHeader info = GetInfoHeader();
    // A logical palette holds at most 256 entries, whatever a file's header claims.
    size_t count = std::min<size_t>(256, std::max<size_t>(m_picture.colours, info.biClrUsed));
    size_t filled = info.biClrUsed != 0 ? std::min<size_t>(info.biClrUsed, 256) : m_picture.colours;
    std::vector<PaletteEntry> entries(count);
    for (size_t i = 0; i < count && i < filled; ++i) {
        const RgbQuad* q = GetColour(i);
        if (!q)
            break;
        entries[i] = {q->red, q->green, q->blue, 0};
    }
    ReleasePalette();
    if (count == 0)
        return false;
    SetPalette(std::move(entries));
    return true;
}

bool SECImage::OpenFileByName(const std::string& fileName, unsigned flags, CFile*& file)
{
    // Only a file object this image opened itself can be reopened on a new name.
    bool owned = std::any_of(m_openedFiles.begin(), m_openedFiles.end(),
                             [this](const std::unique_ptr<CFile>& f) { return f.get() == m_pCurFile; });
    if (m_pCurFile && owned) {
        m_pCurFile->Close();
        m_pCurFile->Open(fileName, flags); // its outcome shows in the reads that follow
        file = m_pCurFile;
        return true;
    }
    auto opened = std::make_unique<CFile>();
    if (!opened->Open(fileName, flags))
        return false;
    file = opened.get();
    m_openedFiles.push_back(std::move(opened));
    return true;
}

bool SECImage::LoadImage(const std::string& fileName)
{
    CFile* file = nullptr;
    if (!OpenFileByName(fileName, CFile::modeRead, file))
        return false;
    bool ok = LoadImage(file);
    file->Close();
    return ok;
}

bool SECImage::LoadImage(CFile* file)
{
    m_pCurFile = file;
    m_strFailure.clear();
    std::unique_ptr<DibPicture> backup;
    if (HasPicture())
        backup = std::make_unique<DibPicture>(std::move(m_picture));
    bool ok = FreeImage() && DoLoadImage(file) && FinishLoad();
    if (!ok && backup) {
        FreeImage();
        m_picture = std::move(*backup);
    }
    return ok;
}

bool SECImage::SaveImage(const std::string& fileName)
{
    CFile* file = nullptr;
    if (!OpenFileByName(fileName, CFile::modeCreate | CFile::modeWrite, file))
        return false;
    bool ok = SaveImage(file);
    file->Close();
    return ok;
}

bool SECImage::SaveImage(CFile* file)
{
    m_pCurFile = file;
    m_strFailure.clear();
    bool ok = BeforeSave();
    ok = ok && DoSaveImage(file);
    ok = AfterSave() && ok;
    return ok;
}

bool SECImage::Fail(MessageId message)
{
    m_strFailure = MessageText(message);
    return false;
}

bool SECImage::FreeImage()
{
    m_picture = DibPicture();
    ReleaseCache();
    return true;
}

bool SECImage::FinishLoad()
{
    CreatePalette();
    m_picture.padWidth = (m_picture.width + 3) & ~3u;
    Padbits();
    if (m_nDisplayBitsPerPixel != 0 && m_nDisplayBitsPerPixel != m_picture.bitsPerPixel)
        m_picture.halftone = true;
    if (m_picture.header.IsEmpty()) {
        if (!m_picture.header.Allocate(kBitmapInfoHeaderSize + 4 * static_cast<size_t>(m_picture.colours)))
            return false;
        BitmapInfoHeader info;
        info.biWidth = static_cast<int32_t>(m_picture.width);
        info.biHeight = static_cast<int32_t>(m_picture.height);
        info.biPlanes = static_cast<uint16_t>(m_nDisplayPlanes);
        info.biBitCount = static_cast<uint16_t>(m_picture.bitsPerPixel);
        info.biSizeImage = static_cast<uint32_t>(m_picture.height * PaddedRowLength());
        SetInfoHeader(info);
    }
    return true;
}

bool SECImage::Padbits()
{
    if (m_picture.padded)
        return true;
    m_picture.padWidth = (m_picture.width + 3) & ~3u;
    uint64_t padded = PaddedRowLength();
    uint64_t unpadded = UnpaddedRowLength();
    if (padded != unpadded && m_picture.height > 1) {
        // The buffer must already be large enough for the padded rows.
        if (m_picture.bits.IsEmpty() || padded * m_picture.height > m_picture.bits.Size())
            return false;
        std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[padded]);
        if (!row)
            return false;
        uint8_t* bits = m_picture.bits.Data();
        for (uint64_t r = m_picture.height - 1; r >= 1; --r) {
            std::memcpy(row.get(), bits + r * unpadded, unpadded);
            std::memset(bits + r * padded, 0, padded);
            std::memcpy(bits + r * padded, row.get(), unpadded);
        }
        // Row 0 stayed put; its padding still holds the start of the old row 1.
        std::memset(bits + unpadded, 0, padded - unpadded);
    }
    m_picture.padded = true;
    return true;
}

bool SECImage::UnpadBits()
{
    if (!m_picture.padded)
        return true;
    uint64_t padded = PaddedRowLength();
    uint64_t unpadded = UnpaddedRowLength();
    if (padded != unpadded && m_picture.height > 1) {
        if (m_picture.bits.IsEmpty() || padded * m_picture.height > m_picture.bits.Size())
            return false;
        uint8_t* bits = m_picture.bits.Data();
        for (uint64_t r = 1; r < m_picture.height; ++r)
            std::memmove(bits + r * unpadded, bits + r * padded, unpadded);
    }
    m_picture.padded = false;
    return true;
}

bool SECImage::FlipVert()
{
    if (!Padbits())
        return false;
    uint64_t padded = PaddedRowLength();
    if (m_picture.height < 2 || padded == 0)
        return true;
    if (m_picture.bits.IsEmpty() || padded * m_picture.height > m_picture.bits.Size())
        return false;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[padded]);
    if (!row)
        return false;
    uint8_t* bits = m_picture.bits.Data();
    for (uint64_t i = 0, j = m_picture.height - 1; i < j; ++i, --j) {
        std::memcpy(row.get(), bits + i * padded, padded);
        std::memcpy(bits + i * padded, bits + j * padded, padded);
        std::memcpy(bits + j * padded, row.get(), padded);
    }
    return true;
}

bool SECImage::Create(uint32_t width, uint32_t height, int bitsPerPixel, uint16_t colours)
{
    size_t bytes = 0;
    if (!CheckedImageSize(width, height, bitsPerPixel, bytes, m_limits))
        return false;
    FreeImage();
    if (!m_picture.bits.Allocate(bytes) ||
        !m_picture.header.Allocate(kBitmapInfoHeaderSize + 4 * static_cast<size_t>(colours))) {
        FreeImage();
        return false;
    }
    m_picture.width = width;
    m_picture.height = height;
    m_picture.padWidth = (width + 3) & ~3u;
    m_picture.bitsPerPixel = bitsPerPixel;
    m_picture.colours = colours;
    m_picture.padded = true;
    BitmapInfoHeader info;
    info.biWidth = static_cast<int32_t>(width);
    info.biHeight = static_cast<int32_t>(height);
    info.biBitCount = static_cast<uint16_t>(bitsPerPixel);
    info.biSizeImage = static_cast<uint32_t>(bytes);
    SetInfoHeader(info);
    return true;
}

void SECImage::CloseFiles()
{
    m_openedFiles.clear();
    m_pCurFile = nullptr;
}

bool SECImage::InitCache(size_t size, int mode)
{
    ReleaseCache();
    if (!m_pCurFile)
        return false;
    if (!m_cache.Allocate(size))
        return false;
    m_nCacheSize = size;
    m_nCacheFill = 0;
    m_nCachePos = 0;
    if (mode == 1)
        m_nCacheFill = m_pCurFile->Read(m_cache.Data(), m_nCacheSize);
    return true;
}

size_t SECImage::CacheRead(void* buffer, size_t count)
{
    if (m_cache.IsEmpty())
        return m_pCurFile ? m_pCurFile->Read(buffer, count) : 0;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        if (m_nCachePos >= m_nCacheFill) {
            m_nCacheFill = m_pCurFile ? m_pCurFile->Read(m_cache.Data(), m_nCacheSize) : 0;
            m_nCachePos = 0;
            if (m_nCacheFill == 0)
                break;
        }
        size_t n = std::min(count - done, m_nCacheFill - m_nCachePos);
        std::memcpy(out + done, m_cache.Data() + m_nCachePos, n);
        m_nCachePos += n;
        done += n;
    }
    return done;
}

bool SECImage::CacheWrite(const void* buffer, size_t count)
{
    if (m_cache.IsEmpty())
        return m_pCurFile && m_pCurFile->Write(buffer, count);
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        if (m_nCachePos == m_nCacheSize && !CacheFlush())
            return false;
        size_t n = std::min(count, m_nCacheSize - m_nCachePos);
        std::memcpy(m_cache.Data() + m_nCachePos, in, n);
        m_nCachePos += n;
        in += n;
        count -= n;
    }
    return true;
}

bool SECImage::CacheFlush()
{
    if (m_cache.IsEmpty() || m_nCachePos == 0)
        return true;
    bool ok = m_pCurFile && m_pCurFile->Write(m_cache.Data(), m_nCachePos);
    m_nCachePos = 0;
    return ok;
}

void SECImage::ReleaseCache()
{
    m_cache.Free();
    m_nCacheSize = m_nCacheFill = m_nCachePos = 0;
}
