#include "platform/Settings.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const char kSettingsKey[] = "Software\\Quillfen\\Corvale\\Settings";

} // namespace

TEST(SettingsKeys, TableHasOneEntryPerKeyWithItsDefault)
{
    std::set<std::string> names;
    for (int i = 0; i < static_cast<int>(SettingKey::Count); ++i) {
        const SettingInfo& info = SettingInfoOf(static_cast<SettingKey>(i));
        EXPECT_EQ(static_cast<int>(info.key), i);
        EXPECT_STREQ(info.section, "Settings");
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
    }
    EXPECT_STREQ(SettingInfoOf(SettingKey::ShrinkLargeImages).name, "ShrinkLargeImages");
    EXPECT_STREQ(SettingInfoOf(SettingKey::LastZipImportFolder).name, "LastZipImportFolder");
    EXPECT_EQ(SettingInfoOf(SettingKey::LastZipImportFolder).type, SettingType::Text);
    EXPECT_EQ(SettingInfoOf(SettingKey::PreviewPages).type, SettingType::Int);
    EXPECT_EQ(PictureBookSection("Trip"), "PictureBooks\\Trip");
    EXPECT_EQ(RecentFileKey(4), "File4");
}

TEST(Settings, MissingValuesGiveTheTableDefaults)
{
    ScopedRegistry scope;
    Settings settings = Settings::Profile();
    EXPECT_EQ(settings.GetInt(SettingKey::PostInstallWasRun), 0);
    EXPECT_EQ(settings.GetInt(SettingKey::CenterLargePhotos), 1);
    EXPECT_EQ(settings.GetInt(SettingKey::ShrinkLargeImages), 1);
    EXPECT_EQ(settings.GetInt(SettingKey::ImageShrinkSize), 2);
    EXPECT_EQ(settings.GetInt(SettingKey::ImageShrinkFactor), 0);
    EXPECT_EQ(settings.GetInt(SettingKey::HorizPos), 8);
    EXPECT_EQ(settings.GetInt(SettingKey::VertMediaPos), 25);
    EXPECT_EQ(settings.GetInt(SettingKey::Width), kComputedDefault);
    EXPECT_EQ(settings.GetInt(SettingKey::PreviewPages), 1);
    EXPECT_EQ(settings.GetString(SettingKey::PictureBookRootPath), "");
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File1", "none"), "none");
    // Reading writes nothing.
    EXPECT_FALSE(FileExistsAt(scope.Folder() + "/HKEY_CURRENT_USER.reg"));
}

TEST(Settings, IntegersAreDwordsAndTextsAreStrings)
{
    ScopedRegistry scope;
    Settings settings = Settings::Profile();
    ASSERT_TRUE(settings.WriteInt(SettingKey::ImageShrinkSize, 3));
    ASSERT_TRUE(settings.WriteInt(SettingKey::HorizPos, -12));
    ASSERT_TRUE(settings.WriteString(SettingKey::LastZipImportFolder, "C:\\Zips"));

    Registry registry = Registry::Default();
    uint32_t n = 0;
    std::string s;
    EXPECT_EQ(registry.GetDword(RegistryRoot::CurrentUser, kSettingsKey, "ImageShrinkSize", n),
              RegistryStatus::Ok);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(registry.GetString(RegistryRoot::CurrentUser, kSettingsKey, "LastZipImportFolder", s),
              RegistryStatus::Ok);
    EXPECT_EQ(s, "C:\\Zips");
    EXPECT_EQ(settings.GetInt(SettingKey::HorizPos), -12);
    EXPECT_EQ(Settings::Profile().GetInt(SettingKey::ImageShrinkSize), 3);

    // A value of the wrong type reads as the default.
    registry.SetString(RegistryRoot::CurrentUser, kSettingsKey, "ShrinkLargeImages", "0");
    EXPECT_EQ(settings.GetInt(SettingKey::ShrinkLargeImages), 1);
    EXPECT_EQ(settings.GetProfileString("Settings", "ImageShrinkSize", "def"), "def");
}

TEST(Settings, TitleWithBackslashNamesADeeperKey)
{
    ScopedRegistry scope;
    Settings settings = Settings::Profile();
    const std::string section = PictureBookSection("Holiday\\Rome");
    ASSERT_TRUE(settings.WriteProfileString(section, kOwnerNameKey, "Ann"));
    ASSERT_TRUE(settings.WriteProfileString(section, kOwnerEmailKey, "ann@example.com"));
    EXPECT_EQ(settings.GetProfileString(section, kOwnerNameKey), "Ann");
    EXPECT_EQ(settings.GetProfileString(PictureBookSection("holiday\\ROME"), kOwnerEmailKey),
              "ann@example.com");
    Registry& registry = settings.GetRegistry();
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser,
                                   "Software\\Quillfen\\Corvale\\PictureBooks\\Holiday\\Rome"));
    EXPECT_EQ(registry.SubKeys(RegistryRoot::CurrentUser,
                               "Software\\Quillfen\\Corvale\\PictureBooks"),
              std::vector<std::string>{"Holiday"});
    EXPECT_EQ(settings.GetProfileString(PictureBookSection("Holiday"), kOwnerNameKey), "");
}

TEST(Settings, CompanyAndApplicationNameTheKey)
{
    TempDir dir;
    Settings settings(Registry(dir.Path()), "Acme", "Viewer");
    ASSERT_TRUE(settings.WriteProfileInt("Settings", "X", 5));
    uint32_t n = 0;
    EXPECT_EQ(settings.GetRegistry().GetDword(RegistryRoot::CurrentUser,
                                              "Software\\Acme\\Viewer\\Settings", "X", n),
              RegistryStatus::Ok);
    EXPECT_EQ(n, 5u);
    // A store that cannot be read gives defaults and refuses writes.
    WriteFileBytes(dir.File("HKEY_CURRENT_USER.reg"), "junk");
    EXPECT_EQ(settings.GetProfileInt("Settings", "X", 9), 9);
    EXPECT_FALSE(settings.WriteProfileInt("Settings", "X", 6));
}
