#include "platform/EditionRecord.h"
#include "platform/VersionRecord.h"
#include "support/NamedPipe.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(VersionRecord, ReadBackFromAProgramFileOrEmpty)
{
    TempDir dir;
    // A "program" with the record somewhere among other bytes.
    std::string program = std::string(1000, '\0') + VersionRecordText() + std::string(50, 'x');
    WriteFileBytes(dir.File("prog"), program);
    VersionNumbers version;
    ASSERT_TRUE(ReadVersionRecord(dir.File("prog"), version));
    EXPECT_EQ(FormatVersion(version), "1.0.00.0003");
    EXPECT_EQ(FormatVersion({1, 2, 3, 4}), "1.2.03.0004");

    WriteFileBytes(dir.File("plain"), std::string(5000, 'a'));
    EXPECT_FALSE(ReadVersionRecord(dir.File("plain"), version));
    EXPECT_FALSE(ReadVersionRecord(dir.File("missing"), version));
    // A pipe or a device in a program's place is not read (nor waited on).
    NamedPipe pipe(dir.File("pipe"));
    EXPECT_FALSE(ReadVersionRecord(pipe.Path(), version));
    EXPECT_FALSE(ReadVersionRecord("/dev/zero", version));
    // A marker with no numbers behind it is no record.
    std::string marker = VersionRecordText();
    WriteFileBytes(dir.File("cut"), marker.substr(0, marker.find(':') + 1) + "x.y");
    EXPECT_FALSE(ReadVersionRecord(dir.File("cut"), version));
}

TEST(VersionRecord, FoundWhereverItLiesInALargeFile)
{
    TempDir dir;
    VersionNumbers version;
    std::string record = VersionRecordText();
    // Across the boundaries of the pieces the file is read in, and far into it.
    for (size_t at : {size_t(65536) - 5, size_t(65536) - record.size() + 3, size_t(65536) * 3 + 1,
                      size_t(3) << 20}) {
        std::string bytes = std::string(at, 'z') + record + "tail";
        ASSERT_TRUE(WriteFileBytes(dir.File("big"), bytes));
        ASSERT_TRUE(ReadVersionRecord(dir.File("big"), version)) << at;
        EXPECT_EQ(FormatVersion(version), "1.0.00.0003");
    }
    // A record that ends the file, and one cut short by the file's end.
    ASSERT_TRUE(WriteFileBytes(dir.File("end"), std::string(65536, 'z') + record));
    EXPECT_TRUE(ReadVersionRecord(dir.File("end"), version));
    ASSERT_TRUE(WriteFileBytes(dir.File("cut"), std::string(65536, 'z') + record.substr(0, record.size() - 2)));
    EXPECT_FALSE(ReadVersionRecord(dir.File("cut"), version));
}

TEST(EditionRecord, OnlyAFileWithThePlusRecordIsCorvalePlus)
{
    TempDir dir;
    const std::string record = PlusEditionRecord();
    // Across a piece boundary too.
    for (size_t at : {size_t(10), size_t(65536) - 7}) {
        ASSERT_TRUE(WriteFileBytes(dir.File("plus"), std::string(at, 'z') + record + "tail"));
        EXPECT_EQ(ReadViewerEdition(dir.File("plus")), ViewerEdition::Plus) << at;
    }
    // The marker that every reader of the record holds is not the record.
    std::string marker = record.substr(0, record.find(':') + 1);
    ASSERT_TRUE(WriteFileBytes(dir.File("reader"), "x" + marker + std::string(1, '\0') + "PLUS\x01"));
    EXPECT_EQ(ReadViewerEdition(dir.File("reader")), ViewerEdition::Free);
    ASSERT_TRUE(WriteFileBytes(dir.File("cut"), "x" + record.substr(0, record.size() - 1)));
    EXPECT_EQ(ReadViewerEdition(dir.File("cut")), ViewerEdition::Free);
    EXPECT_EQ(ReadViewerEdition(dir.File("missing")), ViewerEdition::Free);
    // Our own programs are the free viewer: none holds the record whole.
    EXPECT_EQ(ReadViewerEdition("/proc/self/exe"), ViewerEdition::Free);
}
