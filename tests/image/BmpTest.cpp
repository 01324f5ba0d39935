#include "image/SECDib.h"

#include "ReferenceTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct BmpFields {
    int32_t width = 3;
    int32_t height = 2;
    uint16_t bits = 8;
    uint32_t compression = BI_RGB;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    std::vector<uint8_t> table; // colour table as stored
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> MakeBmp(const BmpFields& f)
{
    uint32_t offset = static_cast<uint32_t>(54 + f.table.size());
    std::vector<uint8_t> file(offset, 0);
    file[0] = 'B';
    file[1] = 'M';
    PutLE32(&file[2], static_cast<uint32_t>(offset + f.pixels.size()));
    PutLE32(&file[10], offset);
    BitmapInfoHeader info;
    info.biWidth = f.width;
    info.biHeight = f.height;
    info.biBitCount = f.bits;
    info.biCompression = f.compression;
    info.biSizeImage = f.sizeImage;
    info.biClrUsed = f.clrUsed;
    info.Write(&file[14]);
    std::copy(f.table.begin(), f.table.end(), file.begin() + 54);
    file.insert(file.end(), f.pixels.begin(), f.pixels.end());
    return file;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t from, size_t to)
{
    return std::vector<uint8_t>(v.begin() + static_cast<std::ptrdiff_t>(from),
                                v.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<uint8_t> HeaderBytes(const SECImage& image, size_t count)
{
    return std::vector<uint8_t>(image.GetHeaderBlock(), image.GetHeaderBlock() + count);
}

std::vector<uint8_t> PixelBytes(const SECImage& image, size_t count)
{
    return std::vector<uint8_t>(image.GetBits(), image.GetBits() + count);
}

bool Load(SECDib& dib, const std::vector<uint8_t>& bytes)
{
    CMemFile file(bytes);
    return dib.LoadImage(&file);
}

std::vector<uint8_t> Save(SECImage& image, bool* ok = nullptr)
{
    CMemFile file;
    bool saved = image.SaveImage(&file);
    if (ok)
        *ok = saved;
    return file.Bytes();
}

bool AllZero(const uint8_t* p, size_t n)
{
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

} // namespace

TEST(BmpLoad, KeepsStoredHeaderTableAndPixelsAndPadsPaletteToFullSize)
{
    BmpFields f;
    f.width = 4;
    f.clrUsed = 100;
    for (int i = 0; i < 100; ++i) {
        uint8_t quad[4] = {uint8_t(i), uint8_t(2 * i), uint8_t(255 - i), 0}; // blue, green, red
        f.table.insert(f.table.end(), quad, quad + 4);
    }
    f.pixels = {0, 1, 2, 99, 98, 97, 96, 95};
    std::vector<uint8_t> file = MakeBmp(f);
    const size_t offset = file.size() - 8;

    SECDib dib;
    ASSERT_TRUE(Load(dib, file));
    EXPECT_STREQ(dib.GetClassName(), "SECDib");
    EXPECT_EQ(dib.GetWidth(), 4u);
    EXPECT_EQ(dib.GetHeight(), 2u);
    EXPECT_EQ(dib.GetBitsPerPixel(), 8);
    EXPECT_EQ(dib.GetColourCount(), 256);
    EXPECT_TRUE(dib.IsPadded());
    // The header block is the stored bytes plus a zeroed margin of a whole colour table.
    ASSERT_EQ(dib.GetHeaderSize(), offset + 1010);
    EXPECT_EQ(HeaderBytes(dib, offset - 14), Slice(file, 14, offset));
    EXPECT_TRUE(AllZero(dib.GetHeaderBlock() + offset - 14, 1024));
    ASSERT_EQ(dib.GetBitsSize(), 8u);
    EXPECT_EQ(PixelBytes(dib, 8), f.pixels);

    // The palette has 256 entries: the 100 stored ones, then 156 black.
    const std::vector<PaletteEntry>& palette = dib.GetPalette();
    ASSERT_EQ(palette.size(), 256u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(palette[i], (PaletteEntry{uint8_t(255 - i), uint8_t(2 * i), uint8_t(i), 0})) << i;
    EXPECT_EQ(std::count(palette.begin() + 100, palette.end(), PaletteEntry{}), 156);
}

TEST(BmpLoad, CompressedPixelBytesAreKeptAsStored)
{
    BmpFields rle8;
    rle8.compression = BI_RLE8;
    rle8.table.assign(4 * 256, 0x55);
    // Run of 3, end of line, run of 2, end of bitmap; then bytes behind the data.
    rle8.pixels = {3, 5, 0, 0, 2, 7, 0, 1, 0xEE, 0xEF};
    rle8.sizeImage = 8;
    SECDib dib;
    ASSERT_TRUE(Load(dib, MakeBmp(rle8)));
    EXPECT_EQ(dib.GetInfoHeader().biCompression, BI_RLE8);
    ASSERT_EQ(dib.GetBitsSize(), rle8.pixels.size());
    EXPECT_EQ(PixelBytes(dib, rle8.pixels.size()), rle8.pixels);

    BmpFields rle4 = rle8;
    rle4.bits = 4;
    rle4.compression = BI_RLE4;
    rle4.table.assign(4 * 16, 0x33);
    rle4.pixels = {3, 0x12, 0, 0, 0, 1};
    ASSERT_TRUE(Load(dib, MakeBmp(rle4)));
    EXPECT_EQ(dib.GetColourCount(), 16);
    ASSERT_EQ(dib.GetBitsSize(), rle4.pixels.size());
    EXPECT_EQ(PixelBytes(dib, rle4.pixels.size()), rle4.pixels);
}

TEST(BmpLoad, TopDownPictureKeepsItsNegativeHeight)
{
    BmpFields f;
    f.bits = 24;
    f.width = 2;
    f.height = -3;
    for (uint8_t i = 0; i < 24; ++i)
        f.pixels.push_back(i);
    SECDib dib;
    ASSERT_TRUE(Load(dib, MakeBmp(f)));
    EXPECT_EQ(dib.GetInfoHeader().biHeight, -3);
    EXPECT_EQ(dib.GetHeight(), 3u);
    EXPECT_EQ(PixelBytes(dib, 24), f.pixels);
}

TEST(BmpLoad, MissingUncompressedRowsReadAsZeros)
{
    BmpFields f;
    f.bits = 24;
    f.width = 3;
    f.height = 3; // rows of 12 bytes
    f.pixels.assign(20, 0xAB);
    SECDib dib;
    ASSERT_TRUE(Load(dib, MakeBmp(f)));
    ASSERT_EQ(dib.GetBitsSize(), 36u);
    EXPECT_EQ(PixelBytes(dib, 20), f.pixels);
    EXPECT_TRUE(AllZero(dib.GetBits() + 20, 16));
}

TEST(BmpLoad, RefusesLyingAndForeignHeaders)
{
    BmpFields f;
    f.table.assign(4 * 256, 0);
    f.pixels.assign(8, 1);
    const std::vector<uint8_t> good = MakeBmp(f);
    const size_t offset = 54 + 1024;
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
    };
    const Case cases[] = {
        {"not BM", [](auto& b) { b[1] = 'A'; }},
        {"pixel offset 0", [](auto& b) { PutLE32(&b[10], 0); }},
        {"pixel offset inside the header", [](auto& b) { PutLE32(&b[10], 53); }},
        {"pixel offset past the end", [](auto& b) { PutLE32(&b[10], uint32_t(b.size() + 1)); }},
        {"pixel offset 0xFFFFFFFF", [](auto& b) { PutLE32(&b[10], 0xFFFFFFFF); }},
        {"file shorter than the offset", [](auto& b) { b.resize(offset - 1); }},
        {"OS/2 header size", [](auto& b) { PutLE32(&b[14], 12); }},
        {"header larger than the space before the pixels",
         [](auto& b) { PutLE32(&b[14], uint32_t(offset - 14 + 1)); }},
        {"0 bits", [](auto& b) { PutLE16(&b[28], 0); }},
        {"2 bits", [](auto& b) { PutLE16(&b[28], 2); }},
        {"64 bits", [](auto& b) { PutLE16(&b[28], 64); }},
        {"JPEG inside", [](auto& b) { PutLE32(&b[30], 4); }},
        {"RLE4 on 8 bits", [](auto& b) { PutLE32(&b[30], BI_RLE4); }},
        {"bit fields on 8 bits", [](auto& b) { PutLE32(&b[30], BI_BITFIELDS); }},
        {"top-down RLE8",
         [](auto& b) {
             PutLE32(&b[30], BI_RLE8);
             PutLE32(&b[22], uint32_t(-2));
         }},
        {"width 0", [](auto& b) { PutLE32(&b[18], 0); }},
        {"negative width", [](auto& b) { PutLE32(&b[18], uint32_t(-3)); }},
        {"height 0", [](auto& b) { PutLE32(&b[22], 0); }},
        {"height of -2^31", [](auto& b) { PutLE32(&b[22], 0x80000000u); }},
        {"100000 x 100000",
         [](auto& b) {
             PutLE32(&b[18], 100000);
             PutLE32(&b[22], 100000);
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.change(bytes);
        SECDib dib;
        EXPECT_FALSE(Load(dib, bytes)) << c.name;
        EXPECT_FALSE(dib.HasPicture()) << c.name;
        EXPECT_EQ(dib.GetHeaderBlock(), nullptr) << c.name;
    }

    // A header and table block of more than a megabyte is no bitmap header,
    // even when the file is that long.
    std::vector<uint8_t> huge = good;
    huge.resize(14 + SECDib::kMaxHeaderBytes + 100);
    PutLE32(&huge[10], 14 + SECDib::kMaxHeaderBytes + 1);
    SECDib dib;
    EXPECT_FALSE(Load(dib, huge));
    PutLE32(&huge[10], 14 + SECDib::kMaxHeaderBytes);
    EXPECT_TRUE(Load(dib, huge));
    EXPECT_EQ(dib.GetHeaderSize(), SECDib::kMaxHeaderBytes + 1024);
    EXPECT_EQ(dib.GetBitsSize(), 100u);
}

TEST(BmpLoad, FileCutAtEveryByteNeverReadsOutside)
{
    BmpFields f;
    f.bits = 4;
    f.width = 5;
    f.height = 3; // rows of 4 bytes
    f.table.assign(4 * 16, 0x40);
    f.pixels = {0x12, 0x34, 0x50, 0, 0x67, 0x89, 0xA0, 0, 0xBC, 0xDE, 0xF0, 0};
    const std::vector<uint8_t> file = MakeBmp(f);
    const size_t offset = 54 + 64;
    for (size_t n = 0; n <= file.size(); ++n) {
        SECDib dib;
        bool loaded = Load(dib, Slice(file, 0, n));
        ASSERT_EQ(loaded, n >= offset) << n;
        if (!loaded)
            continue;
        ASSERT_EQ(dib.GetBitsSize(), 12u) << n;
        EXPECT_EQ(PixelBytes(dib, n - offset), Slice(file, offset, n)) << n;
        EXPECT_TRUE(AllZero(dib.GetBits() + (n - offset), 12 - (n - offset))) << n;
    }

    BmpFields rle = f;
    rle.compression = BI_RLE4;
    rle.pixels = {5, 0x12, 0, 0, 0, 1};
    const std::vector<uint8_t> rleFile = MakeBmp(rle);
    for (size_t n = offset + 1; n <= rleFile.size(); ++n) {
        SECDib dib;
        ASSERT_TRUE(Load(dib, Slice(rleFile, 0, n))) << n;
        EXPECT_EQ(PixelBytes(dib, dib.GetBitsSize()), Slice(rleFile, offset, n)) << n;
    }
}

TEST(BmpSave, WritesFileHeaderInfoHeaderTableAndRows)
{
    SECDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 8, 256));
    *dib.GetColour(1) = RgbQuad{30, 20, 10, 0};
    const uint8_t rows[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    std::copy(rows, rows + 8, dib.GetBits());
    bool ok = false;
    std::vector<uint8_t> out = Save(dib, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.size(), 14u + 40 + 1024 + 8);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(GetLE32(&out[2]), 1086u);
    EXPECT_EQ(GetLE32(&out[6]), 0u); // both reserved words
    EXPECT_EQ(GetLE32(&out[10]), 1078u);
    BitmapInfoHeader info = BitmapInfoHeader::Read(&out[14]);
    EXPECT_EQ(info.biSize, 40u);
    EXPECT_EQ(info.biWidth, 3);
    EXPECT_EQ(info.biHeight, 2);
    EXPECT_EQ(info.biPlanes, 1);
    EXPECT_EQ(info.biBitCount, 8);
    EXPECT_EQ(info.biCompression, BI_RGB);
    EXPECT_EQ(info.biSizeImage, 8u);
    EXPECT_EQ(Slice(out, 54 + 4, 54 + 8), (std::vector<uint8_t>{30, 20, 10, 0}));
    EXPECT_EQ(Slice(out, 1078, 1086), std::vector<uint8_t>(rows, rows + 8));

    // 24 bits: no table; an odd width's rows keep their padding.
    SECDib colour;
    ASSERT_TRUE(colour.Create(3, 2, 24, 0));
    std::fill(colour.GetBits(), colour.GetBits() + colour.GetBitsSize(), 0x11);
    out = Save(colour, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.size(), 78u);
    EXPECT_EQ(GetLE32(&out[2]), 78u);
    EXPECT_EQ(GetLE32(&out[10]), 54u);
    EXPECT_EQ(Slice(out, 54, 78), std::vector<uint8_t>(24, 0x11));
}

TEST(BmpSave, ShortColourTableIsCompletedWithBlack)
{
    // An 8-bit picture whose header block holds only 16 entries.
    SECDib dib;
    ASSERT_TRUE(dib.Create(2, 1, 8, 16));
    *dib.GetColour(15) = RgbQuad{1, 2, 3, 0};
    bool ok = false;
    std::vector<uint8_t> out = Save(dib, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(out.size(), 14u + 40 + 1024 + 4);
    EXPECT_EQ(GetLE32(&out[10]), 1078u);
    EXPECT_EQ(Slice(out, 54 + 60, 54 + 64), (std::vector<uint8_t>{1, 2, 3, 0}));
    EXPECT_TRUE(AllZero(&out[54 + 64], 1024 - 64));

    SECDib empty;
    CMemFile nothing;
    EXPECT_FALSE(empty.SaveImage(&nothing));
    EXPECT_TRUE(nothing.Bytes().empty());
}

TEST(BmpSave, WrittenFilesReadBackUnchanged)
{
    for (int bits : {1, 4, 8, 24}) {
        SECDib dib;
        uint16_t colours = bits == 24 ? 0 : uint16_t(1u << bits);
        ASSERT_TRUE(dib.Create(7, 5, bits, colours));
        for (size_t i = 0; i < dib.GetBitsSize(); ++i)
            dib.GetBits()[i] = uint8_t(i * 37 + bits);
        for (uint16_t i = 0; i < colours; ++i)
            *dib.GetColour(i) = RgbQuad{uint8_t(i), uint8_t(i * 3), uint8_t(255 - i), 0};
        const std::vector<uint8_t> file = Save(dib);

        SECDib back;
        ASSERT_TRUE(Load(back, file)) << bits;
        EXPECT_EQ(back.GetWidth(), 7u);
        EXPECT_EQ(back.GetHeight(), 5u);
        EXPECT_EQ(back.GetBitsPerPixel(), bits);
        size_t headerBytes = 40 + 4 * size_t(colours);
        EXPECT_EQ(HeaderBytes(back, headerBytes), HeaderBytes(dib, headerBytes)) << bits;
        ASSERT_EQ(back.GetBitsSize(), dib.GetBitsSize());
        EXPECT_EQ(PixelBytes(back, back.GetBitsSize()), PixelBytes(dib, dib.GetBitsSize())) << bits;
        // Saving the loaded picture again gives the same file.
        EXPECT_EQ(Save(back), file) << bits;
    }
}

namespace {

// A 13 x 7 picture (odd width, so rows have padding) with `colours` colours.
RgbPicture SourcePicture(int colours)
{
    RgbPicture p;
    p.width = 13;
    p.height = 7;
    for (uint32_t y = 0; y < p.height; ++y) {
        for (uint32_t x = 0; x < p.width; ++x) {
            unsigned k = (x * 3 + y * 5) % unsigned(colours);
            if (colours == 2) {
                p.rgb.insert(p.rgb.end(), 3, uint8_t(k ? 255 : 0));
            } else {
                p.rgb.push_back(uint8_t(k * 37 + 11));
                p.rgb.push_back(uint8_t(255 - k * 13));
                p.rgb.push_back(uint8_t(k * k));
            }
        }
    }
    return p;
}

struct ThirdPartyBmp {
    std::string name;
    int colours; // of the source picture
    std::string command; // ImageMagick arguments between input and output, or a Pillow mode
    bool pillow;
    int bits;
    uint32_t compression;
};

} // namespace

TEST(BmpThirdParty, HeaderAndPixelBytesKeptExactly)
{
    if (!RefHaveImageMagick() || !RefHavePillow())
        GTEST_SKIP() << "ImageMagick (convert-im6.q16) or Pillow (/usr/bin/python3) missing";
    TempDir dir;
    const ThirdPartyBmp files[] = {
        {"im-1", 2, "-type bilevel", false, 1, BI_RGB},
        {"im-4", 16, "-type palette -compress None", false, 4, BI_RGB},
        {"im-8", 200, "-type palette -compress None", false, 8, BI_RGB},
        {"im-24", 200, "-type truecolor", false, 24, BI_RGB},
        {"im-32", 200, "-type truecolormatte", false, 32, BI_BITFIELDS},
        {"im-rle8", 16, "-type palette -compress RLE", false, 8, BI_RLE8},
        {"im3-4", 16, "-type palette -compress None bmp3:", false, 4, BI_RGB},
        {"im3-8", 200, "-type palette -compress None bmp3:", false, 8, BI_RGB},
        {"im3-rle8", 200, "-type palette -compress RLE bmp3:", false, 8, BI_RLE8},
        {"pil-1", 2, "1", true, 1, BI_RGB},
        {"pil-8", 200, "L", true, 8, BI_RGB},
        {"pil-p", 16, "P", true, 8, BI_RGB},
        {"pil-24", 200, "RGB", true, 24, BI_RGB},
        {"pil-32", 200, "RGBA", true, 32, BI_RGB},
    };
    // ImageMagick writes RLE8 but no RLE4, Pillow neither; RLE4 files are
    // built by the tests above.
    for (const ThirdPartyBmp& t : files) {
        SCOPED_TRACE(t.name);
        std::string source = dir.File(t.name + "-source.ppm");
        std::string path = dir.File(t.name + ".bmp");
        ASSERT_TRUE(RefWritePpm(source, SourcePicture(t.colours)));
        if (t.pillow) {
            ASSERT_TRUE(RefPillow("import sys\nfrom PIL import Image\n"
                                  "Image.open(sys.argv[1]).convert(sys.argv[2]).save(sys.argv[3], 'BMP')\n",
                                  {source, t.command, path}));
        } else {
            std::string args = t.command;
            std::string prefix = "bmp:";
            if (args.size() > 6 && args.compare(args.size() - 5, 5, "bmp3:") == 0) {
                prefix = "bmp3:";
                args.resize(args.size() - 5);
            }
            ASSERT_TRUE(RefMagick(RefQuote(source) + " " + args + " " + RefQuote(prefix + path)));
        }
        std::string raw = ReadFileBytes(path);
        const std::vector<uint8_t> file(raw.begin(), raw.end());
        ASSERT_GT(file.size(), 54u);
        const uint32_t offset = GetLE32(&file[10]);
        const BitmapInfoHeader stored = BitmapInfoHeader::Read(&file[14]);
        ASSERT_EQ(stored.biBitCount, t.bits);
        ASSERT_EQ(stored.biCompression, t.compression);

        SECDib dib;
        ASSERT_TRUE(dib.LoadImage(path));
        EXPECT_EQ(dib.GetWidth(), 13u);
        EXPECT_EQ(dib.GetHeight(), 7u);
        EXPECT_EQ(dib.GetBitsPerPixel(), t.bits);
        EXPECT_EQ(HeaderBytes(dib, offset - 14), Slice(file, 14, offset));
        ASSERT_EQ(dib.GetBitsSize(), file.size() - offset);
        EXPECT_EQ(PixelBytes(dib, dib.GetBitsSize()), Slice(file, offset, file.size()));
        EXPECT_EQ(Save(dib), file) << "saved again byte for byte";

        // Uncompressed pictures with a 40-byte header are already in displayable form.
        if (stored.biSize == 40 && t.bits <= 24 && t.compression == BI_RGB) {
            RgbPicture decoded, reference;
            ASSERT_TRUE(RefImagePixels(dib, decoded));
            ASSERT_TRUE(RefMagickPixels(path, dir.File(t.name + "-ref.ppm"), reference));
            EXPECT_EQ(decoded.rgb, reference.rgb);
        }
    }
}
