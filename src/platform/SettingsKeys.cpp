#include "platform/SettingsKeys.h"

#include <cstddef>

namespace {

const SettingInfo kSettings[] = {
    {SettingKey::PostInstallWasRun, kSettingsSection, "PostInstallWasRun", SettingType::Int, 0, ""},
    {SettingKey::CenterLargePhotos, kSettingsSection, "CenterLargePhotos", SettingType::Int, 1, ""},
    {SettingKey::ShrinkLargeImages, kSettingsSection, "ShrinkLargeImages", SettingType::Int, 1, ""},
    {SettingKey::ImageShrinkSize, kSettingsSection, "ImageShrinkSize", SettingType::Int, 2, ""},
    {SettingKey::ImageShrinkFactor, kSettingsSection, "ImageShrinkFactor", SettingType::Int, 0, ""},
    {SettingKey::SplitterStyle, kSettingsSection, "SplitterStyle", SettingType::Int, 0, ""},
    {SettingKey::HorizPos, kSettingsSection, "HorizPos", SettingType::Int, 8, ""},
    {SettingKey::VertPos, kSettingsSection, "VertPos", SettingType::Int, 8, ""},
    // Work-area width and height less 16, known only to the window code.
    {SettingKey::Width, kSettingsSection, "Width", SettingType::Int, kComputedDefault, ""},
    {SettingKey::Height, kSettingsSection, "Height", SettingType::Int, kComputedDefault, ""},
    {SettingKey::HorizPhotoPos, kSettingsSection, "HorizPhotoPos", SettingType::Int, 1, ""},
    {SettingKey::VertPhotoPos, kSettingsSection, "VertPhotoPos", SettingType::Int, 1, ""},
    {SettingKey::HorizMediaPos, kSettingsSection, "HorizMediaPos", SettingType::Int, 25, ""},
    {SettingKey::VertMediaPos, kSettingsSection, "VertMediaPos", SettingType::Int, 25, ""},
    // The real default is the installation folder, which only the application knows.
    {SettingKey::LastZipImportFolder, kSettingsSection, "LastZipImportFolder", SettingType::Text,
     0, ""},
    {SettingKey::PictureBookRootPath, kSettingsSection, "PictureBookRootPath", SettingType::Text,
     0, ""},
    {SettingKey::PreviewPages, kSettingsSection, "PreviewPages", SettingType::Int, 1, ""},
    // The system's player program for items the desktop opener does not play.
    {SettingKey::MediaPlayerCommand, kSettingsSection, "MediaPlayerCommand", SettingType::Text, 0,
     "xdg-open"},
    // The real default is the user's home folder, which the viewer supplies.
    {SettingKey::LastExportFolder, kSettingsSection, "LastExportFolder", SettingType::Text, 0, ""},
    // Off: the display settings keep deciding how large a picture is shown.
    {SettingKey::FitToWindow, kSettingsSection, "FitToWindow", SettingType::Int, 0, ""},
    {SettingKey::SlideShowSeconds, kSettingsSection, "SlideShowSeconds", SettingType::Int, 5, ""},
};

static_assert(sizeof(kSettings) / sizeof(kSettings[0]) == static_cast<size_t>(SettingKey::Count),
              "every setting has exactly one table entry");

} // namespace

const SettingInfo& SettingInfoOf(SettingKey key)
{
    size_t index = static_cast<size_t>(key);
    if (index < static_cast<size_t>(SettingKey::Count) && kSettings[index].key == key)
        return kSettings[index];
    for (const SettingInfo& info : kSettings)
        if (info.key == key)
            return info;
    return kSettings[0];
}

std::string PictureBookSection(const std::string& title)
{
    return kPictureBooksSectionPrefix + title;
}

std::string RecentFileKey(int number)
{
    return "File" + std::to_string(number);
}
