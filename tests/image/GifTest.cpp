#include "image/GifCodec.h"
#include "image/GifImage.h"

#include "ReferenceTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Codes = std::vector<std::pair<unsigned, unsigned>>; // (code, width in bits)

// A picture as colour indices, top row first, one byte a pixel.
struct Indices {
    uint32_t width = 0;
    uint32_t height = 0;
    Bytes pixels;
    bool operator==(const Indices& o) const
    {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
};

Indices RandomIndices(uint32_t w, uint32_t h, unsigned colours, unsigned seed)
{
    std::mt19937 rng(seed);
    Indices p{w, h, Bytes(size_t(w) * h)};
    for (uint8_t& b : p.pixels)
        b = static_cast<uint8_t>(rng() % colours);
    return p;
}

// Diagonal bands with a little noise: long repeated strings.
Indices GradientIndices(uint32_t w, uint32_t h, unsigned seed)
{
    std::mt19937 rng(seed);
    Indices p{w, h, Bytes(size_t(w) * h)};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.pixels[size_t(y) * w + x] = static_cast<uint8_t>((x + 2 * y) / 5 + rng() % 3);
    return p;
}

// The picture a CGifImage holds, top row first.
Indices TopDown(const CGifImage& image)
{
    Indices p{image.GetWidth(), image.GetHeight(), {}};
    const size_t stride = static_cast<size_t>(image.PaddedRowLength());
    for (uint32_t y = 0; y < p.height && image.GetBits(); ++y) {
        const uint8_t* row = image.GetBits() + size_t(p.height - 1 - y) * stride;
        p.pixels.insert(p.pixels.end(), row, row + p.width);
    }
    return p;
}

// Image data (code size byte, sub-blocks, zero block) of a picture, by our encoder.
Bytes ImageData(const Indices& p)
{
    Bytes out;
    GifEncodeImageData(p.pixels.data(), p.width, p.width, p.height, out);
    return out;
}

// Image data of hand-picked codes, packed least significant bit first.
Bytes CodeData(uint8_t minSize, const Codes& codes, bool bTerminate = true)
{
    Bytes packed;
    uint64_t acc = 0;
    unsigned n = 0;
    for (auto [code, width] : codes) {
        acc |= uint64_t(code) << n;
        for (n += width; n >= 8; n -= 8, acc >>= 8)
            packed.push_back(static_cast<uint8_t>(acc));
    }
    if (n)
        packed.push_back(static_cast<uint8_t>(acc));
    Bytes out = {minSize};
    for (size_t i = 0; i < packed.size(); i += 255) {
        size_t k = std::min<size_t>(255, packed.size() - i);
        out.push_back(static_cast<uint8_t>(k));
        out.insert(out.end(), packed.begin() + i, packed.begin() + i + k);
    }
    if (bTerminate)
        out.push_back(0);
    return out;
}

// n distinct colours (i, 255 - i, 7i), none of them white.
Bytes Colours(unsigned n)
{
    Bytes rgb;
    for (unsigned i = 0; i < n; ++i)
        rgb.insert(rgb.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    return rgb;
}

// Assembles GIF files block by block.
class GifBuilder {
public:
    explicit GifBuilder(uint16_t w, uint16_t h, const Bytes& globalRgb = {}, const char* version = "GIF89a")
    {
        m_bytes.assign(version, version + 6);
        Put16(w);
        Put16(h);
        m_bytes.insert(m_bytes.end(), {TableFlags(globalRgb), 0, 0});
        Raw(globalRgb);
    }
    GifBuilder& Control(int transparent, uint8_t size = 4)
    {
        return Raw({0x21, 0xF9, size, uint8_t(transparent >= 0), 0, 0, uint8_t(transparent), 0});
    }
    GifBuilder& Image(uint16_t w, uint16_t h, const Bytes& data, const Bytes& localRgb = {},
                      bool bInterlaced = false, uint16_t left = 0, uint16_t top = 0)
    {
        m_bytes.push_back(0x2C);
        for (uint16_t v : {left, top, w, h})
            Put16(v);
        m_bytes.push_back(static_cast<uint8_t>(TableFlags(localRgb) | (bInterlaced ? 0x40 : 0)));
        return Raw(localRgb).Raw(data);
    }
    GifBuilder& Raw(const Bytes& b)
    {
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
        return *this;
    }
    Bytes Finish() const
    {
        Bytes b = m_bytes;
        b.push_back(0x3B);
        return b;
    }
    size_t Size() const { return m_bytes.size(); }

private:
    static uint8_t TableFlags(const Bytes& rgb)
    {
        uint8_t bits = 0;
        while ((size_t(2) << bits) < rgb.size() / 3)
            ++bits;
        return rgb.empty() ? 0 : static_cast<uint8_t>(0x80 | bits);
    }
    void Put16(uint16_t v) { m_bytes.insert(m_bytes.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    Bytes m_bytes;
};

bool Load(CGifImage& image, const Bytes& bytes)
{
    CMemFile file(bytes);
    return image.LoadImage(&file);
}

Bytes Encode(const Indices& p)
{
    Bytes rgb = Colours(256), out;
    EXPECT_TRUE(GifEncode(p.pixels.data(), p.width, p.width, p.height, rgb.data(), out));
    return out;
}

// Decodes image data into a zero-filled w x h picture.
GifDecodeResult DecodeData(const Bytes& data, uint32_t w, uint32_t h, Indices& out)
{
    GifImageInfo info;
    info.width = static_cast<uint16_t>(w);
    info.height = static_cast<uint16_t>(h);
    out = Indices{w, h, Bytes(size_t(w) * h)};
    return GifDecodeImage(data.data(), data.size(), info, out.pixels.data(), w);
}

} // namespace

TEST(GifRead, SignatureAndPictureLayout)
{
    Indices p = RandomIndices(5, 3, 256, 1);
    Bytes gif = Encode(p);
    CGifImage image;
    ASSERT_TRUE(Load(image, gif));
    EXPECT_EQ(TopDown(image), p);
    // Rows of 8 bytes, bottom-up, padding left 0; the header the reader makes.
    EXPECT_EQ(image.GetBitsSize(), 24u);
    EXPECT_EQ(image.GetBits()[0], p.pixels[10]);
    EXPECT_EQ(image.GetBits()[5], 0);
    EXPECT_EQ(image.m_nRowStride, 8);
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    BitmapInfoHeader h = image.GetInfoHeader();
    EXPECT_EQ(std::vector<int64_t>({h.biWidth, h.biHeight, h.biPlanes, h.biBitCount, h.biCompression,
                                    h.biSizeImage, h.biClrUsed}),
              std::vector<int64_t>({5, 3, 1, 8, 0, 24, 256}));
    EXPECT_EQ(image.GetPalette()[3], (PaletteEntry{3, 252, 21, 0}));
    EXPECT_EQ(image.GetColour(3)->green, 252);

    // Only "GIF8" counts: GIF89a (or anything after "GIF8") reads the same.
    for (const char* version : {"GIF89a", "GIF8xy"}) {
        Bytes other = gif;
        std::memcpy(other.data(), version, 6);
        CGifImage again;
        ASSERT_TRUE(Load(again, other));
        EXPECT_EQ(TopDown(again), p);
    }
    for (Bytes bad : {Bytes{'G', 'I', 'F', '9', '7', 'a'}, Bytes{'G', 'I', 'F'}, Bytes{}}) {
        EXPECT_FALSE(Load(image, bad));
        EXPECT_EQ(TopDown(image), p); // a failed load keeps the picture held
    }
}

TEST(GifRead, PaletteRules)
{
    Indices p = RandomIndices(4, 2, 16, 3);
    Bytes data = ImageData(p);
    auto load = [&](const Bytes& gif) {
        auto image = std::make_unique<CGifImage>();
        EXPECT_TRUE(Load(*image, gif));
        EXPECT_EQ(TopDown(*image), p);
        return image;
    };
    const PaletteEntry black{0, 0, 0, 0}, white{255, 255, 255, 0};

    // 16 entries: a 16-entry palette, colour-table entries 16..255 black.
    auto a = load(GifBuilder(4, 2, Colours(16)).Image(4, 2, data).Finish());
    ASSERT_EQ(a->GetPalette().size(), 16u);
    EXPECT_EQ(a->GetPalette()[15], (PaletteEntry{15, 240, 105, 0}));
    for (int i = 16; i < 256; ++i)
        ASSERT_EQ(a->GetColour(i)->red + a->GetColour(i)->green + a->GetColour(i)->blue, 0) << i;

    // 256 entries without white, transparent 7: entry 7 black, entry 255 white.
    auto b = load(GifBuilder(4, 2, Colours(256)).Control(7).Image(4, 2, data).Finish());
    EXPECT_EQ(b->m_nTransparentIndex, 7);
    ASSERT_EQ(b->GetPalette().size(), 256u);
    EXPECT_EQ(b->GetPalette()[7], black);
    EXPECT_EQ(b->GetPalette()[254], (PaletteEntry{254, 1, 242, 0}));
    EXPECT_EQ(b->GetPalette()[255], white);
    EXPECT_EQ(b->GetColour(255)->blue, 255);

    // With white somewhere already, entry 255 keeps its colour.
    Bytes withWhite = Colours(256);
    std::fill(withWhite.begin() + 120, withWhite.begin() + 123, 255);
    auto c = load(GifBuilder(4, 2, withWhite).Control(7).Image(4, 2, data).Finish());
    EXPECT_EQ(c->GetPalette()[255], (PaletteEntry{255, 0, 249, 0}));

    // 16 entries and transparent: 256 entries, 16..255 white.
    auto d = load(GifBuilder(4, 2, Colours(16)).Control(3).Image(4, 2, data).Finish());
    ASSERT_EQ(d->GetPalette().size(), 256u);
    EXPECT_EQ(d->GetPalette()[3], black);
    EXPECT_EQ(d->GetPalette()[16], white);

    // No colour table at all: no palette, the 16 standard colours repeated.
    auto e = load(GifBuilder(4, 2).Image(4, 2, data).Finish());
    EXPECT_FALSE(e->HasPalette());
    for (auto [index, rgb] : std::vector<std::pair<int, PaletteEntry>>{
             {1, {128, 0, 0, 0}}, {7 + 16 * 9, {192, 192, 192, 0}}, {255, white}}) {
        const RgbQuad* q = e->GetColour(index);
        EXPECT_EQ((PaletteEntry{q->red, q->green, q->blue, 0}), rgb) << index;
    }
}

TEST(GifRead, MinimumCodeSizeOutOfRange)
{
    Bytes good = CodeData(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 4}});
    for (uint8_t size : {2, 1, 10}) {
        Bytes data = good;
        data[0] = size;
        CGifImage image;
        ASSERT_TRUE(Load(image, GifBuilder(3, 1, Colours(4)).Image(3, 1, data).Finish())) << int(size);
        EXPECT_EQ(TopDown(image).pixels, size == 2 ? Bytes({1, 2, 3}) : Bytes({0, 0, 0})) << int(size);
    }
}

TEST(GifRead, InterlacedRowOrder)
{
    // Line k of the data holds k + 1; order[k] is the row (top-down) it lands in.
    auto order = [](uint16_t height) {
        Indices lines{2, height, {}};
        for (uint8_t k = 1; k <= height; ++k)
            lines.pixels.insert(lines.pixels.end(), {k, k});
        CGifImage image;
        EXPECT_TRUE(Load(image, GifBuilder(2, height, Colours(256)).Image(2, height, ImageData(lines), {}, true).Finish()));
        Indices got = TopDown(image);
        std::vector<int> rows(height, -1);
        for (int y = 0; y < height; ++y)
            rows[got.pixels[size_t(y) * 2] - 1] = y;
        return rows;
    };
    EXPECT_EQ(order(8), (std::vector<int>{0, 4, 2, 6, 1, 3, 5, 7}));
    EXPECT_EQ(order(4), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(order(2), (std::vector<int>{0, 1}));
    EXPECT_EQ(order(1), (std::vector<int>{0}));
    EXPECT_EQ(order(3), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(order(11), (std::vector<int>{0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9}));
}

TEST(GifRead, ImageSizeAgainstScreenSize)
{
    // The picture takes the image's own size and lines wherever it sits on
    // the screen, so no line can reach past the block.
    Indices small = RandomIndices(3, 2, 256, 4);
    CGifImage a;
    ASSERT_TRUE(Load(a, GifBuilder(40, 30, Colours(256)).Image(3, 2, ImageData(small), {}, false, 17, 9).Finish()));
    EXPECT_EQ(TopDown(a), small);
    EXPECT_EQ(a.GetBitsSize(), 8u);
    Indices large = RandomIndices(9, 7, 256, 5);
    CGifImage b;
    ASSERT_TRUE(Load(b, GifBuilder(2, 2, Colours(256)).Image(9, 7, ImageData(large), {}, true).Finish()));
    EXPECT_EQ(b.GetInfoHeader().biWidth, 9);
    EXPECT_EQ(b.GetBitsSize(), 12u * 7);
    // Data for more rows than the image has: the rest is not stored.
    CGifImage c;
    ASSERT_TRUE(Load(c, GifBuilder(9, 7, Colours(256)).Image(9, 2, ImageData(large)).Finish()));
    EXPECT_EQ(TopDown(c).pixels, Bytes(large.pixels.begin(), large.pixels.begin() + 18));
    // An image without width: a picture without pixels.
    CGifImage d;
    ASSERT_TRUE(Load(d, GifBuilder(9, 7, Colours(256)).Image(0, 7, ImageData(large)).Finish()));
    EXPECT_FALSE(d.HasPicture());
}

TEST(GifRead, HugeSizes)
{
    Bytes data = CodeData(2, {{4, 3}, {1, 3}, {5, 3}});
    // Above 2^28 pixels the load fails before allocating anything.
    for (auto [w, h] : std::vector<std::pair<uint16_t, uint16_t>>{{65535, 65535}, {20000, 20000}, {16384, 16385}}) {
        CGifImage image;
        EXPECT_FALSE(Load(image, GifBuilder(w, h, Colours(4)).Image(w, h, data).Finish())) << w << "x" << h;
        EXPECT_EQ(image.GetBitsSize(), 0u);
    }
    // ...even when a later image would replace it.
    CGifImage a;
    EXPECT_FALSE(Load(a, GifBuilder(2, 1, Colours(4)).Image(65535, 65535, data).Image(2, 1, data).Finish()));
    // A huge screen alone allocates nothing: its size, no pixels.
    CGifImage b;
    ASSERT_TRUE(Load(b, GifBuilder(65535, 65535, Colours(4)).Finish()));
    EXPECT_EQ(b.GetWidth(), 65535u);
    EXPECT_EQ(b.GetHeight(), 65535u);
    EXPECT_EQ(b.GetBitsSize(), 0u);
    EXPECT_FALSE(b.HasPicture());
    // A small image on it is read at its own size.
    CGifImage c;
    ASSERT_TRUE(Load(c, GifBuilder(65535, 65535, Colours(4)).Image(2, 1, data).Finish()));
    EXPECT_EQ(TopDown(c), (Indices{2, 1, {1, 0}}));
}

TEST(GifRead, SeveralImagesAndBlocks)
{
    Indices first = RandomIndices(3, 2, 4, 7);
    Indices last = RandomIndices(2, 2, 4, 8);
    const Bytes global = Colours(4), local = {9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6};
    GifBuilder start(3, 2, global);

    // The last image is kept. A local table and a transparent index belong to
    // their own image only.
    CGifImage a;
    ASSERT_TRUE(Load(a, GifBuilder(start).Control(0).Image(3, 2, ImageData(first), local)
                            .Raw({0x21, 0xFE, 2, 'h', 'i', 0}).Image(2, 2, ImageData(last)).Finish()));
    EXPECT_EQ(TopDown(a), last);
    EXPECT_EQ(a.m_nTransparentIndex, -1);
    ASSERT_EQ(a.GetPalette().size(), 4u);
    EXPECT_EQ(a.GetPalette()[0], (PaletteEntry{0, 255, 0, 0}));
    CGifImage b;
    ASSERT_TRUE(Load(b, GifBuilder(start).Image(3, 2, ImageData(first)).Control(2)
                            .Image(2, 2, ImageData(last), local).Finish()));
    EXPECT_EQ(b.m_nTransparentIndex, 2);
    EXPECT_EQ(b.GetPalette()[1], (PaletteEntry{8, 8, 8, 0}));
    EXPECT_EQ(b.GetPalette()[2], (PaletteEntry{0, 0, 0, 0}));
    // A control extension with its flag clear means no transparency.
    CGifImage c;
    ASSERT_TRUE(Load(c, GifBuilder(start).Control(-1).Image(2, 2, ImageData(last)).Finish()));
    EXPECT_EQ(c.m_nTransparentIndex, -1);

    // The walk goes on behind all of an image's sub-blocks, even those after its end code.
    Bytes early = CodeData(2, {{4, 3}, {3, 3}, {5, 3}}, false);
    early.insert(early.end(), {5, 0x2C, 0x21, 0x3B, 0xFF, 0x00, 3, 1, 2, 3, 0});
    CGifImage d;
    ASSERT_TRUE(Load(d, GifBuilder(start).Image(3, 2, early).Image(2, 2, ImageData(last)).Finish()));
    EXPECT_EQ(TopDown(d), last);

    // A control extension of another size than 4, or an unknown block, ends
    // the walk: before any image the picture is the empty screen...
    CGifImage e;
    ASSERT_TRUE(Load(e, GifBuilder(start).Control(1, 5).Image(2, 2, ImageData(last)).Finish()));
    EXPECT_EQ(std::make_pair(e.GetWidth(), e.GetHeight()), std::make_pair(3u, 2u));
    EXPECT_FALSE(e.HasPicture());
    // ...after one, that image stays.
    for (const Bytes& stop : {Bytes{0x21, 0xF9, 3, 1, 0, 0, 0, 0}, Bytes{0x00}}) {
        CGifImage f;
        ASSERT_TRUE(Load(f, GifBuilder(start).Image(3, 2, ImageData(first)).Raw(stop)
                                .Image(2, 2, ImageData(last)).Finish()));
        EXPECT_EQ(TopDown(f), first);
    }
}

TEST(GifRead, TruncatedAtEveryByte)
{
    Indices p{6, 4, {}};
    std::mt19937 rng(9);
    for (int i = 0; i < 24; ++i)
        p.pixels.push_back(static_cast<uint8_t>(1 + rng() % 3)); // never 0, so decoded pixels show
    GifBuilder builder(6, 4, Colours(4));
    builder.Control(3).Raw({0x21, 0xFE, 3, 'c', 'u', 't', 0});
    const size_t descriptorEnd = builder.Size() + 10;
    const Bytes full = builder.Image(6, 4, ImageData(p)).Finish();

    size_t lastDecoded = 0;
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE(cut);
        Bytes part(full.begin(), full.begin() + cut);
        CGifImage image;
        bool ok = Load(image, part);
        ASSERT_EQ(ok, cut >= 4);
        if (!ok)
            continue;
        if (cut < descriptorEnd) {
            // No image: the screen's size as far as the header holds it (missing bytes are 0).
            part.resize(std::max<size_t>(cut, 13));
            EXPECT_EQ(image.GetWidth(), GetLE16(part.data() + 6));
            EXPECT_EQ(image.GetHeight(), GetLE16(part.data() + 8));
            EXPECT_EQ(image.GetBitsSize(), 0u);
            continue;
        }
        // An image: what was decoded is a leading part of the picture, the rest 0.
        Indices got = TopDown(image);
        ASSERT_EQ(std::make_pair(got.width, got.height), std::make_pair(6u, 4u));
        size_t decoded = std::find(got.pixels.begin(), got.pixels.end(), 0) - got.pixels.begin();
        EXPECT_TRUE(std::equal(got.pixels.begin(), got.pixels.begin() + decoded, p.pixels.begin()));
        EXPECT_TRUE(std::all_of(got.pixels.begin() + decoded, got.pixels.end(), [](uint8_t b) { return b == 0; }));
        EXPECT_GE(decoded, lastDecoded);
        lastDecoded = decoded;
        EXPECT_EQ(image.m_nTransparentIndex, 3);
    }
    EXPECT_EQ(lastDecoded, 24u);
}

TEST(GifLzw, CodeRules)
{
    struct Case {
        Codes codes;
        uint32_t width;
        Bytes pixels;
        GifDecodeEnd end;
        uint32_t badCodes;
    };
    const std::vector<Case> cases = {
        // Clear codes in a row are skipped; an end code right after them ends the data.
        {{{4, 3}, {4, 3}, {5, 3}, {1, 3}}, 3, {0, 0, 0}, GifDecodeEnd::EndCode, 0},
        // A first code not below the next free code counts as 0.
        {{{4, 3}, {7, 3}, {1, 3}, {6, 3}, {5, 3}}, 4, {0, 1, 0, 1}, GifDecodeEnd::AllRows, 0},
        // Without a leading clear code the stream reads as if it had one; the
        // end code keeps a partly filled line.
        {{{1, 3}, {6, 3}, {5, 3}}, 4, {1, 1, 1, 0}, GifDecodeEnd::EndCode, 0},
        // A clear code in the middle starts table and code width over (3, 3, 4 bits...).
        {{{4, 3}, {2, 3}, {2, 3}, {6, 3}, {4, 4}, {3, 3}, {6, 3}, {6, 3}, {5, 4}}, 10,
         {2, 2, 2, 2, 3, 3, 3, 3, 3, 0}, GifDecodeEnd::EndCode, 0},
        // A code above the next free one is taken as the next free code...
        {{{4, 3}, {1, 3}, {7, 3}, {5, 3}}, 4, {1, 1, 1, 0}, GifDecodeEnd::EndCode, 1},
        // ...and becomes the prefix of the next entry: 7 becomes its own
        // prefix, and expanding it stops decoding instead of running forever.
        {{{4, 3}, {1, 3}, {7, 3}, {6, 3}, {7, 4}, {5, 4}}, 8, {1, 1, 1, 1, 1, 0, 0, 0}, GifDecodeEnd::Corrupt, 1},
        // After a clear code the table is trusted again.
        {{{4, 3}, {1, 3}, {7, 3}, {4, 3}, {2, 3}, {6, 3}, {5, 3}}, 7, {1, 1, 1, 2, 2, 2, 0}, GifDecodeEnd::EndCode, 1},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        Indices out;
        GifDecodeResult r = DecodeData(CodeData(2, cases[i].codes), cases[i].width, 1, out);
        EXPECT_EQ(out.pixels, cases[i].pixels) << i;
        EXPECT_EQ(r.end, cases[i].end) << i;
        EXPECT_EQ(r.badCodes, cases[i].badCodes) << i;
    }
    // The data running out (its zero block before an end code) keeps what was
    // decoded. (16 bits of codes: no padding bits that could pass for a code.)
    Indices out;
    GifDecodeResult r = DecodeData(CodeData(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}}), 3, 2, out);
    EXPECT_EQ(r.end, GifDecodeEnd::DataEnd);
    EXPECT_EQ(r.linesDone, 1u);
    EXPECT_EQ(out.pixels, (Bytes{1, 2, 3, 3, 0, 0}));
}

TEST(GifLzw, FullTableWithoutClear)
{
    // Roots only: every code after the first adds an entry until the table is
    // full at 4096; the codes after that stay 12 bits wide and add nothing.
    Codes codes = {{4, 3}};
    Bytes expected;
    unsigned width = 3, slot = 6, top = 8;
    for (int i = 0; i < 4300; ++i) {
        unsigned root = static_cast<unsigned>((i * 5 + i / 7) % 4);
        codes.push_back({root, width});
        expected.push_back(static_cast<uint8_t>(root));
        if (i > 0 && slot < top && ++slot == top && width < 12)
            top *= 2, ++width;
    }
    ASSERT_EQ(width, 12u);
    codes.push_back({5, 12});
    expected.resize(4400);
    Indices out;
    EXPECT_EQ(DecodeData(CodeData(2, codes), 100, 44, out).end, GifDecodeEnd::EndCode);
    EXPECT_EQ(out.pixels, expected);
}

namespace {

// LZW codes for `p` as an encoder writes them that, once its table holds 4,096
// entries, goes on with what it has instead of sending a clear code: every
// code after that is 12 bits wide and adds nothing; with `clearAfter` the
// clear code follows that many codes later. Code widths follow the decoder's
// count of entries, which runs one code behind the encoder's.
Codes DeferredClearCodes(const Indices& p, unsigned minSize, unsigned clearAfter = 0)
{
    unsigned fullCodes = 0;
    const unsigned clear = 1u << minSize;
    std::map<std::pair<unsigned, uint8_t>, unsigned> table;
    unsigned next = clear + 2;                        // the encoder's next entry
    unsigned decoderSlot = clear + 2, top = 2 * clear; // the decoder's
    unsigned width = minSize + 1;
    Codes codes = {{clear, width}};
    size_t emitted = 0;
    auto emit = [&](unsigned code) {
        codes.push_back({code, width});
        if (emitted++ > 0 && decoderSlot < 4096 && ++decoderSlot >= top && width < 12)
            top <<= 1, ++width;
    };
    unsigned current = p.pixels[0];
    for (size_t i = 1; i < p.pixels.size(); ++i) {
        const uint8_t c = p.pixels[i];
        auto found = table.find({current, c});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        emit(current);
        if (next < 4096) {
            table[{current, c}] = next++;
        } else if (clearAfter && ++fullCodes == clearAfter) {
            // The deferred clear: sent at the full width, and everything starts over.
            codes.push_back({clear, width});
            table.clear();
            next = decoderSlot = clear + 2;
            top = 2 * clear;
            width = minSize + 1;
            emitted = 0;
            fullCodes = 0;
        }
        current = c;
    }
    emit(current);
    codes.push_back({clear + 1, width});
    return codes;
}

} // namespace

TEST(GifLzw, DeferredClearKeepsTwelveBitCodesAndTheFullTable)
{
    // Long enough for the table to fill early and be used for most of the
    // picture; the last kind sends its clear code 1,000 codes after that.
    for (unsigned colours : {2u, 4u, 16u, 256u}) {
        Indices p = RandomIndices(300, 200, colours, colours);
        const unsigned minSize = colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
        Codes codes = DeferredClearCodes(p, minSize, colours == 256 ? 1000 : 0);
        ASSERT_EQ(codes[codes.size() / 2].second, 12u);
        Indices out;
        EXPECT_EQ(DecodeData(CodeData(static_cast<uint8_t>(minSize), codes), p.width, p.height, out).end,
                  GifDecodeEnd::AllRows);
        EXPECT_EQ(out, p) << colours << " colours";
        // The whole file reads the same.
        CGifImage image;
        GifBuilder gif(300, 200, Colours(colours));
        ASSERT_TRUE(Load(image, gif.Image(300, 200, CodeData(static_cast<uint8_t>(minSize), codes)).Finish()));
        EXPECT_EQ(TopDown(image), p);
    }
}

namespace {

// The decoding algorithm spelled out plainly, a code at a time through a
// stack; the yardstick for the decoder's fast paths.
Bytes PlainDecode(const Bytes& data, size_t pixels, uint32_t& badCodes)
{
    Bytes out(pixels);
    badCodes = 0;
    const unsigned s = data[0];
    if (s < 2 || s > 9)
        return out;
    Bytes payload;
    for (size_t pos = 1, n; pos < data.size() && (n = data[pos++]) != 0; pos += n) {
        n = std::min(n, data.size() - pos);
        payload.insert(payload.end(), data.begin() + pos, data.begin() + pos + n);
    }
    size_t bit = 0, put = 0;
    const unsigned clear = 1u << s, first = clear + 2;
    unsigned prefix[4096] = {}, suffix[4096] = {};
    unsigned size = s + 1, slot = first, top = 2 * clear, oc = 0, fc = 0;
    bool bAfterClear = true;
    while (bit + size <= payload.size() * 8) {
        unsigned c = 0;
        for (unsigned i = 0; i < size; ++i, ++bit)
            c |= ((payload[bit / 8] >> (bit % 8)) & 1u) << i;
        if (c == clear) {
            size = s + 1, slot = first, top = 2 * clear, bAfterClear = true;
            continue;
        }
        if (c == clear + 1)
            break;
        Bytes stack;
        if (bAfterClear) {
            bAfterClear = false;
            oc = fc = c >= slot ? 0 : c;
            stack.push_back(static_cast<uint8_t>(oc));
        } else {
            unsigned code = c;
            if (code >= slot) {
                badCodes += code > slot;
                code = oc;
                stack.push_back(static_cast<uint8_t>(fc));
            }
            for (; code >= first; code = prefix[code]) {
                if (stack.size() == 4096)
                    return out; // a circle
                stack.push_back(static_cast<uint8_t>(suffix[code]));
            }
            if (stack.size() == 4096)
                return out;
            stack.push_back(static_cast<uint8_t>(code));
            if (slot < top) {
                suffix[slot] = fc = code;
                prefix[slot++] = oc;
                oc = c;
            }
            if (slot >= top && size < 12)
                top <<= 1, ++size;
        }
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
            out[put++] = *it;
            if (put == pixels)
                return out;
        }
    }
    return out;
}

} // namespace

TEST(GifLzw, MatchesPlainDecoding)
{
    // Good streams (full tables, clear codes, long strings), the same with a
    // few bits spoilt (bad codes, stray clear and end codes, circles in the
    // table), with another minimum code size, and random bytes. The sanitizer
    // build checks that nothing is written outside the picture.
    std::mt19937 rng(77);
    for (int round = 0; round < 400; ++round) {
        uint32_t w = 1 + rng() % 160, h = 1 + rng() % 100;
        Indices p = round % 2 ? RandomIndices(w, h, 1 + rng() % 256, rng()) : GradientIndices(w, h, rng());
        Bytes data = ImageData(p);
        const int kind = round % 5;
        for (size_t i = 2; i + 1 < data.size(); ++i) {
            if (i % 255 == 1)
                continue; // sub-block lengths stay
            if (kind == 4 || ((kind == 1 || kind == 2) && rng() % data.size() < 3))
                data[i] ^= static_cast<uint8_t>(kind == 4 ? rng() : 1u << (rng() % 8));
        }
        if (kind == 3)
            data[0] = static_cast<uint8_t>(2 + rng() % 8);
        uint32_t plainBad = 0;
        Bytes want = PlainDecode(data, p.pixels.size(), plainBad);
        Indices got;
        GifDecodeResult r = DecodeData(data, w, h, got);
        ASSERT_EQ(got.pixels, want) << "round " << round;
        ASSERT_EQ(r.badCodes, plainBad) << "round " << round;
        if (kind == 0) {
            ASSERT_EQ(got, p) << "round " << round;
        }
    }
}

namespace {

class FailingWriteFile : public CMemFile {
public:
    bool Write(const void*, size_t) override { return false; }
};

class FailingFlushFile : public CMemFile {
public:
    bool Flush() override { return false; }
};

// A CGifImage holding `p` as an 8-bit picture with a palette of `colours` entries.
class PalettedGif : public CGifImage {
public:
    PalettedGif(const Indices& p, size_t colours)
    {
        EXPECT_TRUE(Create(p.width, p.height, 8, 256));
        const size_t stride = static_cast<size_t>(PaddedRowLength());
        for (uint32_t y = 0; y < p.height; ++y)
            std::memcpy(GetBits() + size_t(p.height - 1 - y) * stride, &p.pixels[size_t(y) * p.width], p.width);
        std::vector<PaletteEntry> palette(colours);
        for (size_t i = 0; i < colours; ++i)
            palette[i] = {uint8_t(i * 3), uint8_t(i), uint8_t(255 - i), 0};
        SetPalette(palette);
    }
};

} // namespace

TEST(GifWrite, OnePixelPicture)
{
    PalettedGif image(Indices{1, 1, {42}}, 256);
    CMemFile file;
    ASSERT_TRUE(image.SaveImage(&file));
    const Bytes& gif = file.Bytes();
    ASSERT_EQ(gif.size(), 13u + 768 + 18);
    EXPECT_EQ(Bytes(gif.begin(), gif.begin() + 13), (Bytes{'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0xE7, 0, 0}));
    EXPECT_EQ(Bytes(gif.begin() + 13 + 3 * 42, gif.begin() + 13 + 3 * 43), (Bytes{126, 42, 213}));
    EXPECT_EQ(Bytes(gif.begin() + 13 + 768, gif.end()),
              (Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, // descriptor
                     8,                                // minimum code size
                     4, 0x00, 0x55, 0x04, 0x04,        // one packet: 256, 42, 257 at 9 bits each
                     0, 0x3B}));
}

TEST(GifWrite, RoundTrip)
{
    // Random pixels fill the code table many times over; the gradients make long strings.
    const std::vector<std::pair<Indices, size_t>> cases = {
        {RandomIndices(3, 2, 16, 31), 16},      {RandomIndices(255, 3, 200, 33), 200},
        {RandomIndices(300, 200, 256, 34), 256}, {GradientIndices(641, 479, 35), 256},
        {GradientIndices(1, 500, 36), 256},     {Indices{50, 50, Bytes(2500, 0)}, 1},
    };
    for (const auto& [p, colours] : cases) {
        SCOPED_TRACE(std::to_string(p.width) + "x" + std::to_string(p.height));
        PalettedGif image(p, colours);
        CMemFile file;
        ASSERT_TRUE(image.SaveImage(&file));
        CGifImage back;
        file.Seek(0, CFile::begin);
        ASSERT_TRUE(back.LoadImage(&file));
        EXPECT_EQ(TopDown(back), p);
        // n palette entries come back as 256: those n and black behind them.
        ASSERT_EQ(back.GetPalette().size(), 256u);
        for (size_t i = 0; i < 256; ++i) {
            PaletteEntry want = i < colours ? image.GetPalette()[i] : PaletteEntry{};
            const RgbQuad* q = back.GetColour(i);
            ASSERT_EQ(back.GetPalette()[i], want) << i;
            ASSERT_EQ((PaletteEntry{q->red, q->green, q->blue, 0}), want) << i;
        }
        // Packets of 254 bytes but the last, then the zero block and the trailer.
        const Bytes& gif = file.Bytes();
        std::vector<size_t> packets;
        size_t pos = 13 + 768 + 10 + 1;
        for (; pos < gif.size() && gif[pos] != 0; pos += 1 + gif[pos])
            packets.push_back(gif[pos]);
        EXPECT_EQ(pos + 2, gif.size());
        EXPECT_TRUE(std::all_of(packets.begin(), packets.end() - 1, [](size_t n) { return n == 254; }));
    }

    // Through a file on disk; a picture read back writes the same file again.
    TempDir dir;
    PalettedGif image(GradientIndices(123, 45, 37), 256);
    ASSERT_TRUE(image.SaveImage(dir.File("a.gif")));
    CGifImage back;
    ASSERT_TRUE(back.LoadImage(dir.File("a.gif")));
    ASSERT_TRUE(back.SaveImage(dir.File("b.gif")));
    EXPECT_EQ(ReadFileBytes(dir.File("a.gif")), ReadFileBytes(dir.File("b.gif")));
}

TEST(GifWrite, ShallowPicturesAreSpreadToBytes)
{
    // Indices packed from the most significant bits; without a palette the
    // colour table's colours are written.
    for (int bpp : {4, 1}) {
        CGifImage image;
        ASSERT_TRUE(image.Create(5, 2, bpp, static_cast<uint16_t>(1u << bpp)));
        Bytes rows = bpp == 4 ? Bytes{0x12, 0x34, 0x50, 0, 0xAB, 0xCD, 0xE0, 0} : Bytes{0xA8, 0, 0, 0, 0x58, 0, 0, 0};
        std::copy(rows.begin(), rows.end(), image.GetBits()); // bottom row first
        for (uint8_t i = 0; i < (1u << bpp); ++i)
            *image.GetColour(i) = {i, uint8_t(i * 2), uint8_t(i * 3), 0};
        CMemFile file;
        ASSERT_TRUE(image.SaveImage(&file)) << bpp;
        CGifImage back;
        ASSERT_TRUE(back.LoadImage(&file));
        EXPECT_EQ(TopDown(back).pixels, bpp == 4 ? Bytes({10, 11, 12, 13, 14, 1, 2, 3, 4, 5})
                                                 : Bytes({0, 1, 0, 1, 1, 1, 0, 1, 0, 1}));
        EXPECT_EQ(back.GetPalette()[1], (PaletteEntry{3, 2, 1, 0}));
    }
}

TEST(GifWrite, Failures)
{
    // The writer says what went wrong and leaves showing it to its caller.
    std::vector<std::string> texts;
    auto failureOf = [&texts](CGifImage& image, CFile& file) {
        EXPECT_FALSE(image.SaveImage(&file));
        if (!image.GetFailureText().empty())
            texts.push_back(image.GetFailureText());
    };
    CGifImage deep;
    ASSERT_TRUE(deep.Create(4, 4, 24, 0));
    CMemFile file;
    failureOf(deep, file);
    EXPECT_TRUE(file.Bytes().empty());

    PalettedGif image(RandomIndices(10, 10, 256, 40), 256);
    FailingWriteFile badWrite;
    failureOf(image, badWrite);
    FailingFlushFile badFlush;
    failureOf(image, badFlush);
    CGifImage empty; // nothing to write: no message
    failureOf(empty, file);
    EXPECT_EQ(texts, (std::vector<std::string>{"GIF Images must be 8 bit or less",
                                               "Write Error in GIF file", "Write Error in GIF file"}));
    // A save that works says nothing, whatever the one before it said.
    CMemFile good;
    ASSERT_TRUE(image.SaveImage(&good));
    EXPECT_TRUE(image.GetFailureText().empty());
}

namespace {

struct ReferenceCase {
    std::string name;
    int frame = 0;
    char version = '9'; // the fifth byte the encoder wrote
    bool bInterlaced = false;
    bool bTransparent = false;
    bool bLocalTable = false;
};

// Our pixels, looked up in the colour table, against the tool's own decoding
// of the same file; transparent pixels (blackened by the reader) are skipped.
void CompareWithReference(const std::string& gif, const std::string& ppm, const ReferenceCase& c)
{
    SCOPED_TRACE(c.name);
    std::string bytes = ReadFileBytes(gif);
    GifFileInfo info;
    ASSERT_TRUE(GifParseFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), info));
    // The file has the features the case is about.
    EXPECT_EQ(bytes[4], c.version);
    EXPECT_EQ(info.imageCount, c.frame + 1);
    EXPECT_EQ(info.lastImage.bInterlaced, c.bInterlaced);
    EXPECT_EQ(info.lastImage.bLocalTable, c.bLocalTable);
    EXPECT_EQ(info.lastImage.transparentIndex >= 0, c.bTransparent);

    CGifImage image;
    ASSERT_TRUE(image.LoadImage(gif));
    RgbPicture ours, theirs;
    ASSERT_TRUE(RefImagePixels(image, ours));
    ASSERT_TRUE(RefReadPpm(ppm, theirs));
    ASSERT_EQ(std::make_pair(ours.width, ours.height), std::make_pair(theirs.width, theirs.height));
    Indices indices = TopDown(image);
    size_t compared = 0, differing = 0;
    for (size_t i = 0; i < indices.pixels.size(); ++i) {
        if (indices.pixels[i] == image.m_nTransparentIndex)
            continue;
        ++compared;
        differing += !std::equal(&ours.rgb[3 * i], &ours.rgb[3 * i + 3], &theirs.rgb[3 * i]);
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(compared, indices.pixels.size() / 4);
}

} // namespace

TEST(GifReference, ImageMagickFiles)
{
    if (!RefHaveImageMagick())
        GTEST_SKIP() << "convert-im6.q16 (ImageMagick) is not installed";
    TempDir dir;
    const std::vector<std::pair<ReferenceCase, std::string>> files = {
        {{"im87", 0, '7'}, "-seed 7 -size 37x23 plasma:fractal -colors 200 GIF87:"},
        {{"im89_photo"}, "-seed 8 -size 201x149 plasma:fractal -attenuate 2 +noise Gaussian -colors 256 "},
        {{"im_interlaced", 0, '9', true}, "-seed 9 -size 64x47 plasma:fractal -colors 64 -interlace Line "},
        {{"im_transparent", 0, '9', false, true},
         "-size 31x17 xc:none -fill red -draw 'circle 15,8 15,1' -fill blue -draw 'rectangle 0,0 6,5' "},
        {{"im_local", 1, '9', false, false, true},
         "-size 40x30 gradient:red-blue -size 40x30 gradient:green-yellow -colors 64 "},
        {{"im_two_colours"}, "-size 7x5 pattern:checkerboard -colors 2 "},
        {{"im_one_pixel"}, "-size 1x1 xc:orange "},
        {{"im_16"}, "-size 257x3 gradient:navy-gold -colors 16 "},
        {{"im_4"}, "-seed 10 -size 100x75 plasma:fractal -colors 4 "},
    };
    for (const auto& [c, args] : files) {
        std::string gif = dir.File(c.name + ".gif"), ppm = dir.File(c.name + ".ppm");
        ASSERT_TRUE(RefMagick(args + RefQuote(gif))) << c.name;
        ASSERT_TRUE(RefMagick(RefQuote(gif + "[" + std::to_string(c.frame) + "]") + " -depth 8 " + RefQuote("ppm:" + ppm)));
        CompareWithReference(gif, ppm, c);
    }
}

TEST(GifReference, PillowFiles)
{
    if (!RefHavePillow())
        GTEST_SKIP() << "Pillow (/usr/bin/python3 -c 'import PIL') is not installed";
    TempDir dir;
    const char* script = R"PY(
import sys, random
from PIL import Image

def picture(w, h, n, seed, smooth=False):
    rnd = random.Random(seed)
    colours = []
    while len(colours) < n:
        c = (rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))
        if c not in colours:
            colours.append(c)
    im = Image.new('P', (w, h))
    im.putpalette([v for c in colours for v in c])
    if smooth:
        im.putdata([min(n - 1, (x + 2 * y) * n // (w + 2 * h) + rnd.randrange(2)) for y in range(h) for x in range(w)])
    else:
        im.putdata([rnd.randrange(n) for _ in range(w * h)])
    return im

def save(name, im, frame=0, **kw):
    path = sys.argv[1] + '/' + name
    im.save(path + '.gif', **kw)
    ref = Image.open(path + '.gif')
    ref.seek(frame)
    ref.convert('RGB').save(path + '.ppm', 'PPM')

save('pil87_interlaced', picture(33, 21, 256, 1))
save('pil87_plain', picture(101, 13, 256, 2), interlace=False)
save('pil_odd_smooth', picture(163, 97, 64, 3, True), interlace=False)
save('pil_interlaced', picture(64, 48, 16, 4, True), interlace=True)
save('pil89_transparent', picture(40, 30, 256, 5), transparency=5)
save('pil_one_pixel', picture(1, 1, 256, 6))
save('pil_column', picture(1, 17, 4, 7))
save('pil_noise', picture(255, 255, 256, 9))
save('pil_local', picture(40, 40, 256, 10), 1, save_all=True, append_images=[picture(40, 40, 16, 11)])
)PY";
    ASSERT_TRUE(RefPillow(script, {dir.Path()}));
    for (const ReferenceCase& c : std::vector<ReferenceCase>{
             {"pil87_interlaced", 0, '7', true},
             {"pil87_plain", 0, '7'},
             {"pil_odd_smooth", 0, '7'},
             {"pil_interlaced", 0, '7', true},
             {"pil89_transparent", 0, '9', true, true},
             {"pil_one_pixel", 0, '7'},
             {"pil_column", 0, '7'},
             {"pil_noise", 0, '7', true},
             {"pil_local", 1, '7', false, false, true},
         })
        CompareWithReference(dir.File(c.name + ".gif"), dir.File(c.name + ".ppm"), c);
}
