#include "image/GifImage.h"
#include "image/SECDib.h"
#include "image/SECJpeg.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "support/NamedPipe.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

// Writes a 24-bit BMP of the given size into `path`.
void WriteBmp(const std::string& path, uint32_t width, uint32_t height)
{
    SECDib dib;
    ASSERT_TRUE(dib.Create(width, height, 24, 0));
    for (size_t i = 0; i < dib.GetBitsSize(); ++i)
        dib.GetBits()[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(dib.SaveImage(path));
}

struct BookWithPhoto {
    TempDir dir;
    CCorvaleDoc doc;
    CPhotoNode* photo;
    explicit BookWithPhoto(const std::string& fileName)
    {
        doc.m_strBookFolder = dir.Path();
        auto p = std::make_unique<CPhotoNode>();
        p->SetFileName(fileName);
        photo = doc.m_root.AddPhoto(std::move(p));
    }
};

void Put16(std::string& s, size_t at, uint32_t v)
{
    s[at] = char(v & 0xFF);
    s[at + 1] = char(v >> 8);
}

void Put32(std::string& s, size_t at, uint32_t v)
{
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}

// Files of a few bytes that declare a 4000 x 3000 picture, one per format.
std::string BmpBomb(bool rle)
{
    std::string b(54 + (rle ? 1024 + 2 : 0), '\0');
    b[0] = 'B', b[1] = 'M';
    Put32(b, 10, 54 + (rle ? 1024 : 0));
    Put32(b, 14, 40);
    Put32(b, 18, 4000);
    Put32(b, 22, 3000);
    Put16(b, 26, 1);
    Put16(b, 28, rle ? 8 : 24);
    Put32(b, 30, rle ? 1 : 0);
    if (rle)
        b[b.size() - 1] = 1; // end of bitmap
    return b;
}

std::string GifBomb()
{
    std::string b = "GIF89a";
    b += std::string("\xA0\x0F\xB8\x0B\x80\x00\x00", 7) + std::string(6, '\xFF');
    b += std::string("\x2C\0\0\0\0\xA0\x0F\xB8\x0B\0", 10);
    b += std::string("\x02\x01\x2C\x00\x3B", 5); // clear and end code only
    return b;
}

std::string PcxBomb()
{
    std::string b(128, '\0');
    b[0] = 10, b[1] = 5, b[2] = 1, b[3] = 8;
    Put16(b, 8, 3999);
    Put16(b, 10, 2999);
    b[65] = 1;
    Put16(b, 66, 4000);
    return b;
}

std::string TiffBomb()
{
    std::string b = std::string("II*\0\x08\0\0\0", 8);
    const uint16_t tags[][3] = {{256, 4, 4000}, {257, 4, 3000}, {258, 3, 8},  {259, 3, 1},
                                {262, 3, 1},    {273, 4, 200},  {278, 4, 3000}, {279, 4, 16}};
    b += std::string(2 + 12 * 8 + 4, '\0');
    Put16(b, 8, 8);
    for (size_t i = 0; i < 8; ++i) {
        size_t at = 10 + 12 * i;
        Put16(b, at, tags[i][0]);
        Put16(b, at + 2, tags[i][1]);
        Put32(b, at + 4, 1);
        Put32(b, at + 8, tags[i][2]);
    }
    b.resize(216, '\x80');
    return b;
}

std::string JpegBomb()
{
    SECJpeg small;
    EXPECT_TRUE(small.Create(16, 16, 24, 0));
    CMemFile file;
    EXPECT_TRUE(small.SaveImage(&file));
    std::string b(file.Bytes().begin(), file.Bytes().end());
    size_t sof = b.find("\xFF\xC0");
    EXPECT_NE(sof, std::string::npos);
    b[sof + 5] = char(3000 >> 8), b[sof + 6] = char(3000 & 0xFF);
    b[sof + 7] = char(4000 >> 8), b[sof + 8] = char(4000 & 0xFF);
    return b;
}

} // namespace

TEST(PhotoPicture, APictureFarLargerThanItsFileCouldHoldIsRefused)
{
    RecordingPrompter prompter;
    const std::pair<const char*, std::string> bombs[] = {
        {"gif.gif", GifBomb()},   {"jpeg.jpg", JpegBomb()},      {"pcx.pcx", PcxBomb()},
        {"tiff.tif", TiffBomb()}, {"rle.bmp", BmpBomb(true)},    {"plain.bmp", BmpBomb(false)}};
    std::vector<std::string> expected;
    for (const auto& [name, bytes] : bombs) {
        BookWithPhoto book(name);
        WriteFileBytes(book.dir.File(name), bytes);
        ASSERT_NE(book.photo->GetShownSize(), nullptr);
        EXPECT_EQ(*book.photo->GetShownSize(), (CSize{0, 0})) << name;
        expected.push_back(std::string("Could not load image file ") + name);
    }
    EXPECT_EQ(prompter.Texts(), expected);

    // A picture its coding packs tightly is no bomb: 8 million equal pixels
    // in a few kilobytes of GIF.
    BookWithPhoto flat("flat.gif");
    CGifImage picture;
    ASSERT_TRUE(picture.Create(4000, 2000, 8, 256));
    ASSERT_TRUE(picture.SaveImage(flat.dir.File("flat.gif")));
    ASSERT_NE(flat.photo->GetShownSize(), nullptr);
    EXPECT_EQ(*flat.photo->GetShownSize(), (CSize{4000, 2000}));
    EXPECT_EQ(prompter.m_entries.size(), expected.size());
}

TEST(PhotoPicture, LoadsByTheEndingWhateverTheLetterCase)
{
    BookWithPhoto book("Pictures\\SUNSET.bmp");
    std::filesystem::create_directories(book.dir.File("pictures"));
    WriteBmp(book.dir.File("pictures/Sunset.BMP"), 30, 20);
    RecordingPrompter prompter;
    ASSERT_NE(book.photo->GetShownImage(), nullptr);
    EXPECT_EQ(book.photo->m_pImage->GetClassName(), std::string("SECDib"));
    ASSERT_NE(book.photo->GetShownSize(), nullptr);
    EXPECT_EQ(*book.photo->GetShownSize(), (CSize{30, 20}));
    EXPECT_TRUE(prompter.m_entries.empty());
    EXPECT_EQ(prompter.m_nWaitCount, 1);
    EXPECT_EQ(prompter.m_nWaitDepth, 0);
}

TEST(PhotoPicture, MissingUnsupportedAndBrokenPictures)
{
    RecordingPrompter prompter;
    {
        BookWithPhoto book("gone.gif"); // no file: nothing drawn, nothing said
        EXPECT_EQ(book.photo->GetShownImage(), nullptr);
        EXPECT_EQ(book.photo->GetShownSize(), nullptr);
    }
    EXPECT_TRUE(prompter.m_entries.empty());
    {
        BookWithPhoto book("photo.jpeg");
        WriteFileBytes(book.dir.File("photo.jpeg"), "x");
        EXPECT_EQ(book.photo->GetShownImage(), nullptr);
        EXPECT_EQ(book.photo->GetShownImage(), nullptr); // asked again, tried again
    }
    EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{"Image file photo.jpeg\nis not a supported type",
                                                          "Image file photo.jpeg\nis not a supported type"}));
    prompter.m_entries.clear();
    {
        BookWithPhoto book("broken.gif");
        WriteFileBytes(book.dir.File("broken.gif"), "not a gif");
        SECImage* failed = book.photo->GetShownImage();
        ASSERT_NE(failed, nullptr); // the failed image object stays
        EXPECT_EQ(*book.photo->GetShownSize(), (CSize{0, 0}));
        EXPECT_EQ(book.photo->GetShownImage(), failed); // not tried again
    }
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Could not load image file broken.gif"});
}

TEST(PhotoPicture, EachBookLoadsFromItsOwnFolderAndALoadAloneSaysNothing)
{
    RecordingPrompter prompter;
    BookWithPhoto first("a.bmp"), second("a.bmp");
    WriteBmp(first.dir.File("a.bmp"), 30, 20);
    WriteBmp(second.dir.File("a.bmp"), 40, 10);
    EXPECT_EQ(*second.photo->GetShownSize(), (CSize{40, 10}));
    EXPECT_EQ(*first.photo->GetShownSize(), (CSize{30, 20}));

    // The load itself only returns what to say; the book is the one that says it.
    BookWithPhoto odd("odd.jpeg");
    WriteFileBytes(odd.dir.File("odd.jpeg"), "x");
    PictureResult result = odd.photo->LoadPicture(odd.doc.GetPictureSource());
    EXPECT_EQ(result.status, PictureStatus::NotSupported);
    EXPECT_EQ(result.message, "Image file odd.jpeg\nis not a supported type");
    EXPECT_TRUE(prompter.m_entries.empty());
}

TEST(PhotoPicture, APipeOrDeviceInAPicturesPlaceFailsAtOnce)
{
    RecordingPrompter prompter;
    std::vector<std::string> expected;
    for (const char* ending : {".gif", ".jpg", ".bmp", ".tif", ".pcx"}) {
        for (const char* kind : {"pipe", "device"}) {
            std::string name = kind + std::string(ending);
            BookWithPhoto book(name);
            std::unique_ptr<NamedPipe> pipe;
            if (kind == std::string("pipe"))
                pipe = std::make_unique<NamedPipe>(book.dir.File(name));
            else
                ASSERT_EQ(::symlink("/dev/zero", book.dir.File(name).c_str()), 0);
            ASSERT_NE(book.photo->GetShownSize(), nullptr);
            EXPECT_EQ(*book.photo->GetShownSize(), (CSize{0, 0}));
            expected.push_back("Could not load image file " + name);
        }
    }
    EXPECT_EQ(prompter.Texts(), expected);
}

TEST(PhotoPicture, DisplayCopyFollowsTheSettings)
{
    BookWithPhoto book("big.bmp");
    WriteBmp(book.dir.File("big.bmp"), 1000, 800);
    DisplaySettings settings; // shrink on, 640 x 480, largest reasonable size
    book.photo->PrepareDisplayImage(settings, false);
    ASSERT_NE(book.photo->m_pDisplayImage, nullptr);
    EXPECT_EQ(book.photo->m_sizeDisplay, (CSize{500, 400}));
    EXPECT_EQ(*book.photo->GetShownSize(), (CSize{500, 400}));
    EXPECT_EQ(book.photo->GetShownImage(), book.photo->m_pDisplayImage.get());
    EXPECT_EQ(book.photo->m_pDisplayImage->GetBitsPerPixel(), 24);

    // Shrinking switched off leaves the copy as it is; a new threshold that the
    // picture does not reach drops it.
    settings.shrinkLargeImages = false;
    book.photo->PrepareDisplayImage(settings, true);
    EXPECT_NE(book.photo->m_pDisplayImage, nullptr);
    settings.shrinkLargeImages = true;
    settings.shrinkSize = 3; // 960 x 720: 800 high is enough, 1000 wide too -> shrinks
    book.photo->PrepareDisplayImage(settings, true);
    EXPECT_EQ(book.photo->m_sizeDisplay, (CSize{750, 600}));

    BookWithPhoto wide("wide.bmp");
    WriteBmp(wide.dir.File("wide.bmp"), 700, 400); // below 480 high: never shrunk at size 2
    DisplaySettings defaults;
    wide.photo->PrepareDisplayImage(defaults, false);
    EXPECT_EQ(wide.photo->m_pDisplayImage, nullptr);
    EXPECT_EQ(wide.photo->m_sizeDisplay, (CSize{700, 400}));

    book.photo->FreeDisplayImage();
    EXPECT_EQ(book.photo->m_pDisplayImage, nullptr);
    EXPECT_EQ(book.photo->m_sizeDisplay, (CSize{0, 0}));
}

TEST(PhotoPicture, PicturesShownLongAgoGiveWayToTheBudgetAndLoadAgainWhenWanted)
{
    RecordingPrompter prompter;
    TempDir dir;
    CCorvaleDoc doc;
    doc.m_strBookFolder = dir.Path();
    // Six pictures of 1.2 MB each, clicked through in turn, in a budget of 4 MB.
    PictureBudget::RunAll(doc.GetPictureBudget().SetLimit(uint64_t(4) << 20));
    std::vector<CPhotoNode*> photos;
    for (int i = 0; i < 6; ++i) {
        std::string name = "p" + std::to_string(i) + ".bmp";
        WriteBmp(dir.File(name), 800, 500);
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName(name);
        photos.push_back(doc.m_root.AddPhoto(std::move(photo)));
    }
    DisplaySettings settings;
    for (CPhotoNode* photo : photos) {
        photo->PrepareDisplayImage(settings, false);
        ASSERT_NE(photo->GetShownImage(), nullptr);
        EXPECT_LE(doc.GetPictureBudget().Used(), uint64_t(4) << 20);
    }
    // The three shown last are kept; the first ones went, oldest first.
    EXPECT_EQ(photos[0]->m_pImage, nullptr);
    EXPECT_EQ(photos[1]->m_pImage, nullptr);
    EXPECT_EQ(photos[2]->m_pImage, nullptr);
    EXPECT_NE(photos[5]->m_pImage, nullptr);
    EXPECT_NE(photos[5]->m_pDisplayImage, nullptr);
    // Back to the first: it is read again, and the oldest of the rest gives way.
    photos[0]->PrepareDisplayImage(settings, false);
    ASSERT_NE(photos[0]->GetShownImage(), nullptr);
    EXPECT_EQ(*photos[0]->GetShownSize(), (CSize{600, 375}));
    EXPECT_EQ(photos[3]->m_pImage, nullptr);
    EXPECT_TRUE(prompter.m_entries.empty());
    // Closing the book leaves no account open.
    doc.DeleteContents();
    EXPECT_EQ(doc.GetPictureBudget().Used(), 0u);
}
