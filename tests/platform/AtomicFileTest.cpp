#include "platform/AtomicFile.h"
#include "support/KilledWriter.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <vector>
#include <gtest/gtest.h>

namespace {

unsigned ModeOf(const std::string& path)
{
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST(AtomicFileWriter, AGivenModeReplacesTheTargetsOwnAndAnAbandonedWriteLeavesTheTarget)
{
    TempDir dir;
    std::string target = dir.File("prog");
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    chmod(target.c_str(), 0444);

    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(target, 0755));
    ASSERT_TRUE(writer.Write("new", 3));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(ModeOf(target), 0755u);

    {
        AtomicFileWriter abandoned;
        ASSERT_TRUE(abandoned.Open(target, 0600));
        ASSERT_TRUE(abandoned.Write("half", 4));
    }
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(ModeOf(target), 0755u);
    // No temporary file is left beside it.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(AtomicFileWriter, NamesUpToTheFileSystemsLimitCanBeWritten)
{
    TempDir dir;
    for (size_t length : {248u, 250u, 255u}) {
        std::string target = dir.File(std::string(length - 4, 'n') + ".pbk");
        int err = 0;
        EXPECT_TRUE(WriteFileAtomically(target, "book", err)) << length << ": " << err;
        EXPECT_EQ(ReadFileBytes(target), "book");
        std::string copy = dir.File(std::string(length - 4, 'c') + ".pbk");
        EXPECT_TRUE(CopyFileAtomically(target, copy, err)) << length << ": " << err;
    }
}

TEST(AtomicFileWriter, TheNextSaveRemovesTemporariesOfWritersThatDiedButNotOfLiveOnes)
{
    TempDir dir;
    // A writer killed in the middle of its work leaves its temporary file.
    ASSERT_NE(LeaveKilledWriterTemporary(dir.File("book.pbk")), "");
    ASSERT_EQ(Names(dir.Path()).size(), 1u);

    AtomicFileWriter live;
    ASSERT_TRUE(live.Open(dir.File("other.pbk")));
    ASSERT_TRUE(live.Write("other", 5));
    std::vector<std::string> before = Names(dir.Path());
    ASSERT_EQ(before.size(), 2u);

    int err = 0;
    ASSERT_TRUE(WriteFileAtomically(dir.File("book.pbk"), "whole", err));
    std::vector<std::string> after = Names(dir.Path());
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1], "book.pbk");
    // The live writer's temporary file stayed and still becomes its target.
    EXPECT_NE(std::find(before.begin(), before.end(), after[0]), before.end());
    ASSERT_TRUE(live.Commit());
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"book.pbk", "other.pbk"}));
    EXPECT_EQ(ReadFileBytes(dir.File("other.pbk")), "other");
}
