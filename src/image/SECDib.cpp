#include "image/SECDib.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kBitmapMagic = 0x4D42; // "BM"
// Room behind the stored header and colour table, so that a full 256-entry
// table can be read wherever the header says it starts.
constexpr size_t kColourTableSlack = 1024;

bool IsDibDepth(unsigned bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The compressions the DIB drawing call takes, for the depths it takes them with.
bool IsDrawableCompression(uint32_t compression, unsigned bits, bool topDown)
{
    switch (compression) {
    case BI_RGB: return true;
    case BI_RLE8: return bits == 8 && !topDown;
    case BI_RLE4: return bits == 4 && !topDown;
    case BI_BITFIELDS: return bits == 16 || bits == 32;
    default: return false;
    }
}

size_t TableEntries(unsigned bits)
{
    return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

} // namespace

bool SECDib::DoLoadImage(CFile* file)
{
    if (!file)
        return false;
    const uint64_t start = file->GetPosition();
    const uint64_t length = file->GetLength();
    const uint64_t available = length > start ? length - start : 0;

    uint8_t fileHeader[kFileHeaderSize];
    if (file->Read(fileHeader, sizeof fileHeader) != sizeof fileHeader)
        return false;
    if (GetLE16(fileHeader) != kBitmapMagic)
        return false;
    // The pixels start at this offset; the header and colour table lie before it.
    const uint32_t offset = GetLE32(fileHeader + 10);
    if (offset < kFileHeaderSize + kBitmapInfoHeaderSize || offset > available ||
        offset - kFileHeaderSize > kMaxHeaderBytes)
        return false;
    const size_t headerBytes = offset - kFileHeaderSize;

    auto fail = [this]() {
        m_picture.bits.Free();
        m_picture.header.Free();
        return false;
    };

    // The stored bytes plus a zero-filled margin of a full colour table.
    if (!m_picture.header.Allocate(headerBytes + kColourTableSlack))
        return fail();
    file->Read(m_picture.header.Data(), headerBytes);

    const BitmapInfoHeader info = GetInfoHeader();
    // Smaller (OS/2) headers have another layout; a header larger than the
    // space before the pixels is a lie.
    if (info.biSize < kBitmapInfoHeaderSize || info.biSize > headerBytes)
        return fail();
    const unsigned bits = info.biBitCount;
    const bool topDown = info.biHeight < 0;
    if (!IsDibDepth(bits) || !IsDrawableCompression(info.biCompression, bits, topDown))
        return fail();
    if (info.biWidth <= 0 || info.biHeight == 0)
        return fail();
    const uint64_t height = topDown ? uint64_t(-int64_t(info.biHeight)) : uint64_t(info.biHeight);
    size_t rowsBytes = 0;
    if (!CheckedImageSize(uint64_t(info.biWidth), height, int(bits), rowsBytes, m_limits))
        return fail();
    // Rows missing from a short file are filled in; a picture far larger than
    // the file is refused. Uncompressed pixels are in the file as they are;
    // a run of RLE4 or RLE8 gives at most 255 pixels for two bytes.
    bool compressed = info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4;
    const CodingBound bound = compressed ? CodingBound{255, 2} : CodingBound{1, 1};
    if (!InProportion(uint64_t(info.biWidth), height, compressed ? 8 : int(bits), available, bound, m_limits))
        return fail();

    const uint64_t rest = available - offset;
    if (!ByteCountAllowed(rest, m_limits))
        return fail();
    // Uncompressed rows missing at the end of a short file read as zeros, so
    // that drawing never runs past the buffer.
    size_t pixelBytes = static_cast<size_t>(rest);
    if (!compressed)
        pixelBytes = std::max(pixelBytes, rowsBytes);
    m_picture.bits.Free();
    if (!m_picture.bits.Allocate(pixelBytes))
        return fail();
    file->Read(m_picture.bits.Data(), static_cast<size_t>(rest));

    m_picture.padded = true;
    m_picture.width = static_cast<uint32_t>(info.biWidth);
    m_picture.height = static_cast<uint32_t>(height); // a top-down header keeps its negative height
    m_picture.padWidth = (m_picture.width + 3) & ~3u;
    m_picture.bitsPerPixel = int(bits);
    m_picture.colours = static_cast<uint16_t>(TableEntries(bits));
    return true;
}

bool SECDib::DoSaveImage(CFile* file)
{
    if (!file || !HasPicture() || GetHeaderSize() < kBitmapInfoHeaderSize)
        return false;
    if (!Padbits())
        return false;
    BitmapInfoHeader info = GetInfoHeader();

    // The header as long as it says it is (a larger stored header keeps its
    // fields), then the colour table, or the three bit masks that follow a
    // 40-byte header of a bit-field picture.
    size_t headerLen = info.biSize;
    if (headerLen < kBitmapInfoHeaderSize || headerLen > GetHeaderSize()) {
        headerLen = kBitmapInfoHeaderSize;
        info.biSize = kBitmapInfoHeaderSize;
    }
    size_t tableBytes = 4 * TableEntries(info.biBitCount);
    if (info.biCompression == BI_BITFIELDS && headerLen == kBitmapInfoHeaderSize &&
        (info.biBitCount == 16 || info.biBitCount == 32))
        tableBytes = 12;

    // Parts the header block does not hold are written as zeros.
    std::vector<uint8_t> head(kFileHeaderSize + headerLen + tableBytes, 0);
    size_t copied = std::min(headerLen + tableBytes, GetHeaderSize());
    std::memcpy(head.data() + kFileHeaderSize, GetHeaderBlock(), copied);
    info.Write(head.data() + kFileHeaderSize);

    uint64_t pixelBytes = info.biSizeImage != 0 ? info.biSizeImage : PaddedRowLength() * m_picture.height;
    pixelBytes = std::min<uint64_t>(pixelBytes, GetBitsSize());

    const uint64_t fileSize = head.size() + pixelBytes;
    PutLE16(head.data(), kBitmapMagic);
    PutLE32(head.data() + 2, static_cast<uint32_t>(fileSize));
    PutLE16(head.data() + 6, 0);
    PutLE16(head.data() + 8, 0);
    PutLE32(head.data() + 10, static_cast<uint32_t>(head.size()));

    return file->Write(head.data(), head.size()) &&
           file->Write(GetBits(), static_cast<size_t>(pixelBytes));
}
