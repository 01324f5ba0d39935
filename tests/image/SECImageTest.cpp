#include "image/SECDib.h"
#include "image/SECImage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A format whose "file" is: width, height, bits per pixel (one byte each),
// then unpadded top-down rows. Anything shorter fails.
class TinyImage : public SECImage {
public:
    const char* GetClassName() const override { return "TinyImage"; }
    bool DoSaveImage(CFile*) override { return false; }
    bool DoLoadImage(CFile* file) override
    {
        uint8_t head[3];
        if (file->Read(head, 3) != 3)
            return false;
        size_t bytes = 0;
        if (!CheckedImageSize(head[0], head[1], head[2], bytes) || !m_picture.bits.Allocate(bytes))
            return false;
        m_picture.width = head[0];
        m_picture.height = head[1];
        m_picture.bitsPerPixel = head[2];
        m_picture.colours = head[2] <= 8 ? static_cast<uint16_t>(1u << head[2]) : 0;
        size_t want = UnpaddedRowLength() * m_picture.height;
        if (file->Read(m_picture.bits.Data(), want) != want)
            return false;
        return FlipVert();
    }
};

std::vector<uint8_t> Tiny(uint8_t w, uint8_t h, uint8_t bpp, std::vector<uint8_t> rows)
{
    std::vector<uint8_t> file(3 + rows.size());
    file[0] = w;
    file[1] = h;
    file[2] = bpp;
    std::copy(rows.begin(), rows.end(), file.begin() + 3);
    return file;
}

} // namespace

TEST(SECImage, PaddingAndFlippingRows)
{
    // 24-bit, 5 wide, 3 high: stride 15 unpadded, 16 padded; rows top-down A, B, C.
    std::vector<uint8_t> rows;
    for (uint8_t r : {0xA, 0xB, 0xC})
        rows.insert(rows.end(), 15, r);
    TinyImage image;
    CMemFile file(Tiny(5, 3, 24, rows));
    ASSERT_TRUE(image.LoadImage(&file));
    EXPECT_EQ(image.PaddedRowLength(), 16u);
    const uint8_t* bits = image.GetBits();
    // Bottom-up: the last line (C) first, each row padded with a zero byte.
    EXPECT_EQ(bits[0], 0xC);
    EXPECT_EQ(bits[14], 0xC);
    EXPECT_EQ(bits[15], 0);
    EXPECT_EQ(bits[16], 0xB); // the middle row of an odd height stays in place
    EXPECT_EQ(bits[32], 0xA);

    BitmapInfoHeader info = image.GetInfoHeader();
    EXPECT_EQ(info.biSize, 40u);
    EXPECT_EQ(info.biWidth, 5);
    EXPECT_EQ(info.biHeight, 3);
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biSizeImage, 48u);

    ASSERT_TRUE(image.UnpadBits());
    EXPECT_EQ(bits[15], 0xB);
    EXPECT_EQ(bits[30], 0xA);
    ASSERT_TRUE(image.Padbits());
    EXPECT_EQ(bits[16], 0xB);
    EXPECT_EQ(bits[32], 0xA);
}

TEST(SECImage, EightBitRowsOfFourPixelsNeedNoMove)
{
    TinyImage image;
    CMemFile file(Tiny(4, 2, 8, {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(image.LoadImage(&file));
    EXPECT_EQ(image.PaddedRowLength(), image.UnpaddedRowLength());
    EXPECT_EQ(image.GetBits()[0], 5);
    EXPECT_EQ(image.GetBits()[4], 1);
    EXPECT_EQ(image.GetPalette().size(), 256u);
}

TEST(SECImage, AFailedLoadKeepsThePictureItHad)
{
    TinyImage image;
    CMemFile good(Tiny(2, 1, 8, {7, 9}));
    ASSERT_TRUE(image.LoadImage(&good));
    CMemFile bad(Tiny(2, 2, 8, {1})); // truncated
    EXPECT_FALSE(image.LoadImage(&bad));
    EXPECT_EQ(image.GetWidth(), 2u);
    EXPECT_EQ(image.GetHeight(), 1u);
    EXPECT_EQ(image.GetBits()[1], 9);
    EXPECT_EQ(image.GetInfoHeader().biWidth, 2);

    CMemFile other(Tiny(1, 1, 8, {3}));
    ASSERT_TRUE(image.LoadImage(&other));
    EXPECT_EQ(image.GetWidth(), 1u);
    EXPECT_EQ(image.GetBits()[0], 3);
}

TEST(SECImage, EachImageKeepsItsOwnLimits)
{
    SECDib picture;
    ASSERT_TRUE(picture.Create(10, 10, 24, 0));
    CMemFile file;
    ASSERT_TRUE(picture.SaveImage(&file));
    const std::vector<uint8_t> bytes = file.Bytes();

    // Lowered for one image, the limits hold for its loads and pictures only.
    SECDib lowered, other;
    lowered.SetLimits({99, uint64_t(1) << 20});
    CMemFile in(bytes.data(), bytes.size());
    EXPECT_FALSE(lowered.LoadImage(&in));
    EXPECT_FALSE(lowered.Create(10, 10, 24, 0));
    EXPECT_TRUE(lowered.Create(9, 11, 24, 0));
    CMemFile again(bytes.data(), bytes.size());
    EXPECT_TRUE(other.LoadImage(&again));
    // Never above the built-in ones, whatever is asked.
    lowered.SetLimits({~uint64_t(0), ~uint64_t(0)});
    EXPECT_EQ(lowered.GetLimits().maxPixels, SECImage::kMaxPixels);
    EXPECT_EQ(lowered.GetLimits().maxBytes, SECImage::kMaxImageBytes);
}

TEST(SECImage, SizesBeyondTheLimitsAreRefused)
{
    size_t bytes = 0;
    EXPECT_TRUE(SECImage::CheckedImageSize(16384, 16384, 8, bytes));
    EXPECT_EQ(bytes, 16384u * 16384u);
    EXPECT_FALSE(SECImage::CheckedImageSize(16385, 16384, 8, bytes));
    EXPECT_FALSE(SECImage::CheckedImageSize(0xFFFFFFFFu, 0xFFFFFFFFu, 24, bytes));
    EXPECT_TRUE(SECImage::CheckedImageSize(1u << 28, 1, 8, bytes)); // 2^28 pixels: at the limit
    EXPECT_FALSE(SECImage::CheckedImageSize(1u << 27, 1, 32, bytes)); // 512 MiB and more
    EXPECT_FALSE(SECImage::CheckedImageSize((1u << 28) + 1, 1, 8, bytes));
    EXPECT_FALSE(SECImage::CheckedImageSize(10, 10, 0, bytes));

    TinyImage image;
    EXPECT_FALSE(image.Create(70000, 70000, 24, 0));
    ASSERT_TRUE(image.Create(3, 2, 4, 16));
    EXPECT_EQ(image.GetBitsSize(), 8u);
    EXPECT_NE(image.GetColour(15), nullptr);
    EXPECT_EQ(image.GetColour(16), nullptr);
}

TEST(SECImage, PaletteTakesTheLargerOfColourCountAndColoursUsed)
{
    TinyImage image;
    ASSERT_TRUE(image.Create(2, 2, 8, 256));
    for (int i = 0; i < 256; ++i)
        *image.GetColour(i) = RgbQuad{static_cast<uint8_t>(i), 1, 2, 0};
    BitmapInfoHeader info = image.GetInfoHeader();
    info.biClrUsed = 100;
    image.SetInfoHeader(info);
    ASSERT_TRUE(image.CreatePalette());
    ASSERT_EQ(image.GetPalette().size(), 256u);
    EXPECT_EQ(image.GetPalette()[99], (PaletteEntry{2, 1, 99, 0}));
    EXPECT_EQ(image.GetPalette()[100], (PaletteEntry{0, 0, 0, 0}));

    info.biClrUsed = 0xFFFFFFFF; // a lying header cannot make the palette read past the table
    image.SetInfoHeader(info);
    ASSERT_TRUE(image.CreatePalette());
    EXPECT_EQ(image.GetPalette().size(), 256u);
}

TEST(SECImage, CacheReadsAndWritesThroughTheCurrentFile)
{
    TinyImage image;
    std::vector<uint8_t> data(1000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    CMemFile in(data);
    image.m_pCurFile = &in;
    ASSERT_TRUE(image.InitCache(64, 1));
    std::vector<uint8_t> back(1200);
    EXPECT_EQ(image.CacheRead(back.data(), 1200), 1000u);
    back.resize(1000);
    EXPECT_EQ(back, data);

    CMemFile out;
    image.m_pCurFile = &out;
    ASSERT_TRUE(image.InitCache(64, 2));
    for (size_t i = 0; i < data.size(); i += 10)
        ASSERT_TRUE(image.CacheWrite(data.data() + i, 10));
    ASSERT_TRUE(image.CacheFlush());
    EXPECT_EQ(out.Bytes(), data);
    image.ReleaseCache();
    image.m_pCurFile = nullptr;
}
