// End to end: pictures written by ImageMagick and Pillow, loaded through the
// class the viewer chooses by file name and drawn by DibRenderer, give the
// reference decoder's pixels (JPEG within 1 per sample).

#include "ReferenceTools.h"
#include "image/DibRenderer.h"
#include "image/ImageFactory.h"
#include "image/SECImage.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct Case {
    const char* name;    // output file name; its ending picks the class
    const char* magick;  // ImageMagick options that make it (empty: made by Pillow)
    const char* pillow;  // Pillow save call for `im` to sys.argv[1]
    int tolerance;
};

const Case kCases[] = {
    {"g87.gif", "gif87:", nullptr, 0},
    {"g89i.gif", "-interlace GIF", nullptr, 0},
    {"b1.bmp", "-type bilevel -compress none", nullptr, 0},
    {"b4.bmp", "-colors 16 -type palette -compress none", nullptr, 0},
    {"b8.bmp", "-colors 200 -type palette -compress none", nullptr, 0},
    {"b8rle.bmp", "-colors 200 -type palette -compress RLE", nullptr, 0},
    {"b24.bmp", "-type truecolor -compress none", nullptr, 0},
    {"b32.bmp", "-type truecolormatte -compress none -define bmp:format=bmp4", nullptr, 0},
    {"bp.bmp", nullptr, "im.convert('P').save(sys.argv[1])", 0},
    {"p8.pcx", "-colors 200 -type palette", nullptr, 0},
    {"p24.pcx", nullptr, "im.save(sys.argv[1])", 0},
    {"j.jpg", "-quality 90", nullptr, 1},
    {"jp.jpg", "-interlace JPEG -quality 85", nullptr, 1},
    {"jg.jpg", "-colorspace Gray -quality 90", nullptr, 1},
    {"jpil.jpg", nullptr, "im.save(sys.argv[1], quality=92)", 1},
    {"t.tif", "-compress LZW", nullptr, 0},
    {"tt.tif", "-compress Zip -define tiff:tile-geometry=16x16", nullptr, 0},
    {"tp.tif", "-type palette -colors 64 -compress None", nullptr, 0},
    {"tpl.tif", "-compress RLE -interlace Plane", nullptr, 0},
};

// A 37 x 23 picture with gradients and hard edges, written as `source` (PPM).
void MakeSource(const std::string& source)
{
    RgbPicture picture;
    picture.width = 37;
    picture.height = 23;
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) {
            picture.rgb.push_back(static_cast<uint8_t>(x * 7));
            picture.rgb.push_back(static_cast<uint8_t>(y * 11));
            picture.rgb.push_back(static_cast<uint8_t>((x / 5 + y / 4) % 2 ? 230 : 20));
        }
    ASSERT_TRUE(RefWritePpm(source, picture));
}

} // namespace

TEST(RenderReference, ThirdPartyFilesDrawAsTheirDecoderShowsThem)
{
    if (!RefHaveImageMagick() || !RefHavePillow())
        GTEST_SKIP() << "ImageMagick or Pillow missing";
    TempDir dir;
    std::string source = dir.File("source.ppm");
    MakeSource(source);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::string file = dir.File(c.name);
        if (c.magick) {
            std::string options = c.magick;
            std::string target = file;
            if (options.back() == ':') { // a format prefix such as "gif87:"
                target = options + file;
                options.clear();
            }
            ASSERT_TRUE(RefMagick(RefQuote(source) + " " + options + " " + RefQuote(target)));
        } else {
            std::string script = "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[2])\n" +
                                 std::string(c.pillow) + "\n";
            ASSERT_TRUE(RefPillow(script, {file, source}));
        }
        RgbPicture reference;
        ASSERT_TRUE(RefMagickPixels(file, dir.File("ref.ppm"), reference));

        std::unique_ptr<SECImage> image = CreateImageForFileName(file);
        ASSERT_NE(image, nullptr);
        ASSERT_TRUE(image->LoadImage(file));
        std::vector<uint32_t> pixels;
        uint32_t width = 0, height = 0;
        ASSERT_TRUE(DibRenderer::Render(*image, pixels, width, height));
        ASSERT_EQ(width, reference.width);
        ASSERT_EQ(height, reference.height);
        int worst = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            int r = (pixels[i] >> 16) & 0xFF, g = (pixels[i] >> 8) & 0xFF, b = pixels[i] & 0xFF;
            worst = std::max({worst, std::abs(r - reference.rgb[3 * i]), std::abs(g - reference.rgb[3 * i + 1]),
                              std::abs(b - reference.rgb[3 * i + 2])});
        }
        EXPECT_LE(worst, c.tolerance);
    }
}
