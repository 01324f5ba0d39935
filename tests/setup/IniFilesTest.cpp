#include "setup/IniFiles.h"
#include "setup/SelfDelete.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

IniLine Line(std::string section, std::optional<std::string> newEntry,
             std::optional<std::string> oldEntry = std::nullopt)
{
    return IniLine{std::move(section), std::move(oldEntry), std::move(newEntry)};
}

std::string Written(const std::vector<IniLine>& lines)
{
    return IniFileText(ArrangeIniLines(lines));
}

} // namespace

TEST(IniFiles, SectionsAreSortedByExactCaseAndEachHeaderIsWrittenOncePerRun)
{
    // B, A, B: one A block, then one B block keeping the script order within it.
    EXPECT_EQ(Written({Line("B", "b1=1"), Line("A", "a=1"), Line("B", "b2=2")}),
              "\r\n[A]\r\na=1\r\n\r\n[B]\r\nb1=1\r\nb2=2\r\n");
    // Sorting is exact-case ("Z" before "a"); headers compare without regard
    // to case, so "grp" right after "Grp" shares its header.
    EXPECT_EQ(Written({Line("a", "3"), Line("grp", "2"), Line("Z", "1"), Line("Grp", "0")}),
              "\r\n[Grp]\r\n0\r\n\r\n[Z]\r\n1\r\n\r\n[a]\r\n3\r\n\r\n[grp]\r\n2\r\n");
    // A line with only an old entry, or none, gives its header and nothing more.
    EXPECT_EQ(Written({Line("S", std::nullopt, std::string("old")), Line("T", std::nullopt)}),
              "\r\n[S]\r\n\r\n[T]\r\n");
    EXPECT_EQ(Written({}), "");
}

TEST(IniFiles, OnlyLinesEqualInEveryFieldToTheOneBeforeAreDropped)
{
    EXPECT_EQ(Written({Line("G", "x=1"), Line("G", "x=1"), Line("G", "x=1")}), "\r\n[G]\r\nx=1\r\n");
    // A differing old entry (present in one, absent in the other) keeps both
    // lines; equal lines parted by another line of their section stay too.
    std::vector<IniLine> arranged = ArrangeIniLines(
        {Line("G", "x=1", std::string("o")), Line("G", "x=1"), Line("G", "y"), Line("H", "x=1"),
         Line("G", "x=1")});
    ASSERT_EQ(arranged.size(), 5u);
    // Sorting brings equal lines of one section together before they are compared.
    EXPECT_EQ(Written({Line("G", "x"), Line("H", "x"), Line("G", "x")}), "\r\n[G]\r\nx\r\n\r\n[H]\r\nx\r\n");
}

TEST(Wininit, TheDeletionGoesRightUnderTheFirstRenameHeaderFound)
{
    EXPECT_EQ(AddWininitRename("", "C:\\P\\UNINST~1.EXE"), "[rename]\r\nNUL=C:\\P\\UNINST~1.EXE\r\n");
    EXPECT_EQ(AddWininitRename("[Rename]\r\nNUL=C:\\OLD.EXE\r\n[other]\r\n", "C:\\U.EXE"),
              "[Rename]\r\nNUL=C:\\U.EXE\r\nNUL=C:\\OLD.EXE\r\n[other]\r\n");
    // "[rename]" is looked for first, whatever comes earlier in the file.
    EXPECT_EQ(AddWininitRename("[RENAME]\r\na\r\n[rename]\r\nb\r\n", "U"),
              "[RENAME]\r\na\r\n[rename]\r\nNUL=U\r\nb\r\n");
    // No header: one is added at the end, on a line of its own.
    EXPECT_EQ(AddWininitRename("[boot]\r\nx=1", "U"), "[boot]\r\nx=1\r\n[rename]\r\nNUL=U\r\n");
    EXPECT_EQ(AddWininitRename("[boot]\r\n", "U"), "[boot]\r\n[rename]\r\nNUL=U\r\n");
    // A header that ends the file without a line end.
    EXPECT_EQ(AddWininitRename("x\r\n[Rename]", "U"), "x\r\n[Rename]\r\nNUL=U\r\n");
}

TEST(SelfDelete, TheRunningProgramsFileGoesAtOnce)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("Uninstall.exe"), "MZ"));
    EXPECT_TRUE(ScheduleSelfDelete(dir.File("Uninstall.exe")));
    EXPECT_FALSE(FileExistsAt(dir.File("Uninstall.exe")));
    EXPECT_TRUE(ScheduleSelfDelete(dir.File("Uninstall.exe")));
    EXPECT_FALSE(ScheduleSelfDelete(""));
}
