#include "app/StartupSettings.h"

#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "platform/SystemFolders.h"

void ApplyFirstRunDisplayDefaults(Settings& settings, int width, int height)
{
    if (settings.GetInt(SettingKey::PostInstallWasRun) != 0)
        return;
    // Size index 1 (480 x 360) is offered on the settings page but never chosen here.
    int sizeIndex = -1;
    if (width <= 640 && height <= 480)
        sizeIndex = 0;
    else if (width <= 800 && height <= 600)
        sizeIndex = 2;
    else if (width <= 1024 && height <= 768)
        sizeIndex = 3;

    if (sizeIndex >= 0) {
        settings.WriteInt(SettingKey::ShrinkLargeImages, 1);
        settings.WriteInt(SettingKey::ImageShrinkSize, sizeIndex);
        settings.WriteInt(SettingKey::ImageShrinkFactor, 0);
    } else {
        settings.WriteInt(SettingKey::ShrinkLargeImages, 0);
    }
    settings.WriteInt(SettingKey::PostInstallWasRun, 1);
}

bool ReadCenterLargePhotos(const Settings& settings)
{
    return settings.GetInt(SettingKey::CenterLargePhotos) == 1;
}

DisplaySettings ReadDisplaySettings(const Settings& settings)
{
    return {settings.GetInt(SettingKey::ShrinkLargeImages) != 0, settings.GetInt(SettingKey::ImageShrinkSize),
            settings.GetInt(SettingKey::ImageShrinkFactor)};
}

std::string ReadInstallationFolder(const Registry& registry)
{
    std::string folder;
    if (registry.GetString(RegistryRoot::LocalMachine, kUserInfoKey, kUserInfoInstallationPath,
                           folder) != RegistryStatus::Ok)
        return SystemFolders::CurrentDirectory();
    if (folder.size() > 259)
        folder.resize(259);
    return folder;
}
