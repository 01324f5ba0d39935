#include "exchange/ImportFolders.h"
#include "exchange/OwnerFields.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(OwnerFields, ReadsTheQuotedValuesOfTheTwoKeys)
{
    OwnerFields f = ReadOwnerFields("[Strings]\r\nPHOTOS_OWNER_EMAIL = \"ann@example.org\"\r\n"
                                    "PHOTOS_OWNER=\"Ann Bell\"\r\n");
    EXPECT_EQ(f.name, "Ann Bell");
    EXPECT_EQ(f.email, "ann@example.org");

    // A name key inside a longer word still counts; the e-mail key never lends its value.
    f = ReadOwnerFields("PHOTOS_OWNER=\"A\"\r\nPHOTOS_OWNER_EMAIL=\"\"\r\n");
    EXPECT_EQ(f.name, "A");
    EXPECT_EQ(f.email, "");

    // Empty values, missing quotes or equals signs, and values cut by a line end give nothing.
    for (const char* script :
         {"PHOTOS_OWNER=\"\"\r\n", "PHOTOS_OWNER=Ann\r\n\"x\"", "PHOTOS_OWNER\r\n=\"Ann\"",
          "PHOTOS_OWNER=\"Ann\r\nBell\"", "PHOTOS_OWNER=\"Ann", "PHOTOS_OWNER=\"", "nothing here",
          ""}) {
        f = ReadOwnerFields(script);
        EXPECT_EQ(f.name, "") << script;
        EXPECT_EQ(f.email, "") << script;
    }
}

TEST(OwnerFields, LineFeedsEndLinesAndTheTextEndsAtNul)
{
    // A script saved with line feeds only: a reference to the key on an
    // earlier line takes no value from the next one.
    OwnerFields f = ReadOwnerFields("[Options]\nShow %PHOTOS_OWNER%\nPHOTOS_OWNER=\"Late\"\n"
                                    "PHOTOS_OWNER_EMAIL=\"l@x.org\"\n");
    EXPECT_EQ(f.name, "");
    EXPECT_EQ(f.email, "l@x.org");
    const char withNul[] = "PHOTOS_OWNER=\"Ann\"\0PHOTOS_OWNER_EMAIL=\"a@x\"";
    f = ReadOwnerFields(std::string(withNul, sizeof withNul - 1));
    EXPECT_EQ(f.name, "Ann");
    EXPECT_EQ(f.email, "");
}

TEST(ImportFolders, RootFolderAndFolderNames)
{
    ScopedRegistry registry;
    TempDir install;
    Settings settings = Settings::Profile();
    EXPECT_EQ(GetPictureBookRootPath(settings, install.Path()), install.Path());
    std::filesystem::create_directories(install.File("My Photos"));
    EXPECT_EQ(GetPictureBookRootPath(settings, install.Path()), install.File("My Photos"));
    settings.WriteString(SettingKey::PictureBookRootPath, "/books");
    EXPECT_EQ(GetPictureBookRootPath(settings, install.Path()), "/books");

    EXPECT_EQ(ImportFolderName("Caf\xE9", "b.pbk"), "Caf\xC3\xA9");
    EXPECT_EQ(ImportFolderName("../../out", "b.pbk"), ".._.._out");
    EXPECT_EQ(ImportFolderName("a\\b\tc", "b.pbk"), "a_b_c");
    EXPECT_EQ(ImportFolderName("..", "Trip.pbk"), "Trip");
    EXPECT_EQ(ImportFolderName("", "Trip.pbk"), "Trip");
    EXPECT_EQ(ImportFolderName("", "..pbk"), "Picture Book");
    std::string longName = ImportFolderName(std::string(150, '\xE9'), "b.pbk");
    EXPECT_EQ(longName.size(), 200u); // 100 two-byte characters, none cut in half
}
