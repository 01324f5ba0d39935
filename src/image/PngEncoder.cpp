#include "image/PngEncoder.h"

#include <cstdlib>
#include <new>
#include <zlib.h>

namespace {

void AppendBigEndian(std::string& out, uint32_t value)
{
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

// A chunk: length, type, data, and the CRC over type and data.
void AppendChunk(std::string& out, const char type[4], const uint8_t* data, size_t size)
{
    AppendBigEndian(out, static_cast<uint32_t>(size));
    size_t start = out.size();
    out.append(type, 4);
    out.append(reinterpret_cast<const char*>(data), size);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(4));
    if (size)
        crc = crc32(crc, data, static_cast<uInt>(size));
    AppendBigEndian(out, static_cast<uint32_t>(crc));
}

uint8_t Paeth(int left, int up, int upLeft)
{
    int estimate = left + up - upLeft;
    int dl = std::abs(estimate - left), du = std::abs(estimate - up), dul = std::abs(estimate - upLeft);
    if (dl <= du && dl <= dul)
        return static_cast<uint8_t>(left);
    return static_cast<uint8_t>(du <= dul ? up : upLeft);
}

// The image data before compression: each row is a filter byte (4, Paeth,
// which suits photographs best) and the row's filtered RGB bytes.
void FilterRows(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height, std::vector<uint8_t>& out)
{
    const size_t rowBytes = size_t(width) * 3;
    std::vector<uint8_t> previous(rowBytes, 0), current(rowBytes);
    out.resize((rowBytes + 1) * height);
    uint8_t* dst = out.data();
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels.data() + size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x) {
            current[size_t(x) * 3] = static_cast<uint8_t>(row[x] >> 16);
            current[size_t(x) * 3 + 1] = static_cast<uint8_t>(row[x] >> 8);
            current[size_t(x) * 3 + 2] = static_cast<uint8_t>(row[x]);
        }
        *dst++ = 4;
        for (size_t i = 0; i < rowBytes; ++i) {
            int left = i >= 3 ? current[i - 3] : 0;
            int upLeft = i >= 3 ? previous[i - 3] : 0;
            *dst++ = static_cast<uint8_t>(current[i] - Paeth(left, previous[i], upLeft));
        }
        previous.swap(current);
    }
}

} // namespace

bool EncodePng(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height, std::string& png)
{
    png.clear();
    // PNG sizes are 31-bit; zlib's one-shot call takes lengths that are
    // 32-bit where long is (Windows), with room for its worst-case growth.
    const uint64_t rawSize = (uint64_t(width) * 3 + 1) * height;
    if (!width || !height || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu ||
        uint64_t(pixels.size()) != uint64_t(width) * height || rawSize > 0xFFFFFFFFu / 2)
        return false;
    try {
        std::vector<uint8_t> raw;
        FilterRows(pixels, width, height, raw);
        uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
        std::vector<uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                      Z_BEST_COMPRESSION) != Z_OK)
            return false;

        png.assign("\x89PNG\r\n\x1a\n", 8);
        std::string header;
        AppendBigEndian(header, width);
        AppendBigEndian(header, height);
        header += '\x08'; // bits per channel
        header += '\x02'; // colour type: RGB
        header.append(3, '\0'); // deflate compression, adaptive filtering, no interlace
        AppendChunk(png, "IHDR", reinterpret_cast<const uint8_t*>(header.data()), header.size());
        AppendChunk(png, "IDAT", packed.data(), packedSize);
        AppendChunk(png, "IEND", nullptr, 0);
        return true;
    } catch (const std::bad_alloc&) {
        png.clear();
        return false;
    }
}
