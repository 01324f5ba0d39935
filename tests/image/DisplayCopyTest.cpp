#include "HeaderBlock.h"
#include "image/DibRenderer.h"
#include "image/DisplayCopy.h"
#include "image/SECImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

class Picture : public SECImage {
public:
    const char* GetClassName() const override { return "Picture"; }
    bool DoSaveImage(CFile*) override { return false; }
    bool DoLoadImage(CFile*) override { return false; }
};

struct Size {
    uint32_t w, h;
    bool operator==(const Size& o) const { return w == o.w && h == o.h; }
};

std::ostream& operator<<(std::ostream& os, const Size& s) { return os << s.w << "x" << s.h; }

struct Decision {
    DisplayCopy::Action action;
    Size size;
};

Decision Decide(uint32_t w, uint32_t h, int size, int factor, bool shrink = true)
{
    Decision d{};
    d.action = DisplayCopy::Decide(w, h, shrink, size, factor, d.size.w, d.size.h);
    return d;
}

// The pixel (x, y from the top) of a 24-bit target, as blue, green, red.
const uint8_t* TargetPixel(const SECImage& image, uint32_t x, uint32_t y)
{
    size_t stride = static_cast<size_t>(image.PaddedRowLength());
    return image.GetBits() + (image.GetHeight() - 1 - y) * stride + 3 * size_t(x);
}

// Exact area average in double precision of a top-down 0xAARRGGBB picture:
// three samples (blue, green, red) per target pixel, top row first.
std::vector<double> Reference(const std::vector<uint32_t>& px, uint32_t W, uint32_t H, uint32_t w, uint32_t h)
{
    std::vector<double> out(size_t(w) * h * 3);
    const double fx = double(W) / w, fy = double(H) / h;
    for (uint32_t y = 0; y < h; ++y) {
        double y0 = y * fy, y1 = (y + 1) * fy;
        for (uint32_t x = 0; x < w; ++x) {
            double x0 = x * fx, x1 = (x + 1) * fx;
            double sum[3] = {0, 0, 0};
            for (uint32_t sy = uint32_t(y0); sy < H && sy < y1; ++sy) {
                double cy = std::min(y1, sy + 1.0) - std::max(y0, double(sy));
                for (uint32_t sx = uint32_t(x0); sx < W && sx < x1; ++sx) {
                    double c = cy * (std::min(x1, sx + 1.0) - std::max(x0, double(sx)));
                    uint32_t p = px[size_t(sy) * W + sx];
                    for (int k = 0; k < 3; ++k)
                        sum[k] += c * ((p >> (8 * k)) & 0xFF);
                }
            }
            for (int k = 0; k < 3; ++k)
                out[(size_t(y) * w + x) * 3 + k] = sum[k] / (fx * fy);
        }
    }
    return out;
}

// Scales through DisplayCopy and checks every sample against the exact
// average of what DibRenderer draws for the same source.
void ExpectMatchesReference(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
                            uint32_t w, uint32_t h)
{
    std::vector<uint32_t> px;
    uint32_t W = 0, H = 0;
    ASSERT_TRUE(DibRenderer::Render(header, headerSize, bits, bitsSize, px, W, H));
    Picture target;
    ASSERT_TRUE(DisplayCopy::Scale(header, headerSize, bits, bitsSize, w, h, target));
    ASSERT_EQ(target.GetWidth(), w);
    ASSERT_EQ(target.GetHeight(), h);
    std::vector<double> ref = Reference(px, W, H, w, h);
    double worst = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::fabs(TargetPixel(target, x, y)[k] - ref[(size_t(y) * w + x) * 3 + k]));
    EXPECT_LE(worst, 1.0) << W << "x" << H << " -> " << w << "x" << h;
}

void ExpectMatchesReference(const SECImage& source, uint32_t w, uint32_t h)
{
    ExpectMatchesReference(source.GetHeaderBlock(), source.GetHeaderSize(), source.GetBits(),
                           source.GetBitsSize(), w, h);
}


void FillRandom(SECImage& image, std::mt19937& rng)
{
    for (size_t i = 0; i < image.GetBitsSize(); ++i)
        image.GetBits()[i] = static_cast<uint8_t>(rng());
    for (uint16_t i = 0; i < image.GetColourCount(); ++i) {
        RgbQuad* q = image.GetColour(i);
        q->blue = static_cast<uint8_t>(rng());
        q->green = static_cast<uint8_t>(rng());
        q->red = static_cast<uint8_t>(rng());
    }
}

} // namespace

TEST(DisplayCopyDecide, ThresholdMustBeReachedInBothDirections)
{
    using A = DisplayCopy::Action;
    Decision d = Decide(320, 240, 0, 0);
    EXPECT_EQ(d.action, A::Shrink);
    EXPECT_EQ(d.size, (Size{240, 180}));
    d = Decide(321, 239, 0, 0);
    EXPECT_EQ(d.action, A::NoShrink);
    EXPECT_EQ(d.size, (Size{321, 239}));
    for (int size = 0; size < 4; ++size)
        for (int factor = 0; factor < 6; ++factor)
            EXPECT_EQ(Decide(2000, 100, size, factor).action, A::NoShrink);
    EXPECT_EQ(Decide(700, 400, 2, 0).action, A::NoShrink);
    // Shrinking switched off changes nothing, whatever the picture.
    d = Decide(5000, 4000, 0, 5, false);
    EXPECT_EQ(d.action, A::Keep);
    EXPECT_EQ(d.size, (Size{5000, 4000}));
}

TEST(DisplayCopyDecide, LargestReasonableSize)
{
    using A = DisplayCopy::Action;
    // 3/4 gives 750 x 600 and 2/3 666 x 533: both too large for 640 x 480.
    Decision d = Decide(1000, 800, 2, 0);
    EXPECT_EQ(d.action, A::Shrink);
    EXPECT_EQ(d.size, (Size{500, 400}));
    // Even 1/4 (1000 x 750) is too large: a copy at the picture's own size.
    d = Decide(4000, 3000, 2, 0);
    EXPECT_EQ(d.action, A::Shrink);
    EXPECT_EQ(d.size, (Size{4000, 3000}));
    d = Decide(4000, 3000, 0, 0);
    EXPECT_EQ(d.size, (Size{4000, 3000}));
    // Exactly at a threshold, 3/4 already fits.
    EXPECT_EQ(Decide(640, 480, 2, 0).size, (Size{480, 360}));
    // 1/3 of 2000 x 1500 is 666 x 500: too tall; 1/4 gives 500 x 375.
    EXPECT_EQ(Decide(2000, 1500, 2, 0).size, (Size{500, 375}));
    EXPECT_EQ(Decide(1000, 800, 3, 0).size, (Size{750, 600}));
}

TEST(DisplayCopyDecide, FixedFractionsTruncate)
{
    const Size expected[6] = {{0, 0}, {750, 563}, {667, 500}, {500, 375}, {333, 250}, {250, 187}};
    for (int factor = 1; factor <= 5; ++factor) {
        Decision d = Decide(1001, 751, 2, factor);
        EXPECT_EQ(d.action, DisplayCopy::Action::Shrink);
        EXPECT_EQ(d.size, expected[factor]) << "factor " << factor;
    }
    // Sizes and factors the settings page does not offer shrink nothing.
    for (int factor : {-1, 6, 1000})
        EXPECT_EQ(Decide(1001, 751, 2, factor).action, DisplayCopy::Action::NoShrink);
    for (int size : {-1, 4})
        EXPECT_EQ(Decide(5000, 5000, size, 0).action, DisplayCopy::Action::NoShrink);
    // A width beyond any picture still does not wrap around.
    EXPECT_EQ(Decide(1u << 31, 2000, 0, 1).size, (Size{3u << 29, 1500}));
}

TEST(DisplayCopyScale, CheckerboardBecomesMidGrey)
{
    for (uint32_t n : {4u, 8u}) {
        Picture source, target;
        ASSERT_TRUE(source.Create(n, n, 24, 0));
        for (uint32_t y = 0; y < n; ++y)
            for (uint32_t x = 0; x < n; ++x)
                if ((x + y) % 2)
                    std::memset(source.GetBits() + y * source.PaddedRowLength() + 3 * x, 255, 3);
        ASSERT_TRUE(DisplayCopy::Scale(source, n / 4, n / 4, target));
        for (uint32_t y = 0; y < n / 4; ++y)
            for (uint32_t x = 0; x < n / 4; ++x)
                for (int k = 0; k < 3; ++k)
                    EXPECT_NEAR(TargetPixel(target, x, y)[k], 127.5, 1.0);
    }
}

TEST(DisplayCopyScale, ConstantColourStaysExact)
{
    const Size cases[][2] = {{{12, 8}, {3, 2}}, {{7, 5}, {3, 2}}, {{13, 11}, {5, 4}},
                             {{5, 5}, {7, 7}},  {{40, 30}, {26, 20}}, {{9, 9}, {9, 9}}};
    for (const auto& c : cases) {
        Picture rgb, indexed, target;
        ASSERT_TRUE(rgb.Create(c[0].w, c[0].h, 24, 0));
        for (uint32_t y = 0; y < c[0].h; ++y)
            for (uint32_t x = 0; x < c[0].w; ++x) {
                uint8_t* p = rgb.GetBits() + y * rgb.PaddedRowLength() + 3 * x;
                p[0] = 17, p[1] = 200, p[2] = 255;
            }
        ASSERT_TRUE(indexed.Create(c[0].w, c[0].h, 8, 256));
        std::memset(indexed.GetBits(), 9, indexed.GetBitsSize());
        *indexed.GetColour(9) = RgbQuad{17, 200, 255, 0};
        for (const SECImage* source : {static_cast<SECImage*>(&rgb), static_cast<SECImage*>(&indexed)}) {
            ASSERT_TRUE(DisplayCopy::Scale(*source, c[1].w, c[1].h, target));
            for (uint32_t y = 0; y < c[1].h; ++y)
                for (uint32_t x = 0; x < c[1].w; ++x) {
                    const uint8_t* p = TargetPixel(target, x, y);
                    ASSERT_EQ(p[0], 17);
                    ASSERT_EQ(p[1], 200);
                    ASSERT_EQ(p[2], 255);
                }
        }
    }
}

TEST(DisplayCopyScale, NonWholeRatioConservesTheMean)
{
    std::mt19937 rng(10);
    Picture source, target;
    ASSERT_TRUE(source.Create(10, 10, 24, 0));
    FillRandom(source, rng);
    ASSERT_TRUE(DisplayCopy::Scale(source, 3, 3, target));
    for (int k = 0; k < 3; ++k) {
        double in = 0, out = 0;
        for (uint32_t y = 0; y < 10; ++y)
            for (uint32_t x = 0; x < 10; ++x)
                in += source.GetBits()[y * 32 + 3 * x + k];
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 3; ++x)
                out += TargetPixel(target, x, y)[k];
        EXPECT_NEAR(out / 9, in / 100, 1.0);
    }
}

TEST(DisplayCopyScale, MatchesExactAreaAverageOnRandomPictures)
{
    const Size cases[][2] = {
        {{64, 48}, {16, 12}},  // whole ratio 4
        {{90, 60}, {60, 40}},  // 2/3
        {{100, 80}, {75, 60}}, // 3/4
        {{37, 23}, {11, 7}},   {{50, 40}, {16, 13}}, {{1000, 3}, {3, 1}}, {{200, 150}, {7, 5}},
        {{9, 7}, {9, 7}},      {{5, 3}, {12, 8}},     {{31, 17}, {30, 16}}, {{6, 1000}, {2, 3}},
        {{3, 50}, {1, 7}}, // a window as wide as the picture
        {{16, 128}, {4, 2}}, {{8, 512}, {2, 4}}, // whole ratios with the largest block sums
    };
    std::mt19937 rng(7);
    for (const auto& c : cases) {
        for (int bpp : {24, 8}) {
            Picture source;
            ASSERT_TRUE(source.Create(c[0].w, c[0].h, bpp, bpp == 8 ? 256 : 0));
            FillRandom(source, rng);
            ExpectMatchesReference(source, c[1].w, c[1].h);
        }
    }
}

TEST(DisplayCopyScale, KeepsTopAtTheTopInAPaddedBottomUpCopy)
{
    // 6 x 4: top half red, bottom half blue, stored bottom-up or top-down.
    for (int32_t sign : {1, -1}) {
        BitmapInfoHeader info;
        info.biWidth = 6;
        info.biHeight = 4 * sign;
        info.biBitCount = 24;
        std::vector<uint8_t> header(kBitmapInfoHeaderSize), bits(4 * 20);
        info.Write(header.data());
        for (int row = 0; row < 4; ++row) {
            bool top = (sign > 0) ? row >= 2 : row < 2;
            for (int x = 0; x < 6; ++x)
                bits[row * 20 + 3 * x + (top ? 2 : 0)] = 255;
        }
        Picture target;
        ASSERT_TRUE(DisplayCopy::Scale(header.data(), header.size(), bits.data(), bits.size(), 3, 2, target));
        BitmapInfoHeader out = target.GetInfoHeader();
        EXPECT_EQ(out.biBitCount, 24);
        EXPECT_EQ(out.biWidth, 3);
        EXPECT_EQ(out.biHeight, 2);
        EXPECT_EQ(out.biCompression, BI_RGB);
        ASSERT_EQ(target.GetBitsSize(), 24u); // stride 12 (9 bytes and 3 of padding)
        const uint8_t expected[24] = {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, // bottom: blue
                                      0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
        EXPECT_EQ(std::vector<uint8_t>(target.GetBits(), target.GetBits() + 24),
                  std::vector<uint8_t>(expected, expected + 24));
    }
}

TEST(DisplayCopyScale, RefusesWhatItCannotMake)
{
    Picture source, target;
    ASSERT_TRUE(source.Create(4, 4, 24, 0));
    ASSERT_TRUE(target.Create(2, 2, 24, 0));
    EXPECT_FALSE(DisplayCopy::Scale(source, 0, 2, target));
    EXPECT_FALSE(target.HasPicture());
    ASSERT_TRUE(target.Create(2, 2, 24, 0));
    EXPECT_FALSE(DisplayCopy::Scale(source, 1u << 15, 1u << 15, target)); // beyond the pixel limit
    EXPECT_FALSE(target.HasPicture());
    // The source is left alone when asked to be its own target.
    EXPECT_FALSE(DisplayCopy::Scale(source, 2, 2, source));
    EXPECT_TRUE(source.HasPicture());
    EXPECT_EQ(source.GetWidth(), 4u);
    // A refused source header.
    Picture empty;
    EXPECT_FALSE(DisplayCopy::Scale(empty, 2, 2, target));
    std::vector<uint8_t> header(kBitmapInfoHeaderSize);
    BitmapInfoHeader info;
    info.biWidth = 4;
    info.biHeight = 4;
    info.biBitCount = 3;
    info.Write(header.data());
    EXPECT_FALSE(DisplayCopy::Scale(header.data(), header.size(), nullptr, 0, 2, 2, target));
}

TEST(DisplayCopyScale, AnythingTheRendererDrawsScalesToItsAverage)
{
    // Random headers and data, often lying: whenever the renderer accepts
    // them the copy is the area average of what it draws, and whenever it
    // refuses them so does the scaler.
    std::mt19937 rng(5);
    const uint16_t depths[] = {1, 4, 8, 16, 24, 32};
    const uint32_t compressions[] = {BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS};
    for (int i = 0; i < 400; ++i) {
        std::vector<uint32_t> words(rng() % 20);
        for (auto& w : words)
            w = rng() % 2 ? rng() : 0xFFu << (8 * (rng() % 3));
        // Mostly a depth that suits the compression, so that run-length and
        // bit-field data get drawn often.
        uint32_t compression = compressions[rng() % 4];
        uint16_t suited[] = {depths[rng() % 6], 8, 4, static_cast<uint16_t>(rng() % 2 ? 16 : 32)};
        uint16_t depth = rng() % 4 ? suited[compression] : depths[rng() % 6];
        auto h = Header(static_cast<int32_t>(rng() % 30) + 1, static_cast<int32_t>(rng() % 40) - 14, depth,
                        compression, words, rng() % 2 ? 0 : rng() % 300);
        std::vector<uint8_t> bits(rng() % 2000);
        for (auto& b : bits)
            b = static_cast<uint8_t>(rng() % 3 ? rng() : rng() % 4);
        uint32_t w = rng() % 12 + 1, hh = rng() % 12 + 1;
        std::vector<uint32_t> px;
        uint32_t W = 0, H = 0;
        if (DibRenderer::Render(h.data(), h.size(), bits.data(), bits.size(), px, W, H)) {
            ExpectMatchesReference(h.data(), h.size(), bits.data(), bits.size(), w, hh);
        } else {
            Picture target;
            EXPECT_FALSE(DisplayCopy::Scale(h.data(), h.size(), bits.data(), bits.size(), w, hh, target));
        }
    }
}

TEST(DisplayCopyScale, StripesStayExactAtHugeRatios)
{
    // Alternating black and white columns are the worst case for rounded
    // weights: every rounding error adds up instead of cancelling.
    for (uint32_t width : {3000u, 65537u}) {
        Picture source;
        ASSERT_TRUE(source.Create(width, 2, 24, 0));
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 1; x < width; x += 2)
                std::memset(source.GetBits() + y * source.PaddedRowLength() + 3 * x, 255, 3);
        for (uint32_t w : {1u, 7u, 47u})
            ExpectMatchesReference(source, w, 1);
    }
}
