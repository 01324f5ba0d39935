#include "ReferenceTools.h"
#include "image/PngEncoder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

// Every pixel comes back exactly through a third-party decoder; an odd width
// and sharp edges take each filter predictor through its corner cases.
TEST(PngEncoder, DecodesToTheSamePixels)
{
    if (!RefHaveImageMagick())
        GTEST_SKIP() << "ImageMagick is not installed";
    const uint32_t width = 37, height = 23;
    std::vector<uint32_t> pixels(size_t(width) * height);
    uint32_t seed = 7;
    for (size_t i = 0; i < pixels.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        pixels[i] = (i % width < 5) ? 0xFFFFFFFFu : (0xFF000000u | (seed >> 8));
    }
    std::string png;
    ASSERT_TRUE(EncodePng(pixels, width, height, png));
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("p.png"), png));
    RgbPicture decoded;
    ASSERT_TRUE(RefMagickPixels(dir.File("p.png"), dir.File("p.ppm"), decoded));
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        ASSERT_EQ(decoded.rgb[i * 3], uint8_t(pixels[i] >> 16)) << i;
        ASSERT_EQ(decoded.rgb[i * 3 + 1], uint8_t(pixels[i] >> 8)) << i;
        ASSERT_EQ(decoded.rgb[i * 3 + 2], uint8_t(pixels[i])) << i;
    }

    EXPECT_FALSE(EncodePng(pixels, width + 1, height, png));
    EXPECT_TRUE(png.empty());
    EXPECT_FALSE(EncodePng({}, 0, 0, png));
}
