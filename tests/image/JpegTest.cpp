#include "image/SECJpeg.h"

#include "ReferenceTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// Largest difference of any sample between two pictures of the same size.
int MaxDifference(const RgbPicture& a, const RgbPicture& b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
        return 256;
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        worst = std::max(worst, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
    return worst;
}

double MeanDifference(const RgbPicture& a, const RgbPicture& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return a.rgb.empty() ? 0 : sum / double(a.rgb.size());
}

// The marker segments of a file as [start, end) byte ranges, the entropy-coded
// data after each scan header skipped.
std::vector<std::pair<size_t, size_t>> MarkerSegments(const std::vector<uint8_t>& jpeg)
{
    std::vector<std::pair<size_t, size_t>> segments;
    size_t i = 2;
    while (i + 1 < jpeg.size() && jpeg[i] == 0xFF) {
        uint8_t marker = jpeg[i + 1];
        if (marker == 0xD9 || i + 3 >= jpeg.size()) {
            segments.push_back({i, i + 2});
            break;
        }
        size_t end = i + 2 + (size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]);
        segments.push_back({i, end});
        i = end;
        if (marker == 0xDA) {
            while (i + 1 < jpeg.size() &&
                   !(jpeg[i] == 0xFF && jpeg[i + 1] != 0 && (jpeg[i + 1] < 0xD0 || jpeg[i + 1] > 0xD7)))
                ++i;
        }
    }
    return segments;
}

// Where the header of the first scan ends (0 when there is none).
size_t FirstScanStart(const std::vector<uint8_t>& jpeg, size_t* sosMarker = nullptr)
{
    for (auto segment : MarkerSegments(jpeg))
        if (jpeg[segment.first + 1] == 0xDA) {
            if (sosMarker)
                *sosMarker = segment.first;
            return segment.second;
        }
    return 0;
}

// The SOF marker's height and width fields.
size_t FrameSizeOffset(const std::vector<uint8_t>& jpeg)
{
    for (size_t i = 2; i + 3 < jpeg.size();) {
        uint8_t marker = jpeg[i + 1];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)
            return i + 5;
        i += 2 + (size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]);
    }
    return 0;
}

// Loads `bytes` and checks that whatever happens leaves a consistent image.
bool LoadAndCheck(const std::vector<uint8_t>& bytes, SECJpeg& image)
{
    CMemFile file(bytes);
    bool ok = image.LoadImage(&file);
    if (ok) {
        EXPECT_TRUE(image.HasPicture());
        EXPECT_GE(image.GetBitsSize(), image.PaddedRowLength() * image.GetHeight());
        EXPECT_EQ(image.GetInfoHeader().biWidth, int32_t(image.GetWidth()));
        EXPECT_EQ(image.GetInfoHeader().biHeight, int32_t(image.GetHeight()));
    } else {
        EXPECT_FALSE(image.HasPicture());
    }
    return ok;
}

// A screen of 256 colours for as long as it lives.
struct PaletteScreen {
    PaletteScreen() { SECImage::SetScreenFormat(8, 1); }
    ~PaletteScreen() { SECImage::SetScreenFormat(32, 1); }
};

class JpegFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!RefHaveImageMagick())
            GTEST_SKIP() << "ImageMagick (convert-im6.q16) is not installed";
    }
    // A 67 x 45 colour picture with detail everywhere (odd sizes exercise
    // padding and partial blocks).
    std::string MagickJpeg(const std::string& name, const std::string& options)
    {
        std::string path = m_dir.File(name);
        EXPECT_TRUE(RefMagick("-seed 7 -size 67x45 plasma:fractal " + options + " " + RefQuote(path)));
        return path;
    }
    TempDir m_dir;
};

} // namespace

TEST_F(JpegFiles, ThirdPartyFilesDecodeLikeTheReferenceDecoder)
{
    struct Case {
        std::string name;
        bool pillow;
        std::string options; // ImageMagick options or Pillow save arguments
        bool grey;
    };
    const Case cases[] = {
        {"im-baseline.jpg", false, "-quality 85", false},
        {"im-progressive.jpg", false, "-quality 85 -interlace Plane", false},
        {"im-grey.jpg", false, "-colorspace Gray -quality 90", true},
        {"im-444.jpg", false, "-sampling-factor 1x1 -quality 95", false},
        {"pil-baseline.jpg", true, "quality=80", false},
        {"pil-progressive.jpg", true, "quality=80, progressive=True", false},
        {"pil-grey.jpg", true, "quality=80", true},
        {"pil-422.jpg", true, "quality=90, subsampling=1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = m_dir.File(c.name);
        std::string scratch = m_dir.File(c.name + ".ppm");
        RgbPicture reference;
        if (c.pillow) {
            if (!RefHavePillow())
                GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
            ASSERT_TRUE(RefPillow("import sys\nfrom PIL import Image\n"
                                  "im = Image.new('RGB', (53, 37))\n"
                                  "im.putdata([((x * 7 + y * 3) % 256, (x * y) % 256, (x * 13 ^ y * 5) % 256)"
                                  " for y in range(37) for x in range(53)])\n"
                                  "if sys.argv[2] == 'grey': im = im.convert('L')\n"
                                  "im.save(sys.argv[1], 'JPEG', " +
                                      c.options + ")\n",
                                  {path, c.grey ? "grey" : "colour"}));
            ASSERT_TRUE(RefPillowPixels(path, scratch, reference));
        } else {
            MagickJpeg(c.name, c.options);
            ASSERT_TRUE(RefMagickPixels(path, scratch, reference));
        }
        SECJpeg image;
        ASSERT_TRUE(image.LoadImage(path));
        EXPECT_STREQ(image.GetClassName(), "SECJpeg");
        EXPECT_EQ(image.GetBitsPerPixel(), 24);
        EXPECT_EQ(image.GetColourCount(), 0);
        RgbPicture ours;
        ASSERT_TRUE(RefImagePixels(image, ours));
        EXPECT_LE(MaxDifference(ours, reference), 1);
        if (c.grey) {
            // Grey pictures become 24 bits with equal blue, green and red.
            const uint8_t* bits = image.GetBits();
            const uint64_t stride = image.PaddedRowLength();
            for (uint32_t y = 0; y < image.GetHeight(); ++y)
                for (uint32_t x = 0; x < image.GetWidth(); ++x) {
                    const uint8_t* p = bits + y * stride + 3 * x;
                    ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
                }
        }
    }
}

TEST_F(JpegFiles, ColourPixelsAreHeldBlueGreenRed)
{
    std::string path = m_dir.File("red.jpg");
    ASSERT_TRUE(RefMagick("-size 16x8 xc:'#FF0000' -quality 100 " + RefQuote(path)));
    SECJpeg image;
    ASSERT_TRUE(image.LoadImage(path));
    const uint8_t* p = image.GetBits();
    EXPECT_LE(p[0], 2);   // blue
    EXPECT_LE(p[1], 2);   // green
    EXPECT_GE(p[2], 253); // red
}

TEST_F(JpegFiles, CmykFilesBecomeColourPictures)
{
    std::string path = MagickJpeg("cmyk.jpg", "-colorspace CMYK -quality 95");
    RgbPicture reference, ours;
    ASSERT_TRUE(RefMagickPixels(path, m_dir.File("cmyk.ppm"), reference));
    SECJpeg image;
    ASSERT_TRUE(image.LoadImage(path));
    ASSERT_TRUE(RefImagePixels(image, ours));
    EXPECT_LE(MaxDifference(ours, reference), 2);
}

TEST(JpegLoad, EmptyFileFailsSilently)
{
    SECJpeg image;
    CMemFile empty;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.LoadImage(&empty));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(image.GetLibraryMessage(), "Empty input file");
    EXPECT_FALSE(image.HasPicture());
    EXPECT_EQ(image.GetWidth(), 0u);

    CMemFile notJpeg(Bytes("GIF89a not a JPEG at all"));
    EXPECT_FALSE(image.LoadImage(&notJpeg));
}

TEST_F(JpegFiles, DataCutShortLoadsWithTheTopIntact)
{
    for (const char* options : {"-quality 90", "-quality 90 -interlace Plane"}) {
        SCOPED_TRACE(options);
        std::string path = MagickJpeg("cut.jpg", options);
        std::vector<uint8_t> whole = Bytes(ReadFileBytes(path));
        size_t sos = 0;
        size_t scanStart = FirstScanStart(whole, &sos);
        ASSERT_GT(scanStart, 0u);

        SECJpeg complete;
        ASSERT_TRUE(LoadAndCheck(whole, complete));
        RgbPicture full;
        ASSERT_TRUE(RefImagePixels(complete, full));

        auto segments = MarkerSegments(whole);
        auto insideSegment = [&](size_t cut) {
            return std::any_of(segments.begin(), segments.end(),
                               [cut](auto s) { return s.first < cut && cut < s.second; });
        };
        testing::internal::CaptureStderr();
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            SCOPED_TRACE(cut);
            std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));
            SECJpeg image;
            bool ok = LoadAndCheck(part, image);
            // Before the first scan there is no image. Cut in entropy-coded
            // data, the inserted end-of-image marker lets the picture finish;
            // cut inside a marker segment, it depends on the bytes missing.
            if (cut <= sos) {
                EXPECT_FALSE(ok);
            } else if (cut >= scanStart && !insideSegment(cut)) {
                ASSERT_TRUE(ok);
                EXPECT_EQ(image.GetWidth(), 67u);
                EXPECT_EQ(image.GetHeight(), 45u);
                EXPECT_EQ(image.GetLibraryMessage(), "Premature end of JPEG file");
            }
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

        if (std::string(options).find("Plane") == std::string::npos) {
            // A baseline file cut after two thirds of its data keeps its top rows.
            size_t cut = scanStart + (whole.size() - scanStart) * 2 / 3;
            SECJpeg image;
            ASSERT_TRUE(LoadAndCheck(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)), image));
            RgbPicture partial;
            ASSERT_TRUE(RefImagePixels(image, partial));
            size_t topBytes = size_t(16) * 67 * 3; // the first row of 16-line blocks
            EXPECT_TRUE(std::equal(full.rgb.begin(), full.rgb.begin() + long(topBytes), partial.rgb.begin()));
            EXPECT_NE(full.rgb, partial.rgb);
        }
    }
}

TEST_F(JpegFiles, CorruptDataNeverCrashesOrPrints)
{
    std::string path = MagickJpeg("good.jpg", "-quality 80");
    std::vector<uint8_t> good = Bytes(ReadFileBytes(path));
    size_t scanStart = FirstScanStart(good);
    ASSERT_GT(scanStart, 0u);
    std::mt19937 random(12345);
    testing::internal::CaptureStderr();

    // Random entropy data without markers: always a picture of the header's size.
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + long(scanStart));
        for (int i = 0; i < 3000; ++i)
            bytes.push_back(uint8_t(random() % 255)); // never 0xFF
        SECJpeg image;
        ASSERT_TRUE(LoadAndCheck(bytes, image));
        EXPECT_EQ(image.GetWidth(), 67u);
        EXPECT_EQ(image.GetHeight(), 45u);
    }
    // Random bytes anywhere, markers included, and damaged headers: a
    // consistent picture or a clean failure.
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        if (round % 2) {
            bytes.resize(scanStart + random() % 64);
            for (size_t i = scanStart; i < bytes.size(); ++i)
                bytes[i] = uint8_t(random());
        } else {
            for (int flips = 1 + round % 4; flips > 0; --flips)
                bytes[2 + random() % (scanStart - 2)] = uint8_t(random());
        }
        SECJpeg image;
        LoadAndCheck(bytes, image);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(JpegFiles, ImpossibleSizesFailAndKeepThePictureHeld)
{
    std::string path = MagickJpeg("small.jpg", "-quality 80");
    std::vector<uint8_t> good = Bytes(ReadFileBytes(path));
    size_t sizeAt = FrameSizeOffset(good);
    ASSERT_GT(sizeAt, 0u);

    SECJpeg image;
    ASSERT_TRUE(LoadAndCheck(good, image));
    struct Size {
        uint16_t width, height;
    };
    for (Size s : {Size{65535, 65535}, Size{40000, 40000}, Size{67, 0}, Size{0, 45}}) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
        std::vector<uint8_t> bytes = good;
        bytes[sizeAt] = uint8_t(s.height >> 8);
        bytes[sizeAt + 1] = uint8_t(s.height);
        bytes[sizeAt + 2] = uint8_t(s.width >> 8);
        bytes[sizeAt + 3] = uint8_t(s.width);
        CMemFile file(bytes);
        EXPECT_FALSE(image.LoadImage(&file));
        // The picture held before the failed load is still there.
        EXPECT_TRUE(image.HasPicture());
        EXPECT_EQ(image.GetWidth(), 67u);
        EXPECT_EQ(image.GetHeight(), 45u);
    }
}

TEST_F(JpegFiles, EndlessScansAreRefused)
{
    // A progressive file whose last scan is repeated a few thousand times.
    std::string path = MagickJpeg("scans.jpg", "-quality 80 -interlace Plane");
    std::vector<uint8_t> good = Bytes(ReadFileBytes(path));
    size_t lastScan = 0;
    for (size_t i = 0; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xDA)
            lastScan = i;
    ASSERT_GT(lastScan, 0u);
    ASSERT_EQ(good[good.size() - 2], 0xFF);
    std::vector<uint8_t> scan(good.begin() + long(lastScan), good.end() - 2);
    std::vector<uint8_t> bytes(good.begin(), good.end() - 2);
    for (int i = 0; i < 1500; ++i)
        bytes.insert(bytes.end(), scan.begin(), scan.end());
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
    SECJpeg image;
    EXPECT_FALSE(LoadAndCheck(bytes, image));
    EXPECT_EQ(image.GetLibraryMessage(), "Too many scans in JPEG file");
}

TEST_F(JpegFiles, PaletteScreensGetQuantisedPictures)
{
    std::string colourPath = MagickJpeg("colour.jpg", "-quality 90");
    std::string greyPath = MagickJpeg("grey.jpg", "-colorspace Gray -quality 90");
    PaletteScreen screen;
    for (const std::string& path : {colourPath, greyPath}) {
        SCOPED_TRACE(path);
        SECJpeg image;
        EXPECT_TRUE(image.m_bQuantize);
        ASSERT_TRUE(image.LoadImage(path));
        EXPECT_EQ(image.GetBitsPerPixel(), 8);
        EXPECT_EQ(image.GetColourCount(), 256);
        EXPECT_TRUE(image.HasPalette());
        RgbPicture ours, reference;
        ASSERT_TRUE(RefImagePixels(image, ours));
        ASSERT_TRUE(RefMagickPixels(path, path + ".ppm", reference));
        EXPECT_LT(MeanDifference(ours, reference), 10.0); // dithered to 256 colours
        EXPECT_LE(MaxDifference(ours, reference), 64);
    }
    // Colour-table entries hold blue, green and red in their places.
    std::string red = m_dir.File("red.jpg");
    ASSERT_TRUE(RefMagick("-size 16x8 xc:'#FF0000' -quality 100 " + RefQuote(red)));
    SECJpeg image;
    ASSERT_TRUE(image.LoadImage(red));
    const RgbQuad* q = image.GetColour(image.GetBits()[0]);
    ASSERT_NE(q, nullptr);
    EXPECT_GE(q->red, 240);
    EXPECT_LE(q->blue, 15);
}

namespace {

// A 24-bit picture of smooth colour ramps (bottom-up rows, as held).
void FillRamps(SECImage& image)
{
    const uint64_t stride = image.PaddedRowLength();
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            uint8_t* p = image.GetBits() + y * stride + 3 * x;
            p[0] = uint8_t(x * 255 / image.GetWidth());          // blue rises to the right
            p[1] = 128;                                           // green flat
            p[2] = uint8_t(y * 255 / image.GetHeight());          // red rises upwards
        }
}

// Indexed pictures: wide vertical bars of colour 0, 1, 2 ... (bottom-up rows).
void FillBars(SECImage& image, int colours)
{
    const uint64_t stride = image.PaddedRowLength();
    const RgbQuad table[4] = {{0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}};
    for (int i = 0; i < colours && i < 4; ++i)
        *image.GetColour(size_t(i)) = table[i];
    const int bits = image.GetBitsPerPixel();
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x) {
            unsigned index = (x / 16) % unsigned(colours);
            uint8_t* row = image.GetBits() + y * stride;
            if (bits == 8)
                row[x] = uint8_t(index);
            else if (bits == 4)
                row[x / 2] |= uint8_t(index << (x % 2 ? 0 : 4));
            else
                row[x / 8] |= uint8_t(index << (7 - x % 8));
        }
}

// A file whose writes fail, as on a full disk.
class FullDiskFile : public CMemFile {
public:
    bool Write(const void*, size_t) override { return false; }
};

} // namespace

TEST(JpegSave, WrittenPicturesReadBackAndStayUnchanged)
{
    struct Case {
        int bits;
        uint32_t width;
    };
    for (Case c : {Case{24, 61}, Case{24, 64}, Case{8, 61}, Case{4, 61}, Case{1, 61}}) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, width " + std::to_string(c.width));
        SECJpeg image;
        ASSERT_TRUE(image.Create(c.width, 40, c.bits, c.bits == 24 ? 0 : uint16_t(1u << c.bits)));
        if (c.bits == 24)
            FillRamps(image);
        else
            FillBars(image, c.bits == 1 ? 2 : 4);
        RgbPicture before;
        ASSERT_TRUE(RefImagePixels(image, before));

        CMemFile file;
        ASSERT_TRUE(image.SaveImage(&file));
        RgbPicture unchanged;
        ASSERT_TRUE(RefImagePixels(image, unchanged));
        EXPECT_EQ(unchanged.rgb, before.rgb);
        EXPECT_TRUE(image.IsPadded());

        SECJpeg back;
        ASSERT_TRUE(LoadAndCheck(file.Bytes(), back));
        EXPECT_EQ(back.GetWidth(), c.width);
        EXPECT_EQ(back.GetHeight(), 40u);
        RgbPicture after;
        ASSERT_TRUE(RefImagePixels(back, after));
        // Lossy, but close; hard colour edges ring more than ramps.
        EXPECT_LT(MeanDifference(before, after), c.bits == 24 ? 2.0 : 6.0);

        if (RefHaveImageMagick()) {
            // Other decoders read the file the same way.
            TempDir dir;
            ASSERT_TRUE(WriteFileBytes(dir.File("out.jpg"),
                                       std::string(file.Bytes().begin(), file.Bytes().end())));
            RgbPicture reference;
            ASSERT_TRUE(RefMagickPixels(dir.File("out.jpg"), dir.File("out.ppm"), reference));
            EXPECT_LE(MaxDifference(after, reference), 1);
        }
    }
}

TEST(JpegSave, UnwritablePicturesAndFilesFail)
{
    SECJpeg image;
    CMemFile file;
    EXPECT_FALSE(image.SaveImage(&file)); // no picture

    ASSERT_TRUE(image.Create(20, 10, 24, 0));
    FillRamps(image);
    std::vector<uint8_t> bitsBefore(image.GetBits(), image.GetBits() + image.GetBitsSize());
    FullDiskFile full;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.SaveImage(&full));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(image.GetLibraryMessage(), "Output file write error --- out of disk space?");
    EXPECT_EQ(std::vector<uint8_t>(image.GetBits(), image.GetBits() + image.GetBitsSize()), bitsBefore);

    // 16- and 32-bit pictures are not written.
    ASSERT_TRUE(image.Create(20, 10, 32, 0));
    EXPECT_FALSE(image.SaveImage(&file));
    EXPECT_TRUE(file.Bytes().empty());
}
