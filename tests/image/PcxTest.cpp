#include "image/PcxCodec.h"
#include "image/SECPcx.h"

#include "ReferenceTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct PcxFields {
    uint8_t manufacturer = 10;
    uint8_t version = 5;
    uint8_t encoding = 1;
    uint8_t bits = 8;
    uint8_t planes = 1;
    uint16_t xMin = 0;
    uint16_t yMin = 0;
    uint16_t xMax = 0;
    uint16_t yMax = 0;
    uint16_t bytesPerLine = 0;
    uint8_t palette[48] = {};
};

// The 128 header bytes, laid out by hand.
std::vector<uint8_t> PcxHeader(const PcxFields& f)
{
    std::vector<uint8_t> h(128, 0);
    h[0] = f.manufacturer;
    h[1] = f.version;
    h[2] = f.encoding;
    h[3] = f.bits;
    PutLE16(&h[4], f.xMin);
    PutLE16(&h[6], f.yMin);
    PutLE16(&h[8], f.xMax);
    PutLE16(&h[10], f.yMax);
    PutLE16(&h[12], 72);
    PutLE16(&h[14], 72);
    std::copy(f.palette, f.palette + 48, h.begin() + 16);
    h[65] = f.planes;
    PutLE16(&h[66], f.bytesPerLine);
    PutLE16(&h[68], 1);
    return h;
}

// Each sample as one byte where it can be, else as a run of one.
std::vector<uint8_t> Literal(const std::vector<uint8_t>& samples)
{
    std::vector<uint8_t> out;
    for (uint8_t s : samples) {
        if (s >= 0xC0)
            out.push_back(0xC1);
        out.push_back(s);
    }
    return out;
}

// Longest runs of up to 63, running on from one line into the next as some
// encoders do.
std::vector<uint8_t> Runs(const std::vector<uint8_t>& samples)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < samples.size();) {
        size_t n = 1;
        while (n < 63 && i + n < samples.size() && samples[i + n] == samples[i])
            ++n;
        if (n == 1 && samples[i] < 0xC0) {
            out.push_back(samples[i]);
        } else {
            out.push_back(uint8_t(0xC0 + n));
            out.push_back(samples[i]);
        }
        i += n;
    }
    return out;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The 0x0C trailer with entry i = (red i, green 255 - i, blue i / 2).
std::vector<uint8_t> Trailer(size_t bytes = 768)
{
    std::vector<uint8_t> t = {0x0C};
    for (size_t i = 0; i < 256; ++i) {
        t.push_back(uint8_t(i));
        t.push_back(uint8_t(255 - i));
        t.push_back(uint8_t(i / 2));
    }
    t.resize(1 + bytes);
    return t;
}

bool Load(SECPcx& pcx, const std::vector<uint8_t>& bytes)
{
    CMemFile file(bytes);
    return pcx.LoadImage(&file);
}

// The colour index of pixel (x, y), y counted from the top.
uint8_t IndexAt(const SECImage& image, uint32_t x, uint32_t y)
{
    return image.GetBits()[(image.GetHeight() - 1 - y) * image.PaddedRowLength() + x];
}

bool IsColour(const RgbQuad* q, uint8_t red, uint8_t green, uint8_t blue)
{
    return q && q->red == red && q->green == green && q->blue == blue && q->reserved == 0;
}

bool IsGreyRamp(const SECImage& image)
{
    for (int j = 0; j < 256; ++j)
        if (!IsColour(image.GetColour(j), uint8_t(j), uint8_t(j), uint8_t(j)))
            return false;
    return true;
}

// A planar file: the index of each pixel split into `planes` 1-bit plane
// lines, padding bits of each line set.
std::vector<uint8_t> PlanarSamples(uint32_t width, uint32_t height, int planes, uint16_t bytesPerLine,
                                   const std::function<uint8_t(uint32_t, uint32_t)>& index)
{
    std::vector<uint8_t> samples;
    for (uint32_t y = 0; y < height; ++y) {
        for (int p = 0; p < planes; ++p) {
            for (uint32_t b = 0; b < bytesPerLine; ++b) {
                uint8_t byte = 0;
                for (int k = 0; k < 8; ++k) {
                    uint32_t x = b * 8 + uint32_t(k);
                    bool set = x >= width || ((index(x, y) >> p) & 1);
                    if (set)
                        byte |= uint8_t(0x80 >> k);
                }
                samples.push_back(byte);
            }
        }
    }
    return samples;
}

} // namespace

TEST(PcxLoad, TwentyFourBitOddWidthHasNoDrift)
{
    // Five pixels, six bytes per plane line: the last byte of every plane line is padding.
    PcxFields f;
    f.planes = 3;
    f.xMin = 10;
    f.xMax = 14;
    f.yMax = 2;
    f.bytesPerLine = 6;
    auto value = [](int plane, uint32_t x, uint32_t y) { return uint8_t(plane * 80 + y * 10 + x); };
    std::vector<uint8_t> samples;
    for (uint32_t y = 0; y < 3; ++y)
        for (int p = 0; p < 3; ++p) {
            for (uint32_t x = 0; x < 5; ++x)
                samples.push_back(value(p, x, y));
            samples.push_back(0xEE);
        }
    SECPcx pcx;
    ASSERT_TRUE(Load(pcx, Concat(PcxHeader(f), Runs(samples))));
    EXPECT_STREQ(pcx.GetClassName(), "SECPcx");
    EXPECT_EQ(pcx.GetWidth(), 5u);
    EXPECT_EQ(pcx.GetHeight(), 3u);
    EXPECT_EQ(pcx.GetBitsPerPixel(), 24);
    EXPECT_EQ(pcx.GetColourCount(), 0);
    EXPECT_EQ(pcx.GetHeaderSize(), 40u);
    BitmapInfoHeader info = pcx.GetInfoHeader();
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biClrUsed, 0u);
    EXPECT_EQ(info.biHeight, 3);

    // Bottom-up rows of 16 bytes, each pixel blue, green, red.
    const uint8_t* bits = pcx.GetBits();
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const uint8_t* px = bits + (2 - y) * 16 + 3 * x;
            EXPECT_EQ(px[0], value(2, x, y)) << x << "," << y;
            EXPECT_EQ(px[1], value(1, x, y)) << x << "," << y;
            EXPECT_EQ(px[2], value(0, x, y)) << x << "," << y;
        }
    EXPECT_EQ(bits[15], 0) << "row padding";
}

TEST(PcxLoad, PlanarLinesStartCleanOfThePreviousLinesPadding)
{
    for (int planes : {2, 3, 4}) {
        SCOPED_TRACE(planes);
        const uint32_t colours = 1u << planes;
        // 13 pixels in two bytes per plane line: three padding bits, all set.
        PcxFields f;
        f.bits = 1;
        f.planes = uint8_t(planes);
        f.xMax = 12;
        f.yMax = 2;
        f.bytesPerLine = 2;
        for (uint32_t i = 0; i < 16; ++i) {
            f.palette[3 * i] = uint8_t(i * 16);
            f.palette[3 * i + 1] = uint8_t(255 - i * 16);
            f.palette[3 * i + 2] = uint8_t(i * 3);
        }
        auto index = [&](uint32_t x, uint32_t y) { return uint8_t((x + 3 * y) % colours); };
        SECPcx pcx;
        ASSERT_TRUE(Load(pcx, Concat(PcxHeader(f), Runs(PlanarSamples(13, 3, planes, 2, index)))));
        EXPECT_EQ(pcx.GetBitsPerPixel(), 8);
        EXPECT_EQ(pcx.GetColourCount(), colours);
        EXPECT_EQ(pcx.GetHeaderSize(), 40 + 4 * colours);
        BitmapInfoHeader info = pcx.GetInfoHeader();
        EXPECT_EQ(info.biBitCount, 8);
        EXPECT_EQ(info.biClrUsed, colours);
        EXPECT_EQ(info.biClrImportant, colours);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                ASSERT_EQ(IndexAt(pcx, x, y), index(x, y)) << x << "," << y;
        for (uint32_t i = 0; i < colours; ++i)
            EXPECT_TRUE(IsColour(pcx.GetColour(i), uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i * 3)));
        EXPECT_EQ(pcx.GetPalette().size(), colours);
    }
}

TEST(PcxLoad, EightBitPaletteFromTrailerElseGreyRamp)
{
    PcxFields f;
    f.xMax = 3;
    f.yMax = 1;
    f.bytesPerLine = 4;
    const std::vector<uint8_t> data = Concat(PcxHeader(f), Literal({1, 2, 3, 200, 5, 6, 7, 8}));
    struct Case {
        const char* name;
        std::vector<uint8_t> tail;
        bool fromTrailer;
    };
    const Case cases[] = {
        {"trailer", Trailer(), true},
        {"bytes before the marker", Concat({0, 0x05, 0xC3}, Trailer()), true},
        {"no trailer", {}, false},
        {"trailer one byte short", Trailer(767), false},
        {"no marker", std::vector<uint8_t>(769, 0x33), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SECPcx pcx;
        ASSERT_TRUE(Load(pcx, Concat(data, c.tail)));
        EXPECT_EQ(pcx.GetBitsPerPixel(), 8);
        EXPECT_EQ(pcx.GetColourCount(), 256);
        EXPECT_EQ(pcx.GetInfoHeader().biClrUsed, 0u);
        EXPECT_EQ(IndexAt(pcx, 3, 0), 200);
        EXPECT_EQ(IndexAt(pcx, 0, 1), 5);
        if (c.fromTrailer) {
            for (int i = 0; i < 256; ++i)
                ASSERT_TRUE(IsColour(pcx.GetColour(i), uint8_t(i), uint8_t(255 - i), uint8_t(i / 2))) << i;
        } else {
            EXPECT_TRUE(IsGreyRamp(pcx));
        }
    }
}

TEST(PcxLoad, MonochromeBitsBecomeBlackAndWhiteIndices)
{
    PcxFields f;
    f.bits = 1;
    f.xMax = 9;
    f.yMax = 1;
    f.bytesPerLine = 2;
    // Line 0: 1011001110 then six padding ones; line 1: 0100000001 then padding.
    std::vector<uint8_t> samples = {0xB3, 0xBF, 0x40, 0x7F};
    SECPcx pcx;
    ASSERT_TRUE(Load(pcx, Concat(PcxHeader(f), Literal(samples))));
    EXPECT_EQ(pcx.GetBitsPerPixel(), 8);
    EXPECT_EQ(pcx.GetColourCount(), 256);
    EXPECT_EQ(pcx.GetHeaderSize(), 40u + 1024);
    BitmapInfoHeader info = pcx.GetInfoHeader();
    EXPECT_EQ(info.biClrUsed, 256u);
    EXPECT_EQ(info.biClrImportant, 256u);
    const char* lines[] = {"1011001110", "0100000001"};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 10; ++x)
            EXPECT_EQ(IndexAt(pcx, x, y), lines[y][x] == '1' ? 255 : 0) << x << "," << y;
    EXPECT_TRUE(IsGreyRamp(pcx)); // 0 black, 255 white

    // With a palette behind the data, set bits show its entry 1.
    std::vector<uint8_t> trailer(769, 0);
    trailer[0] = 0x0C;
    const uint8_t two[6] = {10, 20, 30, 200, 100, 50};
    std::copy(two, two + 6, trailer.begin() + 1);
    SECPcx coloured;
    ASSERT_TRUE(Load(coloured, Concat(Concat(PcxHeader(f), Literal(samples)), trailer)));
    EXPECT_EQ(IndexAt(coloured, 0, 0), 255);
    EXPECT_TRUE(IsColour(coloured.GetColour(0), 10, 20, 30));
    EXPECT_TRUE(IsColour(coloured.GetColour(255), 200, 100, 50));
}

TEST(PcxLoad, RunsCrossLinesAndThePaletteFollowsACutRun)
{
    // Three pixels in four bytes per line. A run of 0 stores nothing; a run
    // of 5 fills line 0 and starts line 1; the last run is cut at the end of
    // the picture, and the palette follows its value byte.
    PcxFields f;
    f.xMax = 2;
    f.yMax = 1;
    f.bytesPerLine = 4;
    std::vector<uint8_t> data = {0xC0, 0x09, 0xC5, 0x07, 0x01, 0x02, 0xC9, 0x05};
    SECPcx pcx;
    ASSERT_TRUE(Load(pcx, Concat(Concat(PcxHeader(f), data), Trailer())));
    const uint8_t expected[2][3] = {{7, 7, 7}, {7, 1, 2}};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            EXPECT_EQ(IndexAt(pcx, x, y), expected[y][x]) << x << "," << y;
    EXPECT_TRUE(IsColour(pcx.GetColour(7), 7, 248, 3));
}

TEST(PcxLoad, ShortLinesLeaveTheRestAtIndexZero)
{
    // Four bytes per line for six pixels: the last two of each line stay 0.
    PcxFields f;
    f.xMax = 5;
    f.yMax = 1;
    f.bytesPerLine = 4;
    SECPcx pcx;
    ASSERT_TRUE(Load(pcx, Concat(PcxHeader(f), Literal({1, 2, 3, 4, 5, 6, 7, 8}))));
    const uint8_t expected[2][6] = {{1, 2, 3, 4, 0, 0}, {5, 6, 7, 8, 0, 0}};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            EXPECT_EQ(IndexAt(pcx, x, y), expected[y][x]) << x << "," << y;

}

TEST(PcxLoad, RefusesDamagedHeaders)
{
    PcxFields f;
    f.xMax = 3;
    f.yMax = 1;
    f.bytesPerLine = 4;
    const std::vector<uint8_t> good = Concat(PcxHeader(f), Literal({1, 2, 3, 4, 5, 6, 7, 8}));
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
    };
    const Case cases[] = {
        {"short header", [](auto& b) { b.resize(127); }},
        {"manufacturer 0", [](auto& b) { b[0] = 0; }},
        {"version 6", [](auto& b) { b[1] = 6; }},
        {"encoding 0", [](auto& b) { b[2] = 0; }},
        {"encoding 2", [](auto& b) { b[2] = 2; }},
        {"2 bits", [](auto& b) { b[3] = 2; }},
        {"4 bits", [](auto& b) { b[3] = 4; }},
        {"0 bits", [](auto& b) { b[3] = 0; }},
        {"1 bit, 9 planes: 512 colours", [](auto& b) { b[3] = 1, b[65] = 9; }},
        {"1 bit, 5 planes", [](auto& b) { b[3] = 1, b[65] = 5; }},
        {"8 bits, 2 planes", [](auto& b) { b[65] = 2; }},
        {"0 planes", [](auto& b) { b[65] = 0; }},
        {"x maximum below x minimum", [](auto& b) { PutLE16(&b[4], 4); }},
        {"y maximum below y minimum", [](auto& b) { PutLE16(&b[6], 2); }},
        {"0 bytes per line", [](auto& b) { PutLE16(&b[66], 0); }},
        {"65536 x 65536 pixels", [](auto& b) { PutLE16(&b[8], 0xFFFF), PutLE16(&b[10], 0xFFFF); }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.change(bytes);
        SECPcx pcx;
        EXPECT_FALSE(Load(pcx, bytes)) << c.name;
        EXPECT_FALSE(pcx.HasPicture()) << c.name;
        EXPECT_EQ(pcx.GetBits(), nullptr) << c.name;
    }
}

TEST(PcxLoad, FileCutAtEveryByte)
{
    // One literal byte per sample: a file cut after n data bytes holds the
    // first n samples, the rest of the picture stays 0.
    PcxFields f;
    f.xMax = 4;
    f.yMax = 2;
    f.bytesPerLine = 5;
    std::vector<uint8_t> samples;
    for (uint8_t i = 1; i <= 15; ++i)
        samples.push_back(i);
    const std::vector<uint8_t> file = Concat(Concat(PcxHeader(f), Literal(samples)), Trailer());
    for (size_t n = 0; n <= file.size(); ++n) {
        SECPcx pcx;
        bool loaded = Load(pcx, std::vector<uint8_t>(file.begin(), file.begin() + std::ptrdiff_t(n)));
        ASSERT_EQ(loaded, n >= 128) << n;
        if (!loaded)
            continue;
        size_t decoded = std::min<size_t>(n - 128, 15);
        for (uint32_t k = 0; k < 15; ++k)
            ASSERT_EQ(IndexAt(pcx, k % 5, k / 5), k < decoded ? k + 1 : 0) << n << " " << k;
        EXPECT_EQ(IsGreyRamp(pcx), n < file.size()) << n;
    }

    // Runs and planar or colour layouts cut anywhere still load within bounds.
    PcxFields planar = f;
    planar.bits = 1;
    planar.planes = 4;
    planar.bytesPerLine = 1;
    PcxFields colour = f;
    colour.planes = 3;
    colour.bytesPerLine = 6;
    PcxFields mono = planar;
    mono.planes = 1;
    for (const PcxFields& g : {planar, colour, mono}) {
        std::vector<uint8_t> data(size_t(g.planes) * g.bytesPerLine * 3, 0xC7);
        data[1] = 0x11;
        const std::vector<uint8_t> cut = Concat(Concat(PcxHeader(g), Runs(data)), Trailer());
        for (size_t n = 128; n <= cut.size(); ++n) {
            SECPcx pcx;
            ASSERT_TRUE(Load(pcx, std::vector<uint8_t>(cut.begin(), cut.begin() + std::ptrdiff_t(n))))
                << int(g.planes) << " " << n;
        }
    }
}

TEST(PcxCodec, DecoderTakesInputInPiecesAndStopsAtTheLastLine)
{
    // A run's count byte and value byte in different pieces.
    std::vector<uint8_t> out(6, 0);
    PcxDecodeState state;
    ASSERT_TRUE(PcxDecodeInit(state, PcxLayout::Bytes, 3, 2, 1, 3, out.size()));
    const uint8_t first[] = {0x01, 0xC4};
    const uint8_t second[] = {0x09, 0x02, 0x0C, 0x00};
    EXPECT_EQ(PcxDecode(state, first, 2, out.data()), 2u);
    EXPECT_FALSE(PcxDecodeDone(state));
    EXPECT_EQ(PcxDecode(state, second, 4, out.data()), 2u) << "stops behind the last sample";
    EXPECT_TRUE(PcxDecodeDone(state));
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 9, 9, 9, 9, 2}));

    // An output too small for the picture is refused.
    EXPECT_FALSE(PcxDecodeInit(state, PcxLayout::Bytes, 3, 2, 1, 3, 5));
}

namespace {

std::vector<uint8_t> Save(SECImage& image, bool* ok = nullptr)
{
    CMemFile file;
    bool saved = image.SaveImage(&file);
    if (ok)
        *ok = saved;
    return file.Bytes();
}

std::vector<uint8_t> Bytes(const uint8_t* p, size_t n)
{
    return std::vector<uint8_t>(p, p + n);
}

// The pixel bytes of every row without the row padding.
std::vector<uint8_t> Rows(const SECImage& image)
{
    std::vector<uint8_t> rows;
    for (uint32_t y = 0; y < image.GetHeight(); ++y) {
        const uint8_t* row = image.GetBits() + y * image.PaddedRowLength();
        rows.insert(rows.end(), row, row + image.UnpaddedRowLength());
    }
    return rows;
}

// Sets pixel (x, y) of an 8-bit picture, y counted from the top.
void SetIndex(SECImage& image, uint32_t x, uint32_t y, uint8_t value)
{
    image.GetBits()[(image.GetHeight() - 1 - y) * image.PaddedRowLength() + x] = value;
}

} // namespace

TEST(PcxSave, WritesHeaderRowRunsAndTrailer)
{
    SECPcx pcx;
    ASSERT_TRUE(pcx.Create(70, 2, 8, 256));
    for (uint32_t x = 0; x < 70; ++x) {
        SetIndex(pcx, x, 0, 9);
        SetIndex(pcx, x, 1, x < 3 ? 4 : 5);
    }
    for (int i = 0; i < 256; ++i)
        *pcx.GetColour(i) = RgbQuad{uint8_t(i / 2), uint8_t(255 - i), uint8_t(i), 0};
    const std::vector<uint8_t> before = Rows(pcx);

    bool ok = false;
    std::vector<uint8_t> out = Save(pcx, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.size(), 128u + 10 + 769);
    std::vector<uint8_t> header(128, 0);
    header[0] = 10;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    PutLE16(&header[8], 69);
    PutLE16(&header[10], 1);
    PutLE16(&header[12], 640);
    PutLE16(&header[14], 480);
    header[65] = 1;
    PutLE16(&header[66], 70);
    PutLE16(&header[68], 2);
    EXPECT_EQ(Bytes(out.data(), 128), header);
    // Top row: 63 + 7 nines; second row: 3 fours, then 63 + 4 fives.
    EXPECT_EQ(Bytes(out.data() + 128, 10),
              (std::vector<uint8_t>{0xFF, 9, 0xC7, 9, 0xC3, 4, 0xFF, 5, 0xC4, 5}));
    EXPECT_EQ(out[138], 0x0C);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(Bytes(&out[139 + 3 * i], 3), (std::vector<uint8_t>{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)}));

    // The picture is as it was.
    EXPECT_TRUE(pcx.IsPadded());
    EXPECT_EQ(Rows(pcx), before);

    // Equal rows are still separate runs.
    SECPcx same;
    ASSERT_TRUE(same.Create(3, 2, 8, 256));
    std::fill(same.GetBits(), same.GetBits() + same.GetBitsSize(), 5);
    out = Save(same);
    ASSERT_EQ(out.size(), 128u + 4 + 769);
    EXPECT_EQ(Bytes(out.data() + 128, 4), (std::vector<uint8_t>{0xC3, 5, 0xC3, 5}));
}

TEST(PcxSave, OneAndFourBitPicturesBecomeEightBitSamples)
{
    SECPcx mono;
    ASSERT_TRUE(mono.Create(10, 1, 1, 2));
    mono.GetBits()[0] = 0xB0; // 1011 0000
    mono.GetBits()[1] = 0x40; // 01
    *mono.GetColour(0) = RgbQuad{1, 2, 3, 0};
    *mono.GetColour(1) = RgbQuad{4, 5, 6, 0};
    std::vector<uint8_t> out = Save(mono);
    ASSERT_EQ(out.size(), 128u + 10 + 769);
    EXPECT_EQ(out[3], 8);
    EXPECT_EQ(out[65], 1);
    EXPECT_EQ(GetLE16(&out[66]), 10);
    // Fewer than 16 colours also go into the header palette.
    EXPECT_EQ(Bytes(&out[16], 7), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 0}));
    EXPECT_EQ(Bytes(out.data() + 128, 10), (std::vector<uint8_t>{0xC1, 1, 0xC1, 0, 0xC2, 1, 0xC5, 0, 0xC1, 1}));
    EXPECT_EQ(Bytes(&out[139], 7), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 0}));

    SECPcx nibbles;
    ASSERT_TRUE(nibbles.Create(3, 1, 4, 16));
    nibbles.GetBits()[0] = 0x12;
    nibbles.GetBits()[1] = 0x30;
    out = Save(nibbles);
    ASSERT_EQ(out.size(), 128u + 6 + 769);
    EXPECT_EQ(Bytes(out.data() + 128, 6), (std::vector<uint8_t>{0xC1, 1, 0xC1, 2, 0xC1, 3}));

    // Read back, they are 8-bit pictures with the same colours.
    SECPcx back;
    CMemFile file(Save(mono));
    ASSERT_TRUE(back.LoadImage(&file));
    EXPECT_EQ(back.GetBitsPerPixel(), 8);
    const char* line = "1011000001";
    for (uint32_t x = 0; x < 10; ++x)
        EXPECT_EQ(IndexAt(back, x, 0), line[x] - '0') << x;
    EXPECT_TRUE(IsColour(back.GetColour(1), 6, 5, 4));
}

TEST(PcxSave, RefusesPicturesDeeperThanEightBits)
{
    SECPcx pcx;
    ASSERT_TRUE(pcx.Create(2, 2, 24, 0));
    bool ok = true;
    EXPECT_TRUE(Save(pcx, &ok).empty());
    EXPECT_FALSE(ok);
    SECPcx empty;
    EXPECT_TRUE(Save(empty, &ok).empty());
    EXPECT_FALSE(ok);
}

TEST(PcxSave, WrittenFilesReadBackUnchanged)
{
    SECPcx pcx;
    ASSERT_TRUE(pcx.Create(37, 11, 8, 256));
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < 11; ++y)
        for (uint32_t x = 0; x < 37; ++x) {
            seed = seed * 1103515245 + 12345;
            SetIndex(pcx, x, y, (seed >> 16) % 5 == 0 ? uint8_t(seed >> 8) : uint8_t(y * 20));
        }
    for (int i = 0; i < 256; ++i)
        *pcx.GetColour(i) = RgbQuad{uint8_t(i * 7), uint8_t(i * 3), uint8_t(i), 0};
    RgbPicture original;
    ASSERT_TRUE(RefImagePixels(pcx, original));

    SECPcx back;
    CMemFile file(Save(pcx));
    ASSERT_TRUE(back.LoadImage(&file));
    RgbPicture decoded;
    ASSERT_TRUE(RefImagePixels(back, decoded));
    EXPECT_EQ(decoded.width, 37u);
    EXPECT_EQ(decoded.height, 11u);
    EXPECT_EQ(decoded.rgb, original.rgb);
    EXPECT_EQ(Rows(back), Rows(pcx));
}

namespace {

// A 13 x 7 picture (odd width) with `colours` colours.
RgbPicture PcxSource(int colours)
{
    RgbPicture p;
    p.width = 13;
    p.height = 7;
    for (uint32_t y = 0; y < p.height; ++y) {
        for (uint32_t x = 0; x < p.width; ++x) {
            unsigned k = (x * 7 + y * 3) % unsigned(colours);
            if (colours == 2) {
                p.rgb.insert(p.rgb.end(), 3, uint8_t(k ? 255 : 0));
            } else {
                p.rgb.push_back(uint8_t(k * 41 + 3));
                p.rgb.push_back(uint8_t(250 - k * 17));
                p.rgb.push_back(uint8_t(k * k + x));
            }
        }
    }
    return p;
}

void ExpectSamePixels(const std::string& path, const std::string& scratch, bool byPillow)
{
    SECPcx pcx;
    ASSERT_TRUE(pcx.LoadImage(path));
    RgbPicture decoded, reference;
    ASSERT_TRUE(RefImagePixels(pcx, decoded));
    if (byPillow)
        ASSERT_TRUE(RefPillowPixels(path, scratch, reference));
    else
        ASSERT_TRUE(RefMagickPixels(path, scratch, reference));
    ASSERT_EQ(decoded.width, reference.width);
    ASSERT_EQ(decoded.height, reference.height);
    EXPECT_EQ(decoded.rgb, reference.rgb);
}

} // namespace

TEST(PcxThirdParty, FilesOfOtherWritersDecodeToTheirPixels)
{
    if (!RefHaveImageMagick() || !RefHavePillow())
        GTEST_SKIP() << "ImageMagick (convert-im6.q16) or Pillow (/usr/bin/python3) missing";
    TempDir dir;
    struct Writer {
        std::string name;
        int colours;
        std::string how; // ImageMagick arguments, or a Pillow mode
        bool pillow;
        int bits;
        int planes;
    };
    const Writer writers[] = {
        // ImageMagick writes 1-bit files only for pictures read with a palette.
        {"im-1", 2, "gif", false, 1, 1},
        {"im-8", 60, "-type palette", false, 8, 1},
        {"im-24", 60, "-type truecolor", false, 8, 3},
        {"im-32", 60, "-type truecolormatte", false, 8, 4},
        {"pil-1", 2, "1", true, 1, 1},
        {"pil-l", 60, "L", true, 8, 1},
        {"pil-p", 60, "P", true, 8, 1},
        {"pil-24", 60, "RGB", true, 8, 3},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        std::string source = dir.File(w.name + ".ppm");
        std::string path = dir.File(w.name + ".pcx");
        ASSERT_TRUE(RefWritePpm(source, PcxSource(w.colours)));
        if (w.pillow)
            ASSERT_TRUE(RefPillow("import sys\nfrom PIL import Image\n"
                                  "Image.open(sys.argv[1]).convert(sys.argv[2]).save(sys.argv[3], 'PCX')\n",
                                  {source, w.how, path}));
        else if (w.how == "gif")
            ASSERT_TRUE(RefMagick(RefQuote(source) + " " + RefQuote("gif:" + path + ".gif")) &&
                        RefMagick(RefQuote(path + ".gif") + " " + RefQuote("pcx:" + path)));
        else
            ASSERT_TRUE(RefMagick(RefQuote(source) + " " + w.how + " " + RefQuote("pcx:" + path)));
        std::string raw = ReadFileBytes(path);
        ASSERT_GT(raw.size(), 128u);
        ASSERT_EQ(raw[3], w.bits);
        ASSERT_EQ(raw[65], w.planes);
        // ImageMagick reads 1-bit files with the bits inverted (set bits as
        // palette entry 0), its own and others' alike; Pillow reads them as
        // the format defines, set bits as entry 1.
        ExpectSamePixels(path, dir.File(w.name + "-ref.ppm"), w.pillow || w.bits == 1);
    }
}

TEST(PcxThirdParty, PlanarFilesDecodeAsOtherReadersDecodeThem)
{
    if (!RefHaveImageMagick() || !RefHavePillow())
        GTEST_SKIP() << "ImageMagick (convert-im6.q16) or Pillow (/usr/bin/python3) missing";
    // Neither writes planar files, so they are built here and decoded by
    // both readers for reference.
    TempDir dir;
    for (int planes : {2, 3, 4}) {
        SCOPED_TRACE(planes);
        const uint32_t colours = 1u << planes;
        PcxFields f;
        f.bits = 1;
        f.planes = uint8_t(planes);
        f.xMax = 12;
        f.yMax = 6;
        f.bytesPerLine = 2;
        for (int i = 0; i < 48; ++i)
            f.palette[i] = uint8_t(i * 5 + 7);
        auto index = [&](uint32_t x, uint32_t y) { return uint8_t((x * 5 + y * 3) % colours); };
        std::vector<uint8_t> file = Concat(PcxHeader(f), Runs(PlanarSamples(13, 7, planes, 2, index)));
        std::string path = dir.File("planar" + std::to_string(planes) + ".pcx");
        ASSERT_TRUE(WriteFileBytes(path, std::string(file.begin(), file.end())));
        ExpectSamePixels(path, dir.File("magick.ppm"), false);
        // Pillow reads two and four planes only.
        if (planes != 3)
            ExpectSamePixels(path, dir.File("pillow.ppm"), true);
    }
}
