#pragma once
// The device-independent bitmap pieces every picture is held in: the 40-byte
// BITMAPINFOHEADER (little-endian in its block), colour-table entries, palette
// entries, and a zero-filled memory block that reports failed allocation.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr size_t kBitmapInfoHeaderSize = 40;

inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLE16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct BitmapInfoHeader {
    uint32_t biSize = kBitmapInfoHeaderSize;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = BI_RGB;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;

    // `p` must hold at least 40 bytes.
    static BitmapInfoHeader Read(const uint8_t* p);
    void Write(uint8_t* p) const;
};

// One colour-table entry as stored: blue, green, red, reserved.
struct RgbQuad {
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};

// One entry of a logical palette.
struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0, flags = 0;
    bool operator==(const PaletteEntry& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && flags == o.flags;
    }
};

// An owned, zero-filled block of bytes; Allocate reports failure instead of throwing.
class MemBlock {
public:
    MemBlock() = default;
    // A block moved from is left empty, its size included.
    MemBlock(MemBlock&& other) noexcept
        : m_pData(std::move(other.m_pData)), m_nSize(std::exchange(other.m_nSize, 0))
    {
    }
    MemBlock& operator=(MemBlock&& other) noexcept
    {
        m_pData = std::move(other.m_pData);
        m_nSize = std::exchange(other.m_nSize, 0);
        return *this;
    }

    bool Allocate(size_t size)
    {
        Free();
        if (size == 0)
            size = 1; // a valid, empty-but-present block
        // calloc hands large blocks over as fresh zero pages, without a pass
        // over the memory that a decoder is about to write anyway.
        m_pData.reset(static_cast<uint8_t*>(std::calloc(size, 1)));
        if (!m_pData)
            return false;
        m_nSize = size;
        return true;
    }
    void Free()
    {
        m_pData.reset();
        m_nSize = 0;
    }
    uint8_t* Data() { return m_pData.get(); }
    const uint8_t* Data() const { return m_pData.get(); }
    size_t Size() const { return m_nSize; }
    bool IsEmpty() const { return !m_pData; }

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, FreeDeleter> m_pData;
    size_t m_nSize = 0;
};
