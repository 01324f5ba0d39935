#include "HeaderBlock.h"
#include "image/DibRenderer.h"
#include "image/SECImage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// A header block: the 40-byte header, then `words` as little-endian 32-bit
// values (colour-table entries written 0x00RRGGBB, or bit-field masks).

struct Rendered {
    bool ok = false;
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
};

// Copies both buffers to exact-size allocations, so that a sanitizer build
// catches any read past either of them.
Rendered Render(const std::vector<uint8_t>& header, const std::vector<uint8_t>& bits)
{
    std::unique_ptr<uint8_t[]> h(new uint8_t[header.size()]);
    std::copy(header.begin(), header.end(), h.get());
    std::unique_ptr<uint8_t[]> b(bits.empty() ? nullptr : new uint8_t[bits.size()]);
    std::copy(bits.begin(), bits.end(), b.get());
    Rendered r;
    r.ok = DibRenderer::Render(h.get(), header.size(), b.get(), bits.size(), r.pixels, r.width, r.height);
    return r;
}

uint32_t Argb(uint32_t rgb) { return kBlack | rgb; }

} // namespace

TEST(DibRenderer, OneBitRowsBottomUpMostSignificantBitFirst)
{
    // 10 x 2: each stored row is 2 bytes of pixels and 2 of padding.
    auto header = Header(10, 2, 1, BI_RGB, {0x102030, 0xA0B0C0});
    std::vector<uint8_t> bits = {0x80, 0x40, 0xFF, 0xFF,  // bottom: pixels 0 and 9 set
                                 0x01, 0x80, 0xFF, 0xFF}; // top: pixels 7 and 8 set
    Rendered r = Render(header, bits);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.width, 10u);
    ASSERT_EQ(r.height, 2u);
    const uint32_t o = Argb(0x102030), l = Argb(0xA0B0C0);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{o, o, o, o, o, o, o, l, l, o, // top
                                               l, o, o, o, o, o, o, o, o, l}));
}

TEST(DibRenderer, FourBitOddWidthAndCutTable)
{
    // Only three of sixteen entries are in the block: index 3 and above are black.
    auto header = Header(3, 1, 4, BI_RGB, {0x000001, 0x000002, 0x000003});
    Rendered r = Render(header, {0x12, 0x3F, 0, 0});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{Argb(2), Argb(3), kBlack}));
}

TEST(DibRenderer, EightBitTableLimitedByClrUsed)
{
    // biClrUsed 2 with a third entry in the block: the third is not used.
    auto header = Header(4, 1, 8, BI_RGB, {0xFF0000, 0x00FF00, 0x0000FF}, 2);
    Rendered r = Render(header, {1, 0, 2, 255});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{Argb(0x00FF00), Argb(0xFF0000), kBlack, kBlack}));

    // A huge biClrUsed reads no further than the block holds.
    header = Header(2, 1, 8, BI_RGB, {0x111111}, 0xFFFFFFFFu);
    r = Render(header, {0, 200, 0, 0});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{Argb(0x111111), kBlack}));
}

TEST(DibRenderer, ColourTableFollowsALongerHeader)
{
    // A 108-byte header: the table starts behind it, not at byte 40.
    auto header = Header(1, 1, 8, BI_RGB, std::vector<uint32_t>(18, 0x777777));
    PutLE32(header.data(), 108);
    PutLE32(header.data() + 108, 0x123456);
    Rendered r = Render(header, {0, 0, 0, 0});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[0], Argb(0x123456));
}

TEST(DibRenderer, TwentyFourBitBottomUpAndTopDown)
{
    // 2 x 2, stride 8: bytes blue, green, red.
    std::vector<uint8_t> bits = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    Rendered up = Render(Header(2, 2, 24), bits);
    ASSERT_TRUE(up.ok);
    EXPECT_EQ(up.pixels, (std::vector<uint32_t>{Argb(0x090807), Argb(0x0C0B0A), Argb(0x030201),
                                                Argb(0x060504)}));
    Rendered down = Render(Header(2, -2, 24), bits);
    ASSERT_TRUE(down.ok);
    EXPECT_EQ(down.height, 2u);
    EXPECT_EQ(down.pixels, (std::vector<uint32_t>{Argb(0x030201), Argb(0x060504), Argb(0x090807),
                                                  Argb(0x0C0B0A)}));
}

TEST(DibRenderer, SixteenBitDefaultAndBitFields)
{
    // Default 5-5-5: full channels are 255, middle values round to nearest.
    std::vector<uint8_t> bits;
    for (uint16_t v : {0x7C00, 0x03E0, 0x001F, 0x4210, 0x8000}) {
        bits.push_back(static_cast<uint8_t>(v));
        bits.push_back(static_cast<uint8_t>(v >> 8));
    }
    bits.resize(12);
    Rendered r = Render(Header(5, 1, 16), bits);
    ASSERT_TRUE(r.ok);
    // 16 of 31 is 131.6 -> 132; the unused top bit is ignored.
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{Argb(0xFF0000), Argb(0x00FF00), Argb(0x0000FF),
                                               Argb(0x848484), kBlack}));

    // 5-6-5 masks: 0x07E0 is full green, 0x0020 is 1 of 63 -> 4.
    bits = {0xE0, 0x07, 0x20, 0x00, 0x00, 0xF8, 0, 0};
    r = Render(Header(3, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}), bits);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{Argb(0x00FF00), Argb(0x000400), Argb(0xFF0000)}));

    // 4-4-4 masks and a channel without a mask: 8 of 15 -> 136, blue stays 0.
    bits = {0x8F, 0x0F, 0, 0};
    r = Render(Header(1, 1, 16, BI_BITFIELDS, {0x0F00, 0x00F0, 0}), bits);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[0], Argb(0xFF8800));
}

TEST(DibRenderer, ThirtyTwoBitDefaultAndWideBitFields)
{
    // The default ignores the top byte; alpha is always opaque.
    std::vector<uint8_t> bits = {0x33, 0x22, 0x11, 0x7F};
    Rendered r = Render(Header(1, 1, 32), bits);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[0], Argb(0x112233));

    // 10-10-10: the top 8 bits of each channel.
    uint32_t v = (0x3FFu << 20) | (0x200u << 10) | 0x004u;
    bits = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
    r = Render(Header(1, 1, 32, BI_BITFIELDS, {0x3FF00000, 0x000FFC00, 0x000003FF}), bits);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[0], Argb(0xFF8001));

    // Masks in blue-green-red order swap the channels.
    r = Render(Header(1, 1, 32, BI_BITFIELDS, {0x0000FF, 0x00FF00, 0xFF0000}), {0x33, 0x22, 0x11, 0});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[0], Argb(0x332211));
}

TEST(DibRenderer, RunLengthEightEscapes)
{
    // 6 x 4, colour 0 is grey so that skipped pixels are visible.
    auto header = Header(6, 4, 8, BI_RLE8, {0x808080, 0x000001, 0x000002, 0x000003, 0x000004});
    std::vector<uint8_t> rle = {
        3, 1, 0, 3, 2, 3, 4, 0, // line 0: run of three 1s, absolute 2 3 4 and its pad byte
        0, 0,                   // end of line
        0, 2, 2, 1,             // delta: right 2, up 1 -> line 2, column 2
        9, 4,                   // a run past the right edge is cut there
        0, 0,                   // end of line: line 3
        0, 1,                   // end of bitmap
        5, 1,                   // never read
    };
    Rendered r = Render(header, rle);
    ASSERT_TRUE(r.ok);
    const uint32_t g = Argb(0x808080);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{
                            g, g, g, g, g, g,                         // line 3 (top)
                            g, g, Argb(4), Argb(4), Argb(4), Argb(4), // line 2
                            g, g, g, g, g, g,                         // line 1: skipped
                            Argb(1), Argb(1), Argb(1), Argb(2), Argb(3), Argb(4),
                        }));
}

TEST(DibRenderer, RunLengthFourEscapes)
{
    auto header = Header(8, 2, 4, BI_RLE4, {0x000000, 0x000001, 0x000002, 0x000003, 0x000004, 0x000005});
    std::vector<uint8_t> rle = {
        3, 0x12,                // 1 2 1
        0, 5, 0x34, 0x51, 0x20, 0, // absolute 3 4 5 1 2: three bytes, padded to four
        0, 0,                   // end of line
        0, 3, 0x45, 0x10,       // absolute 4 5 1: two bytes, no pad
        2, 0x33,                // 3 3
        // data ends without an end of bitmap
    };
    Rendered r = Render(header, rle);
    ASSERT_TRUE(r.ok);
    const uint32_t z = kBlack;
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{Argb(4), Argb(5), Argb(1), Argb(3), Argb(3), z, z, z,
                                               Argb(1), Argb(2), Argb(1), Argb(3), Argb(4), Argb(5),
                                               Argb(1), Argb(2)}));
}

TEST(DibRenderer, RunLengthDataEndingEarlyStopsSafely)
{
    auto header = Header(4, 2, 8, BI_RLE8, {0x000000, 0x0000FF});
    // An absolute run that claims 200 bytes with 2 present: those 2 are drawn.
    Rendered r = Render(header, {0, 200, 1, 1});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{kBlack, kBlack, kBlack, kBlack, Argb(0xFF), Argb(0xFF),
                                               kBlack, kBlack}));
    // A delta cut short, a lone count byte, empty data, a delta past the top.
    for (const std::vector<uint8_t>& bits :
         {std::vector<uint8_t>{0, 2, 1}, std::vector<uint8_t>{7}, std::vector<uint8_t>{},
          std::vector<uint8_t>{0, 2, 255, 255, 4, 1}}) {
        r = Render(header, bits);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.pixels, std::vector<uint32_t>(8, kBlack));
    }
    // An odd absolute run whose pad byte is missing draws its pixels and ends.
    r = Render(header, {0, 3, 1, 1, 1});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[4], Argb(0xFF));
    EXPECT_EQ(r.pixels[6], Argb(0xFF));
}

TEST(DibRenderer, ShortPixelBufferLeavesTheRestBlack)
{
    // 3 x 3 24-bit, stride 12: the bottom row whole, the middle one with
    // one pixel and a half, the top one missing.
    std::vector<uint8_t> bits(12 + 5, 0xFF);
    Rendered r = Render(Header(3, 3, 24), bits);
    ASSERT_TRUE(r.ok);
    const uint32_t w = Argb(0xFFFFFF);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{kBlack, kBlack, kBlack, w, kBlack, kBlack, w, w, w}));

    // No buffer at all.
    r = Render(Header(2, 2, 8, BI_RGB, {0xFFFFFF}), {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, std::vector<uint32_t>(4, kBlack));

    // 1- and 16-bit rows cut inside a byte or a pixel.
    r = Render(Header(12, 1, 1, BI_RGB, {0, 0xFFFFFF}), {0xFF});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels[7], w);
    EXPECT_EQ(r.pixels[8], kBlack);
    r = Render(Header(2, 1, 16), {0xFF, 0x7F, 0xFF});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pixels, (std::vector<uint32_t>{w, kBlack}));
}

TEST(DibRenderer, RefusesHeadersItCannotTrust)
{
    std::vector<uint8_t> bits(64, 0);
    auto refused = [&](std::vector<uint8_t> header) { return !Render(header, bits).ok; };

    EXPECT_TRUE(refused(std::vector<uint8_t>(39, 0)));          // shorter than a header
    auto h = Header(2, 2, 24);
    PutLE32(h.data(), 12);
    EXPECT_TRUE(refused(h));                                     // biSize below 40
    PutLE32(h.data(), 44);
    EXPECT_TRUE(refused(h));                                     // biSize beyond the block
    EXPECT_TRUE(refused(Header(0, 2, 24)));
    EXPECT_TRUE(refused(Header(-2, 2, 24)));
    EXPECT_TRUE(refused(Header(2, 0, 24)));
    EXPECT_TRUE(refused(Header(2, INT32_MIN, 24)));
    EXPECT_TRUE(refused(Header(1 << 16, 1 << 13, 24)));          // 2^29 pixels
    EXPECT_TRUE(refused(Header(INT32_MAX, INT32_MAX, 1)));
    EXPECT_TRUE(refused(Header(2, 2, 2)));
    EXPECT_TRUE(refused(Header(2, 2, 0)));
    EXPECT_TRUE(refused(Header(2, 2, 4, BI_RLE8)));
    EXPECT_TRUE(refused(Header(2, 2, 8, BI_RLE4)));
    EXPECT_TRUE(refused(Header(2, -2, 8, BI_RLE8)));             // compressed top-down
    EXPECT_TRUE(refused(Header(2, 2, 24, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000})));
    EXPECT_TRUE(refused(Header(2, 2, 16, BI_BITFIELDS, {0xF800, 0x07E0})));   // masks cut
    EXPECT_TRUE(refused(Header(2, 2, 16, BI_BITFIELDS, {0xF0F0, 0x0F00, 0x000F}))); // a hole
    EXPECT_TRUE(refused(Header(2, 2, 24, 4)));                   // embedded JPEG
    // The largest picture allowed passes the checks.
    DibRenderer::Layout layout;
    auto largest = Header(1 << 14, 1 << 14, 1, BI_RGB, {0, 0});
    EXPECT_TRUE(DibRenderer::ReadLayout(largest.data(), largest.size(), layout));
}

TEST(DibRenderer, RendersAnImageObject)
{
    class Picture : public SECImage {
    public:
        const char* GetClassName() const override { return "Picture"; }
        bool DoSaveImage(CFile*) override { return false; }
        bool DoLoadImage(CFile*) override { return false; }
    } image;
    ASSERT_TRUE(image.Create(3, 2, 8, 256));
    image.GetColour(7)->red = 0xEE;
    image.GetBits()[4 + 2] = 7; // top row, third pixel
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(DibRenderer::Render(image, pixels, w, h));
    EXPECT_EQ(w, 3u);
    EXPECT_EQ(h, 2u);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{kBlack, kBlack, Argb(0xEE0000), kBlack, kBlack, kBlack}));

    image.FreeImage();
    EXPECT_FALSE(DibRenderer::Render(image, pixels, w, h));
    EXPECT_TRUE(pixels.empty());
    EXPECT_EQ(w, 0u);
}

TEST(DibRenderer, SurvivesRandomHeadersAndData)
{
    // Plausible-looking headers with random fields and random, often short,
    // data: the renderer either refuses or fills exactly width x height
    // pixels, and never reads outside the buffers (checked under ASan).
    std::mt19937 rng(1);
    const uint16_t depths[] = {1, 4, 8, 16, 24, 32, 2, 0};
    const uint32_t compressions[] = {BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, 7};
    for (int i = 0; i < 4000; ++i) {
        std::vector<uint32_t> words(rng() % 20);
        for (auto& w : words)
            w = rng();
        int32_t width = static_cast<int32_t>(rng() % 40) - 2;
        int32_t height = static_cast<int32_t>(rng() % 40) - 20;
        auto header = Header(width, height, depths[rng() % 8], compressions[rng() % 5], words,
                             rng() % 3 ? rng() % 300 : rng());
        std::vector<uint8_t> bits(rng() % 600);
        for (auto& b : bits)
            b = static_cast<uint8_t>(rng() % 4 ? rng() % 8 : rng());
        Rendered r = Render(header, bits);
        if (r.ok)
            ASSERT_EQ(r.pixels.size(), size_t(r.width) * r.height);
        else
            ASSERT_TRUE(r.pixels.empty());
    }
}
