#include "PbkTool.h"
#include "image/SECDib.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

int Tool(const std::vector<std::string>& args, std::string* err = nullptr)
{
    std::ostringstream out, errors;
    int code = RunPbkTool(args, out, errors);
    if (err)
        *err = errors.str();
    return code;
}

// An 8-bit BMP, w x h, whose pixel (x, y) has colour index (x + y) % 4:
// red, green, blue, white.
void WriteIndexedBmp(const std::string& path, uint32_t w, uint32_t h)
{
    SECDib dib;
    ASSERT_TRUE(dib.Create(w, h, 8, 256));
    *dib.GetColour(0) = RgbQuad{0, 0, 255, 0};
    *dib.GetColour(1) = RgbQuad{0, 255, 0, 0};
    *dib.GetColour(2) = RgbQuad{255, 0, 0, 0};
    *dib.GetColour(3) = RgbQuad{255, 255, 255, 0};
    size_t stride = static_cast<size_t>(dib.PaddedRowLength());
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            dib.GetBits()[(h - 1 - y) * stride + x] = static_cast<uint8_t>((x + y) % 4);
    ASSERT_TRUE(dib.SaveImage(path));
}

} // namespace

TEST(PbkToolPictures, DecodeWritesTheDrawnPixels)
{
    TempDir dir;
    WriteIndexedBmp(dir.File("p.BMP"), 3, 2);
    ASSERT_EQ(Tool({"decode", dir.File("p.BMP"), dir.File("out.ppm")}), 0);
    std::string expected = "P6\n3 2\n255\n";
    expected += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9); // row 0: red green blue
    expected += std::string("\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 9); // row 1: green blue white
    EXPECT_EQ(ReadFileBytes(dir.File("out.ppm")), expected);

    // The BMP output decodes to the same pixels.
    ASSERT_EQ(Tool({"decode", dir.File("p.BMP"), dir.File("again.bmp")}), 0);
    ASSERT_EQ(Tool({"decode", dir.File("again.bmp"), dir.File("again.ppm")}), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("again.ppm")), expected);
}

TEST(PbkToolPictures, FailuresGiveTheViewersMessages)
{
    TempDir dir;
    WriteFileBytes(dir.File("x.jpeg"), "whatever");
    WriteFileBytes(dir.File("bad.gif"), "GIF7 is not a GIF");
    std::string err;
    EXPECT_EQ(Tool({"decode", dir.File("x.jpeg"), dir.File("o.ppm")}, &err), 1);
    EXPECT_EQ(err, "Image file " + dir.File("x.jpeg") + "\nis not a supported type\n");
    EXPECT_EQ(Tool({"decode", dir.File("bad.gif"), dir.File("o.ppm")}, &err), 1);
    EXPECT_EQ(err, "Could not load image file " + dir.File("bad.gif") + "\n");
    EXPECT_FALSE(FileExistsAt(dir.File("o.ppm")));
    EXPECT_EQ(Tool({"decode", dir.File("bad.gif"), dir.File("o.png")}), 2);

    // A screen of 8000 x 6000 and no image: nothing to draw, nothing written.
    WriteFileBytes(dir.File("screen.gif"), std::string("GIF89a\x40\x1F\x70\x17\0\0\0\x3B", 14));
    EXPECT_EQ(Tool({"decode", dir.File("screen.gif"), dir.File("o.ppm")}, &err), 1);
    EXPECT_EQ(err, "the picture cannot be drawn\n");
    EXPECT_FALSE(FileExistsAt(dir.File("o.ppm")));
}

TEST(PbkToolPictures, ShrinkMakesTheDisplayCopy)
{
    TempDir dir;
    WriteIndexedBmp(dir.File("big.bmp"), 1000, 800);
    ASSERT_EQ(Tool({"shrink", dir.File("big.bmp"), dir.File("s.ppm"), "--size", "2", "--factor", "0"}), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("s.ppm")).substr(0, 15), "P6\n500 400\n255\n");
    ASSERT_EQ(Tool({"shrink", dir.File("big.bmp"), dir.File("t.ppm"), "--size", "0", "--factor", "5"}), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("t.ppm")).substr(0, 15), "P6\n250 200\n255\n");
    ASSERT_EQ(Tool({"shrink", dir.File("big.bmp"), dir.File("u.ppm"), "--size", "3"}), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("u.ppm")).substr(0, 15), "P6\n750 600\n255\n");
    EXPECT_EQ(Tool({"shrink", dir.File("big.bmp"), dir.File("v.ppm"), "--size", "x"}), 2);
}

TEST(PbkToolPictures, ShrinkRefusesValuesOutsideASettingsRange)
{
    TempDir dir;
    WriteIndexedBmp(dir.File("big.bmp"), 1000, 800);
    std::string err;
    for (const char* size : {"1024", "-1", "4"}) {
        EXPECT_EQ(Tool({"shrink", dir.File("big.bmp"), dir.File("o.ppm"), "--size", size}, &err), 2);
        EXPECT_EQ(err, "pbktool shrink: --size must be 0 (320x240), 1 (480x360), 2 (640x480) or "
                       "3 (960x720)\n");
    }
    EXPECT_EQ(Tool({"shrink", dir.File("big.bmp"), dir.File("o.ppm"), "--factor", "6"}, &err), 2);
    EXPECT_EQ(err, "pbktool shrink: --factor must be 0 (the largest that fits), 1 (3/4), 2 (2/3), "
                   "3 (1/2), 4 (1/3) or 5 (1/4)\n");
    EXPECT_FALSE(FileExistsAt(dir.File("o.ppm")));
}
