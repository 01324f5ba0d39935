#include "exchange/ImportFolders.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"

namespace {

const char kMyPhotos[] = "My Photos";
const char kFallbackFolderName[] = "Picture Book";
// Room under the usual 255-byte limit for a "(9999)" after the name.
constexpr size_t kMaxFolderNameBytes = 200;

} // namespace

std::string GetPictureBookRootPath(const Settings& settings, const std::string& installFolder)
{
    std::string root = settings.GetString(SettingKey::PictureBookRootPath);
    if (!root.empty())
        return root;
    std::string photos = PathInFolder(installFolder, kMyPhotos);
    if (FileExists(photos))
        return photos;
    return installFolder;
}

std::string ImportFolderName(const std::string& title, const std::string& dataFileName)
{
    std::string name = FileNameComponent(CutUtf8(Cp1252ToUtf8(title), kMaxFolderNameBytes));
    if (!name.empty())
        return name;
    std::string stem = dataFileName.substr(0, dataFileName.find_last_of('.'));
    name = FileNameComponent(CutUtf8(stem, kMaxFolderNameBytes));
    return name.empty() ? std::string(kFallbackFolderName) : name;
}

std::string ZipImportStartFolder(const Settings& settings, const std::string& installFolder)
{
    const SettingInfo& info = SettingInfoOf(SettingKey::LastZipImportFolder);
    return settings.GetProfileString(info.section, info.name, installFolder);
}

void RememberZipImportFolder(Settings& settings, const std::string& chosenPath)
{
    size_t cut = chosenPath.find_last_of('/');
    settings.WriteString(SettingKey::LastZipImportFolder,
                         cut == std::string::npos ? chosenPath : chosenPath.substr(0, cut));
}
