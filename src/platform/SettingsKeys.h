#pragma once
// The one table of the viewer's per-user settings (section, key, type, default)
// and the names of the other profile and machine-wide registry entries.

#include <string>

enum class SettingKey {
    PostInstallWasRun,
    CenterLargePhotos,
    ShrinkLargeImages,
    ImageShrinkSize,
    ImageShrinkFactor,
    SplitterStyle,
    HorizPos,
    VertPos,
    Width,
    Height,
    HorizPhotoPos,
    VertPhotoPos,
    HorizMediaPos,
    VertMediaPos,
    LastZipImportFolder,
    PictureBookRootPath,
    PreviewPages,
    MediaPlayerCommand,
    LastExportFolder,
    FitToWindow,
    SlideShowSeconds,
    Count
};

enum class SettingType { Int, Text };

// A default the window code works out at run time (from the work area).
constexpr int kComputedDefault = -1;

struct SettingInfo {
    SettingKey key;
    const char* section;
    const char* name;
    SettingType type;
    int defaultInt;          // Int settings; kComputedDefault where the window code decides
    const char* defaultText; // Text settings; "" where the caller supplies the real default
};

const SettingInfo& SettingInfoOf(SettingKey key);

// Profile sections and keys outside the table.
constexpr const char kCompanyName[] = "Quillfen";
constexpr const char kApplicationName[] = "Corvale";
constexpr const char kSettingsSection[] = "Settings";
constexpr const char kRecentFileSection[] = "Recent File List";
constexpr const char kRecentFileKeyPattern[] = "File%d"; // numbered from 1
constexpr int kRecentFileCount = 4;
constexpr const char kPictureBooksSectionPrefix[] = "PictureBooks\\";
constexpr const char kOwnerNameKey[] = "OwnerName";
constexpr const char kOwnerEmailKey[] = "OwnerEmail";

// The machine-wide installation record (HKEY_LOCAL_MACHINE), written by setup.
constexpr const char kUserInfoKey[] = "Software\\Quillfen\\Corvale\\UserInfo";
constexpr const char kUserInfoUserName[] = "UserName";
constexpr const char kUserInfoCompanyName[] = "CompanyName";
constexpr const char kUserInfoEmailAddress[] = "EmailAddress";
constexpr const char kUserInfoInstallationPath[] = "InstallationPath";

// "PictureBooks\\" + title, the title used unchanged (a backslash in it names
// a deeper key).
std::string PictureBookSection(const std::string& title);
// "File1" .. "File4".
std::string RecentFileKey(int number);
