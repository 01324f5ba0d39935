#include "platform/AtomicFile.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <sys/stat.h>
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
