#include "image/ExifOrientation.h"

#include <cstring>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

class TiffReader {
public:
    TiffReader(const uint8_t* data, size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian)
    {
    }

    bool Read16(size_t at, uint16_t& value) const
    {
        if (at > m_size || m_size - at < 2)
            return false;
        value = m_bigEndian ? uint16_t(m_data[at] << 8 | m_data[at + 1])
                            : uint16_t(m_data[at + 1] << 8 | m_data[at]);
        return true;
    }

    bool Read32(size_t at, uint32_t& value) const
    {
        uint16_t first = 0, second = 0;
        if (!Read16(at, first) || !Read16(at + 2, second))
            return false;
        value = m_bigEndian ? uint32_t(first) << 16 | second : uint32_t(second) << 16 | first;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    bool m_bigEndian;
};

// The orientation in a TIFF structure (the Exif block's body): IFD0's tag.
Orientation FromTiff(const uint8_t* data, size_t size)
{
    if (size < 8)
        return Orientation::Upright;
    bool bigEndian;
    if (std::memcmp(data, "MM\0*", 4) == 0)
        bigEndian = true;
    else if (std::memcmp(data, "II*\0", 4) == 0)
        bigEndian = false;
    else
        return Orientation::Upright;
    TiffReader tiff(data, size, bigEndian);
    uint32_t ifd = 0;
    uint16_t count = 0;
    if (!tiff.Read32(4, ifd) || !tiff.Read16(ifd, count))
        return Orientation::Upright;
    for (uint32_t i = 0; i < count; ++i) {
        size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
        uint16_t tag = 0, type = 0, value = 0;
        uint32_t values = 0;
        if (!tiff.Read16(entry, tag) || !tiff.Read16(entry + 2, type) || !tiff.Read32(entry + 4, values))
            return Orientation::Upright;
        if (tag != kOrientationTag)
            continue;
        if (type != kShortType || values != 1 || !tiff.Read16(entry + 8, value))
            return Orientation::Upright;
        return OrientationFromTag(value);
    }
    return Orientation::Upright;
}

} // namespace

Orientation OrientationFromTag(unsigned value)
{
    return value >= 2 && value <= 8 ? static_cast<Orientation>(value) : Orientation::Upright;
}

bool SwapsSides(Orientation orientation)
{
    return static_cast<unsigned>(orientation) >= 5;
}

Orientation ReadJpegOrientation(const uint8_t* data, size_t size)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return Orientation::Upright;
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF)
            return Orientation::Upright;
        uint8_t marker = data[at + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++at;
            continue;
        }
        // Start of scan or end of image: the headers are over.
        if (marker == 0xDA || marker == 0xD9)
            return Orientation::Upright;
        size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2)
            return Orientation::Upright;
        const uint8_t* body = data + at + 4;
        size_t bodySize = length - 2;
        if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0)
            return FromTiff(body + 6, bodySize - 6);
        at += 2 + length;
    }
    return Orientation::Upright;
}
