#include "image/SECTiff.h"

#include "ReferenceTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace {

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;

struct Tag {
    uint16_t tag;
    uint16_t type;
    std::vector<uint32_t> values;
};

// A little-endian TIFF laid out by hand: the tags given plus the offsets and
// byte counts of `chunks` (strips, or tiles), the data after the directory.
// Tags given later replace earlier ones of the same number.
std::vector<uint8_t> BuildTiff(const std::vector<Tag>& given, const std::vector<std::vector<uint8_t>>& chunks,
                               bool tiled = false)
{
    std::map<uint16_t, Tag> tags;
    for (const Tag& t : given)
        tags[t.tag] = t;
    Tag offsets{uint16_t(tiled ? 324 : 273), kLong, {}};
    Tag counts{uint16_t(tiled ? 325 : 279), kLong, {}};
    for (const auto& c : chunks) {
        offsets.values.push_back(0);
        counts.values.push_back(uint32_t(c.size()));
    }
    if (!chunks.empty()) {
        tags[offsets.tag] = offsets;
        tags[counts.tag] = counts;
    }
    auto valueBytes = [](const Tag& t) { return t.values.size() * (t.type == kShort ? 2 : 4); };
    size_t ifdSize = 2 + 12 * tags.size() + 4;
    size_t extra = 0;
    for (auto& [number, t] : tags)
        if (valueBytes(t) > 4)
            extra += (valueBytes(t) + 3) & ~size_t(3);
    size_t dataStart = 8 + ifdSize + extra;
    size_t at = dataStart;
    if (!chunks.empty()) {
        for (size_t i = 0; i < chunks.size(); ++i) {
            tags[offsets.tag].values[i] = uint32_t(at);
            at += chunks[i].size();
        }
    }
    std::vector<uint8_t> out(at, 0);
    out[0] = out[1] = 'I';
    PutLE16(&out[2], 42);
    PutLE32(&out[4], 8);
    PutLE16(&out[8], uint16_t(tags.size()));
    size_t entry = 10, valueAt = 8 + ifdSize;
    auto putValues = [](uint8_t* p, const Tag& t) {
        for (uint32_t v : t.values) {
            if (t.type == kShort) {
                PutLE16(p, uint16_t(v));
                p += 2;
            } else {
                PutLE32(p, v);
                p += 4;
            }
        }
    };
    for (auto& [number, t] : tags) {
        PutLE16(&out[entry], t.tag);
        PutLE16(&out[entry + 2], t.type);
        PutLE32(&out[entry + 4], uint32_t(t.values.size()));
        if (valueBytes(t) > 4) {
            PutLE32(&out[entry + 8], uint32_t(valueAt));
            putValues(&out[valueAt], t);
            valueAt += (valueBytes(t) + 3) & ~size_t(3);
        } else {
            putValues(&out[entry + 8], t);
        }
        entry += 12;
    }
    at = dataStart;
    for (const auto& c : chunks) {
        std::copy(c.begin(), c.end(), out.begin() + long(at));
        at += c.size();
    }
    return out;
}

std::vector<Tag> Basic(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, uint16_t photometric)
{
    return {{256, kLong, {width}},
            {257, kLong, {height}},
            {258, kShort, std::vector<uint32_t>(samples, bits)},
            {259, kShort, {1}},
            {262, kShort, {photometric}},
            {277, kShort, {samples}}};
}

std::vector<Tag> With(std::vector<Tag> tags, std::initializer_list<Tag> more)
{
    tags.insert(tags.end(), more.begin(), more.end());
    return tags;
}

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Loads `bytes` and checks that whatever happens leaves a consistent image.
bool Load(SECTiff& image, const std::vector<uint8_t>& bytes)
{
    bool ok = image.LoadFromMemory(bytes.data(), bytes.size());
    if (ok) {
        EXPECT_TRUE(image.HasPicture());
        EXPECT_GE(image.GetBitsSize(), image.PaddedRowLength() * image.GetHeight());
        const int bpp = image.GetBitsPerPixel();
        EXPECT_TRUE(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
        BitmapInfoHeader info = image.GetInfoHeader();
        EXPECT_EQ(info.biWidth, int32_t(image.GetWidth()));
        EXPECT_EQ(info.biHeight, int32_t(image.GetHeight()));
        EXPECT_EQ(info.biBitCount, image.GetBitsPerPixel());
    }
    return ok;
}

// The pixel byte at column `byte` of line y counted from the top.
uint8_t At(const SECImage& image, uint32_t byte, uint32_t y)
{
    return image.GetBits()[(image.GetHeight() - 1 - y) * image.PaddedRowLength() + byte];
}

// Colour indices of an 8-bit picture, top line first.
std::vector<uint8_t> Indices(const SECImage& image)
{
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            out.push_back(At(image, x, y));
    return out;
}

std::vector<uint8_t> Pixels(const SECImage& image)
{
    RgbPicture p;
    EXPECT_TRUE(RefImagePixels(image, p));
    return p.rgb;
}

std::vector<uint8_t> AllBits(const SECImage& image)
{
    return std::vector<uint8_t>(image.GetBits(), image.GetBits() + image.GetBitsSize());
}

bool AllZero(const SECImage& image)
{
    auto bits = AllBits(image);
    return std::all_of(bits.begin(), bits.end(), [](uint8_t b) { return b == 0; });
}

uint8_t Grey(const SECImage& image, size_t index)
{
    const RgbQuad* q = image.GetColour(index);
    EXPECT_TRUE(q && q->red == q->green && q->green == q->blue) << index;
    return q ? q->red : 0;
}

} // namespace

TEST(TiffLoad, GreyLevelsFollowThePhotometricInterpretation)
{
    SECTiff image;
    // 8-bit black-is-zero: the samples are indices into a rising grey ramp.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(3, 2, 8, 1, 1), {{0, 100, 255, 7, 8, 9}})));
    EXPECT_STREQ(image.GetClassName(), "SECTiff");
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_EQ(image.GetColourCount(), 256);
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 100, 255, 7, 8, 9}));
    for (int i : {0, 1, 100, 255})
        EXPECT_EQ(Grey(image, i), i);

    // White-is-zero: the same indices, the ramp falling.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(3, 2, 8, 1, 0), {{0, 100, 255, 7, 8, 9}})));
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 100, 255, 7, 8, 9}));
    for (int i : {0, 1, 100, 255})
        EXPECT_EQ(Grey(image, i), 255 - i);

    // Bilevel white-is-zero, 10 wide: entry 0 white, entry 1 black, the bits as stored.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(10, 2, 1, 1, 0), {{0xA5, 0x40, 0xFF, 0xC0}})));
    EXPECT_EQ(image.GetBitsPerPixel(), 1);
    EXPECT_EQ(image.GetColourCount(), 2);
    EXPECT_EQ(Grey(image, 0), 255);
    EXPECT_EQ(Grey(image, 1), 0);
    EXPECT_EQ(image.PaddedRowLength(), 4u);
    EXPECT_EQ(AllBits(image), (std::vector<uint8_t>{0xFF, 0xC0, 0, 0, 0xA5, 0x40, 0, 0}));

    // 2- and 4-bit samples become one index byte each.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(5, 1, 2, 1, 1), {{0x1B, 0x80}})));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_EQ(image.GetColourCount(), 4);
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 1, 2, 3, 2}));
    EXPECT_EQ(Grey(image, 1), 85);
    EXPECT_EQ(Grey(image, 3), 255);
    ASSERT_TRUE(Load(image, BuildTiff(Basic(3, 1, 4, 1, 0), {{0x0F, 0x80}})));
    EXPECT_EQ(image.GetColourCount(), 16);
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 15, 8}));
    EXPECT_EQ(Grey(image, 0), 255);
    EXPECT_EQ(Grey(image, 1), 238);
    EXPECT_EQ(Grey(image, 15), 0);

    // A narrower sample range stretches the ramp; values beyond it are white.
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 1, 8, 1, 1), {{281, kShort, {15}}}), {{1, 200}})));
    EXPECT_EQ(Grey(image, 1), 17);
    EXPECT_EQ(Grey(image, 15), 255);
    EXPECT_EQ(Grey(image, 200), 255);
}

TEST(TiffLoad, SixteenBitsPerPixelFailsAndKeepsThePicture)
{
    SECTiff image;
    ASSERT_TRUE(Load(image, BuildTiff(Basic(2, 1, 8, 1, 1), {{1, 2}})));
    // Two samples of 8 bits (grey and alpha), and one of 16 bits.
    for (auto tags : {With(Basic(2, 1, 8, 2, 1), {{338, kShort, {2}}}), Basic(2, 1, 16, 1, 1)}) {
        EXPECT_FALSE(Load(image, BuildTiff(tags, {{1, 2, 3, 4}})));
        EXPECT_TRUE(image.HasPicture());
        EXPECT_EQ(Indices(image), (std::vector<uint8_t>{1, 2}));
    }
    EXPECT_FALSE(image.LoadImage(std::string("/nonexistent/file.tif")));
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{1, 2}));
}

TEST(TiffLoad, BottomUpAndTopDownFilesShowTheSamePicture)
{
    // RGB, 2 x 3: lines A (red), B (green), C (blue) from the top.
    std::vector<uint8_t> a = {255, 0, 0, 250, 0, 0}, b = {0, 255, 0, 0, 250, 0}, c = {0, 0, 255, 0, 0, 250};
    auto cat = [](std::initializer_list<std::vector<uint8_t>> rows) {
        std::vector<uint8_t> out;
        for (auto& r : rows)
            out.insert(out.end(), r.begin(), r.end());
        return out;
    };
    SECTiff topDown, bottomUp;
    ASSERT_TRUE(Load(topDown, BuildTiff(With(Basic(2, 3, 8, 3, 2), {{274, kShort, {1}}}), {cat({a, b, c})})));
    ASSERT_TRUE(Load(bottomUp, BuildTiff(With(Basic(2, 3, 8, 3, 2), {{274, kShort, {4}}}), {cat({c, b, a})})));
    EXPECT_EQ(topDown.GetBitsPerPixel(), 24);
    EXPECT_EQ(AllBits(topDown), AllBits(bottomUp));
    EXPECT_EQ(Pixels(topDown), cat({a, b, c}));
    // Held bottom-up as blue, green, red: the first bytes are line C.
    EXPECT_EQ(std::vector<uint8_t>(topDown.GetBits(), topDown.GetBits() + 6),
              (std::vector<uint8_t>{255, 0, 0, 250, 0, 0}));

    // The other orientations only choose the row direction; nothing is mirrored.
    for (uint32_t orientation : {2u, 5u, 6u}) {
        SECTiff image;
        ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 3, 8, 3, 2), {{274, kShort, {orientation}}}),
                                          {cat({a, b, c})})));
        EXPECT_EQ(AllBits(image), AllBits(topDown)) << orientation;
    }
    for (uint32_t orientation : {3u, 7u, 8u}) {
        SECTiff image;
        ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 3, 8, 3, 2), {{274, kShort, {orientation}}}),
                                          {cat({c, b, a})})));
        EXPECT_EQ(AllBits(image), AllBits(topDown)) << orientation;
    }
}

TEST(TiffLoad, SeparatePlanesShowTheSameColoursAsInterleaved)
{
    // 3 x 2, one row per strip; the separate file holds all red rows, then green, then blue.
    std::vector<uint8_t> r = {10, 20, 30, 40, 50, 60}, g = {1, 2, 3, 4, 5, 6}, b = {100, 110, 120, 130, 140, 150};
    std::vector<std::vector<uint8_t>> interleaved(2), separate;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (auto* plane : {&r, &g, &b})
                interleaved[y].push_back((*plane)[y * 3 + x]);
    for (auto* plane : {&r, &g, &b})
        for (int y = 0; y < 2; ++y)
            separate.push_back(std::vector<uint8_t>(plane->begin() + y * 3, plane->begin() + y * 3 + 3));
    SECTiff one, other;
    ASSERT_TRUE(Load(one, BuildTiff(With(Basic(3, 2, 8, 3, 2), {{278, kLong, {1}}}), interleaved)));
    ASSERT_TRUE(Load(other, BuildTiff(With(Basic(3, 2, 8, 3, 2), {{278, kLong, {1}}, {284, kShort, {2}}}), separate)));
    EXPECT_EQ(AllBits(one), AllBits(other));
    EXPECT_EQ(At(one, 0, 0), 100); // blue first
    EXPECT_EQ(At(one, 1, 0), 1);
    EXPECT_EQ(At(one, 2, 0), 10);
    EXPECT_EQ(At(one, 8, 1), 60);
}

TEST(TiffLoad, PaletteColourMapsAreScaledOnlyWhenWide)
{
    auto colourMap = [](uint32_t entries, uint32_t scale) {
        Tag t{320, kShort, {}};
        for (int c = 0; c < 3; ++c)
            for (uint32_t i = 0; i < entries; ++i)
                t.values.push_back(((i * 40 + c * 7) % 256) * scale);
        return t;
    };
    for (uint32_t scale : {257u, 1u, 256u}) {
        SECTiff image;
        ASSERT_TRUE(Load(image, BuildTiff(With(Basic(3, 1, 8, 1, 3), {colourMap(256, scale)}), {{0, 1, 255}})));
        EXPECT_EQ(image.GetBitsPerPixel(), 8);
        EXPECT_EQ(image.GetColourCount(), 256);
        EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 1, 255}));
        const RgbQuad* q = image.GetColour(1);
        // 16-bit values are scaled by 255/65535 (v * 256 then lands one
        // below); maps below 256 are taken as they are.
        uint8_t expect = scale == 256 ? 39 : 40;
        EXPECT_EQ(q->red, expect) << scale;
        EXPECT_EQ(q->green, scale == 256 ? 46 : 47) << scale;
        EXPECT_EQ(q->blue, scale == 256 ? 53 : 54) << scale;
    }
    // 2-bit palette samples: one index byte each; 1-bit: a 1-bit picture.
    SECTiff image;
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(4, 1, 2, 1, 3), {colourMap(4, 257)}), {{0x1B}})));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_EQ(image.GetColourCount(), 4);
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(image.GetColour(3)->red, 120);
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(9, 1, 1, 1, 3), {colourMap(2, 257)}), {{0x5A, 0x80}})));
    EXPECT_EQ(image.GetBitsPerPixel(), 1);
    EXPECT_EQ(image.GetColourCount(), 2);
    EXPECT_EQ(AllBits(image), (std::vector<uint8_t>{0x5A, 0x80, 0, 0}));
    EXPECT_EQ(image.GetColour(1)->blue, 54);

    // Without a colour map libtiff takes 8-bit samples for grey levels and
    // refuses smaller ones.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(3, 1, 8, 1, 3), {{0, 1, 255}})));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 1, 255}));
    EXPECT_EQ(Grey(image, 1), 1);
    EXPECT_FALSE(Load(image, BuildTiff(Basic(4, 1, 2, 1, 3), {{0x1B}})));
}

TEST(TiffLoad, OtherSampleLayoutsBecomeColourPictures)
{
    SECTiff image;
    // 16-bit RGB is scaled to 8 bits per sample.
    std::vector<uint8_t> wide;
    for (uint16_t v : {65535, 32768, 257, 0, 65280, 256}) {
        wide.push_back(uint8_t(v));
        wide.push_back(uint8_t(v >> 8));
    }
    ASSERT_TRUE(Load(image, BuildTiff(Basic(2, 1, 16, 3, 2), {wide})));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{255, 127, 1, 0, 254, 0}));

    // A fourth sample (alpha) is left out, interleaved or in its own plane.
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 1, 8, 4, 2), {{338, kShort, {2}}}), {{1, 2, 3, 4, 5, 6, 7, 8}})));
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{1, 2, 3, 5, 6, 7}));
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 1, 8, 4, 2), {{284, kShort, {2}}, {338, kShort, {2}}}),
                                      {{1, 5}, {2, 6}, {3, 7}, {4, 8}})));
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{1, 2, 3, 5, 6, 7}));

    // A sample range other than 0..255 maps the RGB samples.
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 1, 8, 3, 2), {{281, kShort, {127}}}), {{127, 64, 0, 200, 1, 2}})));
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{255, 128, 0, 255, 2, 4}));

    // 1-bit RGB samples.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(2, 1, 1, 3, 2), {{0xB0}})));
    EXPECT_EQ(Pixels(image), (std::vector<uint8_t>{255, 0, 255, 255, 0, 0}));
}

TEST(TiffLoad, UnsupportedContentLoadsBlack)
{
    SECTiff image;
    // CMYK, 3-bit samples, 4-bit YCbCr and an unknown photometric interpretation.
    ASSERT_TRUE(Load(image, BuildTiff(Basic(2, 2, 8, 4, 5), {std::vector<uint8_t>(16, 0x77)})));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_TRUE(AllZero(image));
    ASSERT_TRUE(Load(image, BuildTiff(Basic(8, 1, 3, 1, 1), {std::vector<uint8_t>(3, 0xFF)})));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_TRUE(AllZero(image));
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 2, 4, 3, 6), {{530, kShort, {1, 1}}}), {std::vector<uint8_t>(6, 0x77)})));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_TRUE(AllZero(image));
    ASSERT_TRUE(Load(image, BuildTiff(Basic(2, 2, 8, 1, 9), {{1, 2, 3, 4}})));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_TRUE(AllZero(image));
}

TEST(TiffLoad, HostileLayoutsStayInsideThePicture)
{
    SECTiff image;
    // One 32 x 32 tile for a 5 x 3 picture: its top-left corner shows.
    std::vector<uint8_t> tile(32 * 32);
    for (size_t i = 0; i < tile.size(); ++i)
        tile[i] = uint8_t(i % 32 + 32 * (i / 32));
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(5, 3, 8, 1, 1), {{322, kLong, {32}}, {323, kLong, {32}}}), {tile},
                                      true)));
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{0, 1, 2, 3, 4, 32, 33, 34, 35, 36, 64, 65, 66, 67, 68}));

    // 20 x 20 in 16 x 16 tiles: the right and bottom tiles stick out.
    std::vector<std::vector<uint8_t>> tiles;
    for (uint8_t t = 1; t <= 4; ++t)
        tiles.push_back(std::vector<uint8_t>(256, t));
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(20, 20, 8, 1, 1), {{322, kLong, {16}}, {323, kLong, {16}}}), tiles,
                                      true)));
    EXPECT_EQ(At(image, 15, 15), 1);
    EXPECT_EQ(At(image, 19, 0), 2);
    EXPECT_EQ(At(image, 0, 19), 3);
    EXPECT_EQ(At(image, 19, 19), 4);

    // Rows per strip beyond the height: one strip for the picture. libtiff
    // refuses a directory with none.
    std::vector<uint8_t> strip = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(Load(image, BuildTiff(With(Basic(2, 3, 8, 1, 1), {{278, kLong, {0}}}), {strip})));
    for (uint32_t rows : {3u, 4u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 3, 8, 1, 1), {{278, kLong, {rows}}}), {strip}))) << rows;
        EXPECT_EQ(Indices(image), strip) << rows;
    }
    // Data that is missing or short: what is there shows, the rest is black.
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(2, 3, 8, 1, 1), {{278, kLong, {1}}}), {{1, 2}, {3, 4}, {5, 6}})));
    EXPECT_EQ(Indices(image), strip);
    auto bytes = BuildTiff(With(Basic(2, 3, 8, 1, 1), {{278, kLong, {1}}}), {{1, 2}, {3, 4}, {5, 6}});
    bytes.resize(bytes.size() - 3);
    ASSERT_TRUE(Load(image, bytes));
    EXPECT_EQ(Indices(image), (std::vector<uint8_t>{1, 2, 3, 0, 0, 0}));
    auto far = With(Basic(2, 3, 8, 1, 1), {{273, kLong, {0x7FFFFFF0}}, {279, kLong, {6}}});
    ASSERT_TRUE(Load(image, BuildTiff(far, {})));
    EXPECT_EQ(image.GetHeight(), 3u);
    EXPECT_TRUE(AllZero(image));
}

TEST(TiffLoad, ImpossibleSizesFailCleanly)
{
    SECTiff image;
    EXPECT_FALSE(Load(image, BuildTiff(Basic(65535, 65535, 1, 1, 1), {{0}})));
    EXPECT_FALSE(Load(image, BuildTiff(Basic(65535, 65535, 8, 3, 2), {{0}})));
    EXPECT_FALSE(Load(image, BuildTiff(Basic(0, 5, 8, 1, 1), {{0}})));
    EXPECT_FALSE(image.HasPicture());
    // Tiles far larger than any buffer allowed: the picture stays black.
    ASSERT_TRUE(Load(image, BuildTiff(With(Basic(4, 4, 8, 3, 2), {{322, kLong, {1u << 20}}, {323, kLong, {1u << 20}}}),
                                      {{1, 2, 3}}, true)));
    EXPECT_TRUE(AllZero(image));
}

namespace {

class TiffFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RefHaveImageMagick())
            GTEST_SKIP() << "ImageMagick (convert-im6.q16) is not installed";
    }
    TempDir m_dir;
};

const char* kPlasma = "-seed 3 -size 37x23 plasma:fractal -depth 8 ";

} // namespace

TEST_F(TiffFiles, ThirdPartyFilesMatchTheReferenceExactly)
{
    struct Case {
        std::string name;
        bool pillow;
        std::string make; // ImageMagick options, or the Pillow statement saving `im` to `out`
        int bits;
    };
    const Case cases[] = {
        {"im-strips-lzw.tif", false, "-compress LZW -define tiff:rows-per-strip=5", 24},
        {"im-tiles-zip.tif", false, "-compress Zip -define tiff:tile-geometry=16x16", 24},
        {"im-planar.tif", false, "-interlace Plane -compress None", 24},
        {"im-planar-lzw-strips.tif", false, "-interlace Plane -compress LZW -define tiff:rows-per-strip=4", 24},
        {"im-palette-packbits.tif", false, "+dither -colors 50 -depth 8 -type Palette -compress RLE", 8},
        {"im-bilevel.tif", false, "-type Bilevel -depth 1", 1},
        {"im-bilevel-white.tif", false, "-type Bilevel -depth 1 -define quantum:polarity=min-is-white", 1},
        {"im-grey-tiles.tif", false, "-colorspace Gray -type Grayscale -define tiff:tile-geometry=16x16", 8},
        {"im-jpeg-rgb.tif", false, "-compress JPEG", 24},
        {"im-jpeg-ycbcr.tif", false, "-compress JPEG -colorspace YCbCr", 24},
        {"pil-lzw.tif", true, "im.save(out, compression='tiff_lzw')", 24},
        {"pil-deflate.tif", true, "im.save(out, compression='tiff_adobe_deflate')", 24},
        {"pil-packbits.tif", true, "im.save(out, compression='packbits')", 24},
        {"pil-grey.tif", true, "im.convert('L').save(out)", 8},
        {"pil-bilevel.tif", true, "im.convert('1').save(out, compression='packbits')", 1},
        {"pil-ycbcr.tif", true, "im.convert('YCbCr').save(out, compression='tiff_lzw')", 24},
    };
    std::string source = m_dir.File("source.ppm");
    ASSERT_TRUE(RefMagick(std::string(kPlasma) + RefQuote(source)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = m_dir.File(c.name);
        RgbPicture reference;
        if (c.pillow) {
            if (!RefHavePillow())
                GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
            ASSERT_TRUE(RefPillow("import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGB')\n"
                                  "out = sys.argv[2]\n" +
                                      c.make + "\n",
                                  {source, path}));
            ASSERT_TRUE(RefPillowPixels(path, path + ".ppm", reference));
        } else {
            ASSERT_TRUE(RefMagick(RefQuote(source) + " " + c.make + " " + RefQuote(path)));
            ASSERT_TRUE(RefMagickPixels(path, path + ".ppm", reference));
        }
        SECTiff byName, fromMemory;
        ASSERT_TRUE(byName.LoadImage(path));
        EXPECT_EQ(byName.GetBitsPerPixel(), c.bits);
        RgbPicture ours;
        ASSERT_TRUE(RefImagePixels(byName, ours));
        EXPECT_EQ(ours.width, reference.width);
        EXPECT_EQ(ours.height, reference.height);
        EXPECT_TRUE(ours.rgb == reference.rgb);
        std::vector<uint8_t> file = Bytes(ReadFileBytes(path));
        ASSERT_TRUE(fromMemory.LoadFromMemory(file.data(), file.size()));
        EXPECT_EQ(AllBits(fromMemory), AllBits(byName));
    }
}

TEST_F(TiffFiles, CorruptFilesNeverCrashOrPrint)
{
    std::vector<std::vector<uint8_t>> samples = {
        BuildTiff(With(Basic(5, 3, 8, 1, 1), {{322, kLong, {16}}, {323, kLong, {16}}}),
                  {std::vector<uint8_t>(256, 9)}, true),
        BuildTiff(With(Basic(3, 2, 8, 3, 2), {{278, kLong, {1}}, {284, kShort, {2}}}),
                  {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}}),
        BuildTiff(With(Basic(10, 2, 1, 1, 0), {{278, kLong, {1}}}), {{0xA5, 0x40}, {0xFF, 0xC0}}),
    };
    for (const char* make : {"-compress LZW -define tiff:rows-per-strip=5", "-compress Zip -define tiff:tile-geometry=16x16",
                             "+dither -colors 16 -type Palette -compress RLE"}) {
        std::string path = m_dir.File("sample.tif");
        ASSERT_TRUE(RefMagick(std::string(kPlasma) + make + " " + RefQuote(path)));
        samples.push_back(Bytes(ReadFileBytes(path)));
    }
    std::mt19937 random(2024);
    testing::internal::CaptureStderr();
    for (const auto& good : samples) {
        SECTiff image;
        ASSERT_TRUE(Load(image, good));
        for (size_t cut = 0; cut < good.size(); cut += 1 + good.size() / 400)
            Load(image, std::vector<uint8_t>(good.begin(), good.begin() + long(cut)));
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> bytes = good;
            for (int flips = 1 + round % 6; flips > 0; --flips)
                bytes[random() % bytes.size()] = uint8_t(random());
            Load(image, bytes);
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

namespace {

// Pictures to write: ramps and bars in every depth the writer takes.
void Fill(SECImage& image)
{
    const uint64_t stride = image.PaddedRowLength();
    const int bits = image.GetBitsPerPixel();
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        uint8_t* row = image.GetBits() + y * stride;
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            if (bits == 24) {
                row[3 * x] = uint8_t(x * 7);
                row[3 * x + 1] = uint8_t(y * 11);
                row[3 * x + 2] = uint8_t(x ^ y);
            } else if (bits == 8) {
                row[x] = uint8_t(x + y * 3);
            } else if (bits == 4) {
                row[x / 2] |= uint8_t(((x + y) % 16) << (x % 2 ? 0 : 4));
            } else if ((x + y) % 3 == 0) {
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
            }
        }
    }
    for (int i = 0; i < image.GetColourCount(); ++i)
        *image.GetColour(size_t(i)) = RgbQuad{uint8_t(i * 5), uint8_t(255 - i), uint8_t(i * 3), 0};
}

} // namespace

TEST(TiffSave, WrittenPicturesReadBackExactly)
{
    TempDir dir;
    struct Case {
        int bits;
        uint16_t compression;
        bool whiteFirst; // 1-bit: entry 0 the lighter colour
    };
    const Case cases[] = {{24, 1, false}, {24, 5, false}, {8, 1, false}, {8, 32773, false}, {4, 8, false},
                          {1, 1, false},  {1, 1, true},   {1, 5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, compression " + std::to_string(c.compression));
        SECTiff image;
        ASSERT_TRUE(image.Create(21, 13, c.bits, c.bits == 24 ? 0 : uint16_t(1u << c.bits)));
        Fill(image);
        if (c.bits == 1) {
            RgbQuad black{0, 0, 0, 0}, white{255, 255, 255, 0};
            *image.GetColour(0) = c.whiteFirst ? white : black;
            *image.GetColour(1) = c.whiteFirst ? black : white;
        }
        image.m_nFormatValue = c.compression;
        std::vector<uint8_t> pixels = Pixels(image);

        std::string path = dir.File("out.tif");
        ASSERT_TRUE(image.SaveImage(path));
        // Unchanged, padding bytes aside (unpadding and padding again leaves
        // the first row's padding as it finds it).
        EXPECT_EQ(Pixels(image), pixels);
        EXPECT_TRUE(image.IsPadded());

        SECTiff back;
        ASSERT_TRUE(back.LoadImage(path));
        EXPECT_EQ(back.GetBitsPerPixel(), c.bits == 4 ? 8 : c.bits);
        EXPECT_EQ(Pixels(back), pixels);
        if (RefHaveImageMagick()) {
            RgbPicture reference;
            ASSERT_TRUE(RefMagickPixels(path, dir.File("out.ppm"), reference));
            EXPECT_EQ(reference.rgb, pixels);
        }
    }
}

TEST(TiffSave, UnwritablePicturesAndFilesFail)
{
    TempDir dir;
    SECTiff image;
    EXPECT_FALSE(image.SaveImage(dir.File("none.tif"))); // no picture
    ASSERT_TRUE(image.Create(4, 4, 24, 0));
    Fill(image);
    std::vector<uint8_t> bitsBefore = AllBits(image);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.SaveImage(dir.File("missing/folder/out.tif")));
    image.m_nFormatValue = 3; // CCITT Group 3 cannot hold colour
    EXPECT_FALSE(image.SaveImage(dir.File("g3.tif")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(AllBits(image), bitsBefore);

    image.m_nFormatValue = 1;
    ASSERT_TRUE(image.Create(4, 4, 32, 0));
    EXPECT_FALSE(image.SaveImage(dir.File("deep.tif")));
    EXPECT_FALSE(FileExistsAt(dir.File("deep.tif")));
}
