#include "exchange/ZipLibrary.h"
#include "support/TestEnvironment.h"
#include "support/ZipFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Names of everything in `folder`, hidden temporary files included.
std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 5);
    return bytes;
}

} // namespace

TEST(ZipLibrary, ListsEntriesWithNamesInTheBooksCodePage)
{
    TempDir dir;
    ASSERT_TRUE(WriteZip(dir.File("a.zip"), {{"F\xEAte.jpg", "abc"},
                                             {"sub/\xC3\xA9t\xC3\xA9.wav", "de", false, true},
                                             {"empty/", ""}}));
    ZipLibrary zip;
    EXPECT_EQ(zip.GetEntryCount(), 0);
    EXPECT_EQ(zip.ExtractEntry(0, dir.Path()), ZipLibrary::kFailed);
    ASSERT_EQ(zip.OpenArchive(dir.File("a.zip")), ZipLibrary::kOk);
    ASSERT_EQ(zip.GetEntryCount(), 3);
    EXPECT_EQ(zip.GetEntryName(0), "F\xEAte.jpg");
    EXPECT_EQ(zip.GetEntryName(1), "sub/\xE9t\xE9.wav"); // marked UTF-8, given in Windows-1252
    EXPECT_EQ(zip.GetEntrySize(0), 3);
    EXPECT_EQ(zip.GetEntryName(3), "");
    EXPECT_EQ(zip.GetEntrySize(-1), 0);
    int files = 0;
    int64_t bytes = 0;
    EXPECT_FALSE(zip.GetProgress(files, bytes));

    // Written under their base names, in UTF-8 on this system; a folder entry names no file.
    EXPECT_EQ(zip.ExtractEntry(0, dir.Path()), ZipLibrary::kOk);
    EXPECT_EQ(zip.ExtractEntry(1, dir.Path() + "/"), ZipLibrary::kOk);
    EXPECT_EQ(zip.ExtractEntry(2, dir.Path()), ZipLibrary::kFailed);
    EXPECT_EQ(ReadFileBytes(dir.File("F\xC3\xAAte.jpg")), "abc");
    EXPECT_EQ(ReadFileBytes(dir.File("\xC3\xA9t\xC3\xA9.wav")), "de");

    EXPECT_EQ(zip.OpenArchive(dir.File("missing.zip")), ZipLibrary::kFailed);
    EXPECT_EQ(zip.GetEntryCount(), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe.zip").c_str(), 0600), 0);
    EXPECT_EQ(zip.OpenArchive(dir.File("pipe.zip")), ZipLibrary::kFailed); // returns, does not wait
}

TEST(ZipLibrary, ExtractsMarkedEntriesWithProgressAndStopsWhenAborted)
{
    TempDir dir;
    fs::create_directories(dir.File("t"));
    std::string big = Pattern(300000);
    ASSERT_TRUE(WriteZip(dir.File("a.zip"),
                         {{"one.bin", big}, {"skip.bin", "x"}, {"two.bin", big}, {"three.bin", "3"}}));
    ZipLibrary zip;
    ASSERT_EQ(zip.OpenArchive(dir.File("a.zip")), ZipLibrary::kOk);
    zip.SelectEntry(0, true);
    zip.SelectEntry(2, true);
    zip.SelectEntry(3, true);
    EXPECT_TRUE(zip.IsSelected(2));
    EXPECT_FALSE(zip.IsSelected(1));

    std::vector<std::pair<int, int64_t>> seen;
    int result = zip.ExtractSelected(dir.File("t"), [&] {
        int files = 0;
        int64_t bytes = 0;
        ASSERT_TRUE(zip.GetProgress(files, bytes));
        seen.emplace_back(files, bytes);
    });
    EXPECT_EQ(result, ZipLibrary::kOk);
    ASSERT_GT(seen.size(), 6u); // several pieces per large file
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].first, seen[i - 1].first);
        EXPECT_GE(seen[i].second, seen[i - 1].second);
    }
    EXPECT_EQ(seen.back(), std::make_pair(3, int64_t(2 * big.size() + 1)));
    EXPECT_EQ(ReadFileBytes(dir.File("t/two.bin")), big);
    EXPECT_EQ(Listing(dir.File("t")), (std::vector<std::string>{"one.bin", "three.bin", "two.bin"}));

    // Aborted inside the second file: the first stays, the second leaves no trace.
    fs::remove_all(dir.File("t"));
    fs::create_directories(dir.File("t"));
    result = zip.ExtractSelected(dir.File("t"), [&] {
        int files = 0;
        int64_t bytes = 0;
        zip.GetProgress(files, bytes);
        if (files == 1 && bytes > int64_t(big.size()))
            zip.AbortExtraction();
    });
    EXPECT_EQ(result, ZipLibrary::kFailed);
    EXPECT_EQ(Listing(dir.File("t")), std::vector<std::string>{"one.bin"});
    // The abort is over with its extraction.
    EXPECT_EQ(zip.ExtractEntry(3, dir.File("t")), ZipLibrary::kOk);
}

TEST(ZipLibrary, DamagedAndLyingEntriesLeaveNothingBehind)
{
    TempDir dir;
    fs::create_directories(dir.File("t"));
    std::string data = Pattern(5000);
    ASSERT_TRUE(WriteZip(dir.File("a.zip"), {{"crc.bin", data, true},
                                             {"short.bin", data},
                                             {"long.bin", data},
                                             {"huge.bin", data}}));
    ASSERT_TRUE(DamageEntryData(dir.File("a.zip"), "crc.bin"));
    ASSERT_TRUE(PatchDeclaredSize(dir.File("a.zip"), "short.bin", 100));    // expands beyond its size
    ASSERT_TRUE(PatchDeclaredSize(dir.File("a.zip"), "long.bin", 9000));    // ends before its size
    ASSERT_TRUE(PatchDeclaredSize(dir.File("a.zip"), "huge.bin", 0xFFFFFFF0u));
    ZipLibrary zip;
    ASSERT_EQ(zip.OpenArchive(dir.File("a.zip")), ZipLibrary::kOk);
    EXPECT_EQ(zip.GetEntrySize(3), int64_t(0xFFFFFFF0u));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(zip.ExtractEntry(i, dir.File("t")), ZipLibrary::kFailed) << i;
    // Data that expands beyond its declared size is not written past it.
    zip.SelectEntry(1, true);
    int64_t most = 0;
    EXPECT_EQ(zip.ExtractSelected(dir.File("t"), [&] {
        int files = 0;
        int64_t bytes = 0;
        zip.GetProgress(files, bytes);
        most = std::max(most, bytes);
    }), ZipLibrary::kFailed);
    EXPECT_LE(most, 100);
    EXPECT_TRUE(Listing(dir.File("t")).empty());

    // A file of the entry's name is replaced whole; a folder of that name stays.
    ASSERT_TRUE(WriteZip(dir.File("b.zip"), {{"x.jpg", "new"}, {"d.jpg", "d"}}));
    ASSERT_EQ(zip.OpenArchive(dir.File("b.zip")), ZipLibrary::kOk);
    WriteFileBytes(dir.File("t/x.jpg"), "old and longer");
    fs::create_directories(dir.File("t/d.jpg/keep"));
    EXPECT_EQ(zip.ExtractEntry(0, dir.File("t")), ZipLibrary::kOk);
    EXPECT_EQ(ReadFileBytes(dir.File("t/x.jpg")), "new");
    EXPECT_EQ(zip.ExtractEntry(1, dir.File("t")), ZipLibrary::kFailed);
    EXPECT_TRUE(FileExistsAt(dir.File("t/d.jpg/keep")));
    EXPECT_EQ(Listing(dir.File("t")), (std::vector<std::string>{"d.jpg", "x.jpg"}));
}
