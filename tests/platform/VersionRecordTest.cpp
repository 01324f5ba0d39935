#include "platform/VersionRecord.h"
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
    // A marker with no numbers behind it is no record.
    std::string marker = VersionRecordText();
    WriteFileBytes(dir.File("cut"), marker.substr(0, marker.find(':') + 1) + "x.y");
    EXPECT_FALSE(ReadVersionRecord(dir.File("cut"), version));
}
