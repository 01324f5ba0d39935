#include "platform/PathResolver.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>

namespace {

// A Picture Book folder with a few files in mixed case.
struct Book {
    TempDir dir;
    std::string folder = dir.File("Book");
    Book()
    {
        mkdir(folder.c_str(), 0755);
        mkdir((folder + "/Photos").c_str(), 0755);
        mkdir((folder + "/Photos/Summer Trip").c_str(), 0755);
        WriteFileBytes(folder + "/a.gif", "a");
        WriteFileBytes(folder + "/Photos/Beach.JPG", "b");
        WriteFileBytes(folder + "/Photos/Summer Trip/Sea.bmp", "c");
        WriteFileBytes(dir.File("Outside.txt"), "o");
    }
};

std::string WindowsStyle(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

TEST(PathResolver, FindsFilesWithBackslashesAndWrongCase)
{
    Book book;
    const std::string& f = book.folder;
    EXPECT_EQ(PathResolver::Resolve("a.gif", f), f + "/a.gif");
    EXPECT_EQ(PathResolver::Resolve("A.GIF", f), f + "/a.gif");
    EXPECT_EQ(PathResolver::Resolve("photos\\beach.jpg", f), f + "/Photos/Beach.JPG");
    EXPECT_EQ(PathResolver::Resolve("PHOTOS/summer trip\\SEA.BMP", f),
              f + "/Photos/Summer Trip/Sea.bmp");
    EXPECT_EQ(PathResolver::Resolve(".\\Photos\\.\\Beach.JPG", f), f + "/Photos/Beach.JPG");
    EXPECT_EQ(PathResolver::Resolve("Photos\\\\Beach.JPG", f), f + "/Photos/Beach.JPG");
    // Absolute names, with and without a drive.
    EXPECT_EQ(PathResolver::Resolve("C:" + WindowsStyle(f) + "\\PHOTOS\\BEACH.JPG", "/elsewhere"),
              f + "/Photos/Beach.JPG");
    EXPECT_EQ(PathResolver::Resolve(WindowsStyle(f + "/a.gif"), ""), f + "/a.gif");
    // A drive-relative name lies in the book folder.
    EXPECT_EQ(PathResolver::Resolve("c:A.gif", f), f + "/a.gif");
}

TEST(PathResolver, MissingOrUnsafeNamesGiveNothing)
{
    Book book;
    const std::string& f = book.folder;
    EXPECT_EQ(PathResolver::Resolve("", f), "");
    EXPECT_EQ(PathResolver::Resolve("b.gif", f), "");
    EXPECT_EQ(PathResolver::Resolve("Photos\\Nope\\Beach.JPG", f), "");
    EXPECT_EQ(PathResolver::Resolve("a.gif\\x", f), "");     // a file is no folder
    EXPECT_EQ(PathResolver::Resolve("Beach.JPG", f), "");    // no searching of subfolders
    EXPECT_EQ(PathResolver::Resolve("\\\\server\\share\\a.gif", f), "");
    EXPECT_EQ(PathResolver::Resolve(std::string("a.gif\0.exe", 10), f), "");
    EXPECT_EQ(PathResolver::Resolve("a.gif", book.dir.File("NoSuchBook")), "");
}

TEST(PathResolver, DotDotGoesWhereTheNameSaysAndNoFurther)
{
    Book book;
    const std::string& f = book.folder;
    EXPECT_EQ(PathResolver::Resolve("Photos\\..\\a.gif", f), f + "/a.gif");
    // Lexical, as on Windows: the folder before ".." need not exist.
    EXPECT_EQ(PathResolver::Resolve("NoSuchFolder\\..\\A.GIF", f), f + "/a.gif");
    EXPECT_EQ(PathResolver::Resolve("..\\outside.TXT", f), book.dir.File("Outside.txt"));
    EXPECT_EQ(PathResolver::Resolve("..\\Book\\photos\\..\\A.gif", f), f + "/a.gif");
    // ".." stops at the root.
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += "..\\";
    EXPECT_EQ(PathResolver::Resolve(deep + WindowsStyle(f.substr(1)) + "\\a.gif", f), f + "/a.gif");
    EXPECT_EQ(PathResolver::Resolve("C:\\..\\..\\" + WindowsStyle(f.substr(1)) + "\\a.gif", f),
              f + "/a.gif");
    // Matching happens only below what ".." left: "Photos\\..\\Beach.JPG" is not in Photos.
    EXPECT_EQ(PathResolver::Resolve("Photos\\..\\Beach.JPG", f), "");
}

TEST(PathResolver, PrefersTheExactNameThenTheFirstCaseMatch)
{
    Book book;
    const std::string& f = book.folder;
    WriteFileBytes(f + "/photo.png", "1");
    WriteFileBytes(f + "/Photo.png", "2");
    EXPECT_EQ(PathResolver::Resolve("photo.png", f), f + "/photo.png");
    EXPECT_EQ(PathResolver::Resolve("Photo.png", f), f + "/Photo.png");
    EXPECT_EQ(PathResolver::Resolve("PHOTO.PNG", f), f + "/Photo.png"); // 'P' sorts before 'p'
    // An intermediate component must match a folder, even if a file sorts first.
    WriteFileBytes(f + "/PHOTOS", "a file");
    EXPECT_EQ(PathResolver::Resolve("photos\\Beach.jpg", f), f + "/Photos/Beach.JPG");
}

TEST(PathResolver, SeesFilesAddedAfterAnEarlierLookup)
{
    Book book;
    const std::string& f = book.folder;
    EXPECT_EQ(PathResolver::Resolve("NEW.JPG", f), "");
    WriteFileBytes(f + "/New.jpg", "n");
    EXPECT_EQ(PathResolver::Resolve("NEW.JPG", f), f + "/New.jpg");
    rename((f + "/New.jpg").c_str(), (f + "/Newer.jpg").c_str());
    EXPECT_EQ(PathResolver::Resolve("NEW.JPG", f), "");
    EXPECT_EQ(PathResolver::Resolve("newer.JPG", f), f + "/Newer.jpg");
}

TEST(PathResolver, CodePageNamesMatchUtf8Files)
{
    Book book;
    const std::string& f = book.folder;
    WriteFileBytes(f + "/Caf\xC3\xA9.jpg", "c"); // "Café.jpg" in UTF-8
    EXPECT_EQ(PathResolver::Resolve("caf\xE9.JPG", f), f + "/Caf\xC3\xA9.jpg");
    EXPECT_EQ(PathResolver::Resolve("Caf\xC3\xA9.jpg", f), f + "/Caf\xC3\xA9.jpg");
}

TEST(PathResolver, ManyFilesInOneFolder)
{
    TempDir dir;
    const int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i)
        WriteFileBytes(dir.File("Img" + std::to_string(i) + ".Jpg"), "");
    for (int i = 0; i < kFiles; ++i)
        ASSERT_EQ(PathResolver::Resolve("IMG" + std::to_string(i) + ".JPG", dir.Path()),
                  dir.File("Img" + std::to_string(i) + ".Jpg"));
}

TEST(PathResolver, RelativeNamesAndSeparators)
{
    EXPECT_TRUE(PathResolver::IsRelative("a.gif"));
    EXPECT_TRUE(PathResolver::IsRelative("Photos\\a.gif"));
    EXPECT_TRUE(PathResolver::IsRelative("..\\a.gif"));
    EXPECT_TRUE(PathResolver::IsRelative("C:a.gif"));
    EXPECT_FALSE(PathResolver::IsRelative("C:\\a.gif"));
    EXPECT_FALSE(PathResolver::IsRelative("\\a.gif"));
    EXPECT_FALSE(PathResolver::IsRelative("/a.gif"));
    EXPECT_FALSE(PathResolver::IsRelative("\\\\server\\a.gif"));
    EXPECT_EQ(PathResolver::ToPlatformSeparators("C:\\My Photos\\a.gif"), "C:/My Photos/a.gif");
}
