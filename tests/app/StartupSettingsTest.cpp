#include "app/StartupSettings.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(StartupSettings, FirstRunDefaultsByScreenSize)
{
    struct Case {
        int width, height;
        int shrink, size, factor;
    };
    // 1280 x 1024 writes only the switch, so size and factor read as their defaults.
    for (Case c : {Case{640, 480, 1, 0, 0}, Case{800, 600, 1, 2, 0}, Case{1024, 768, 1, 3, 0},
                   Case{1280, 1024, 0, 2, 0}, Case{1024, 769, 0, 2, 0}}) {
        ScopedRegistry registry;
        Settings settings = Settings::Profile();
        settings.WriteInt(SettingKey::ImageShrinkFactor, 0);
        ApplyFirstRunDisplayDefaults(settings, c.width, c.height);
        EXPECT_EQ(settings.GetInt(SettingKey::ShrinkLargeImages), c.shrink) << c.width;
        EXPECT_EQ(settings.GetInt(SettingKey::ImageShrinkSize), c.size) << c.width;
        EXPECT_EQ(settings.GetInt(SettingKey::ImageShrinkFactor), c.factor) << c.width;
        EXPECT_EQ(settings.GetInt(SettingKey::PostInstallWasRun), 1);
    }

    // A second start writes nothing.
    ScopedRegistry registry;
    Settings settings = Settings::Profile();
    ApplyFirstRunDisplayDefaults(settings, 640, 480);
    settings.WriteInt(SettingKey::ImageShrinkSize, 1);
    ApplyFirstRunDisplayDefaults(settings, 640, 480);
    EXPECT_EQ(settings.GetInt(SettingKey::ImageShrinkSize), 1);
}

TEST(StartupSettings, CentringIsOnOnlyForExactlyOne)
{
    ScopedRegistry registry;
    Settings settings = Settings::Profile();
    EXPECT_TRUE(ReadCenterLargePhotos(settings)); // default 1
    settings.WriteInt(SettingKey::CenterLargePhotos, 2);
    EXPECT_FALSE(ReadCenterLargePhotos(settings));
    settings.WriteInt(SettingKey::CenterLargePhotos, 0);
    EXPECT_FALSE(ReadCenterLargePhotos(settings));
}

TEST(StartupSettings, InstallationFolderFromTheMachineRecord)
{
    ScopedRegistry scoped;
    Registry registry = Registry::Default();
    EXPECT_EQ(ReadInstallationFolder(registry), SystemFolders::CurrentDirectory());
    registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoInstallationPath,
                       "/opt/Corvale");
    EXPECT_EQ(ReadInstallationFolder(registry), "/opt/Corvale");
    registry.SetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoInstallationPath,
                       std::string(400, 'p'));
    EXPECT_EQ(ReadInstallationFolder(registry).size(), 259u);
}
