#include "image/ExifOrientation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Segment(uint8_t marker, const std::string& body)
{
    size_t length = body.size() + 2;
    return std::string{'\xFF', char(marker), char(length >> 8), char(length & 0xFF)} + body;
}

// An Exif block whose IFD0 holds a width tag and then the orientation tag.
std::string Exif(bool bigEndian, uint16_t type, uint16_t value)
{
    auto u16 = [bigEndian](uint16_t v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)} : std::string{char(v & 0xFF), char(v >> 8)};
    };
    auto u32 = [&](uint32_t v) {
        return bigEndian ? u16(uint16_t(v >> 16)) + u16(uint16_t(v)) : u16(uint16_t(v)) + u16(uint16_t(v >> 16));
    };
    std::string tiff = bigEndian ? std::string("MM\0*", 4) : std::string("II*\0", 4);
    tiff += u32(8) + u16(2);
    tiff += u16(0x0100) + u16(3) + u32(1) + u16(640) + u16(0);
    tiff += u16(0x0112) + u16(type) + u32(1) + u16(value) + u16(0);
    tiff += u32(0);
    return Segment(0xE1, std::string("Exif\0\0", 6) + tiff);
}

Orientation Read(const std::string& file)
{
    return ReadJpegOrientation(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

const std::string kStart("\xFF\xD8", 2);
const std::string kApp0 = Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
const std::string kScan = Segment(0xDA, std::string(10, '\0')) + "picture data";

} // namespace

TEST(ExifOrientation, ReadsTheTagInEitherByteOrderAfterOtherSegments)
{
    EXPECT_EQ(Read(kStart + kApp0 + Exif(true, 3, 6) + kScan), Orientation::QuarterClockwise);
    EXPECT_EQ(Read(kStart + Exif(false, 3, 8) + kScan), Orientation::QuarterAnticlockwise);
    EXPECT_EQ(Read(kStart + std::string("\xFF\xFF", 2) + Exif(false, 3, 3) + kScan), Orientation::HalfTurn);
    EXPECT_TRUE(SwapsSides(Orientation::QuarterClockwise));
    EXPECT_FALSE(SwapsSides(Orientation::HalfTurn));
}

TEST(ExifOrientation, AnythingElseIsUpright)
{
    EXPECT_EQ(Read(kStart + kApp0 + kScan), Orientation::Upright);
    EXPECT_EQ(Read(kStart + kScan + Exif(true, 3, 6)), Orientation::Upright); // after the picture data
    EXPECT_EQ(Read(kStart + Exif(true, 4, 6) + kScan), Orientation::Upright); // not a SHORT
    EXPECT_EQ(Read(kStart + Exif(true, 3, 9) + kScan), Orientation::Upright);
    EXPECT_EQ(Read(kStart + Exif(true, 3, 0) + kScan), Orientation::Upright);
    EXPECT_EQ(Read("GIF89a"), Orientation::Upright);
    // Cut anywhere, the reader stays inside what it was given.
    std::string whole = kStart + kApp0 + Exif(true, 3, 6) + kScan;
    for (size_t size = 0; size < whole.size(); ++size) {
        std::string cut = whole.substr(0, size);
        Orientation found = Read(cut);
        EXPECT_TRUE(found == Orientation::Upright || found == Orientation::QuarterClockwise) << size;
    }
}
