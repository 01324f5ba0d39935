#include "image/SECDib.h"
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
        CCorvaleDoc::SetActiveBook(&doc);
        auto p = std::make_unique<CPhotoNode>();
        p->SetFileName(fileName);
        photo = doc.m_root.AddPhoto(std::move(p));
    }
};

} // namespace

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
    EXPECT_EQ(book.photo->m_pDisplayImage->m_nBitsPerPixel, 24);

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
