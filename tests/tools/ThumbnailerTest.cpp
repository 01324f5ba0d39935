#include "ThumbnailerTool.h"
#include "app/BookThumbnail.h"
#include "image/SECDib.h"
#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

void WritePicture(const std::string& path, uint32_t width, uint32_t height)
{
    SECDib dib;
    ASSERT_TRUE(dib.Create(width, height, 24, 0));
    for (size_t i = 0; i < dib.GetBitsSize(); ++i)
        dib.GetBits()[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(dib.SaveImage(path));
}

std::unique_ptr<CPhotoNode> Node(const std::string& fileName, bool group = false)
{
    auto node = std::make_unique<CPhotoNode>();
    node->SetFileName(fileName);
    node->m_bGroup = group;
    return node;
}

// The root holds a group and then a tall photograph. The group holds a
// missing picture (with a sound clip), a damaged one, and a sub-group whose
// wide photograph is the first picture in tree order.
std::string TreeBook()
{
    CCorvaleDoc doc;
    auto group = Node("", true);
    auto gone = Node("gone.bmp");
    auto sound = std::make_unique<CMediaNode>();
    sound->SetFileName("tall.bmp");
    gone->AddMedia(std::move(sound));
    group->AddPhoto(std::move(gone));
    group->AddPhoto(Node("BROKEN.BMP"));
    auto inner = Node("", true);
    inner->AddPhoto(Node("wide.bmp"));
    group->AddPhoto(std::move(inner));
    doc.m_root.AddPhoto(std::move(group));
    doc.m_root.AddPhoto(Node("tall.bmp"));
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

void PngSize(const std::string& png, uint32_t& width, uint32_t& height)
{
    ASSERT_GE(png.size(), 24u);
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    auto word = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
               uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]);
    };
    width = word(16);
    height = word(20);
}

struct BookFolder {
    BookFolder()
    {
        WriteFileBytes(dir.File("book.pbk"), TreeBook());
        WriteFileBytes(dir.File("broken.bmp"), "BM not a picture");
        WritePicture(dir.File("wide.bmp"), 200, 100);
        WritePicture(dir.File("tall.bmp"), 100, 200);
    }
    TempDir dir;
};

int RunTool(const std::vector<std::string>& args, std::string& err)
{
    std::ostringstream stream;
    int code = RunThumbnailer(args, stream);
    err = stream.str();
    return code;
}

} // namespace

TEST(Thumbnailer, FirstPictureInTreeOrderFittedIntoTheSquare)
{
    BookFolder book;
    std::string png;
    uint32_t width = 0, height = 0;
    ASSERT_EQ(MakeBookThumbnail(book.dir.File("book.pbk"), 64, png), ThumbnailResult::Made);
    PngSize(png, width, height);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(height, 32u);
    // A picture inside the square is not enlarged.
    ASSERT_EQ(MakeBookThumbnail(book.dir.File("book.pbk"), 4096, png), ThumbnailResult::Made);
    PngSize(png, width, height);
    EXPECT_EQ(width, 200u);
    EXPECT_EQ(height, 100u);
    // A strip keeps a side of at least one pixel.
    FitIntoSquare(3000, 2, 128, width, height);
    EXPECT_EQ(width, 128u);
    EXPECT_EQ(height, 1u);

    std::string err;
    ASSERT_EQ(RunTool({"-s", "48", book.dir.File("book.pbk"), book.dir.File("out.png")}, err), 0) << err;
    PngSize(ReadFileBytes(book.dir.File("out.png")), width, height);
    EXPECT_EQ(width, 48u);
    EXPECT_EQ(height, 24u);
}

TEST(Thumbnailer, NothingWrittenForADamagedBookOrWrongUsage)
{
    BookFolder book;
    std::string bytes = TreeBook();
    WriteFileBytes(book.dir.File("cut.pbk"), bytes.substr(0, bytes.size() - 5));
    std::string err;
    EXPECT_EQ(RunTool({"-s", "128", book.dir.File("cut.pbk"), book.dir.File("out.png")}, err), 1);
    EXPECT_NE(err.find("Unexpected file format."), std::string::npos) << err;
    EXPECT_FALSE(FileExistsAt(book.dir.File("out.png")));

    // A book whose pictures are all missing gives no thumbnail either.
    WriteFileBytes(book.dir.File("empty.pbk"), "");
    EXPECT_EQ(RunTool({"-s", "128", book.dir.File("empty.pbk"), book.dir.File("out.png")}, err), 1);
    EXPECT_FALSE(FileExistsAt(book.dir.File("out.png")));

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-s", "0", "a.pbk", "o.png"},
                                               {"-s", "4097", "a.pbk", "o.png"},
                                               {"-s", "12x", "a.pbk", "o.png"},
                                               {"-s", "64", "a.pbk"},
                                               {"a.pbk", "o.png"}})
        EXPECT_EQ(RunTool(args, err), 2) << args[1];
}
