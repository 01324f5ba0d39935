#include "exchange/ImportFolders.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"

#include <filesystem>

namespace {

const char kMyPhotos[] = "My Photos";
const char kFallbackFolderName[] = "Picture Book";
// Room under the usual 255-byte limit for a "(9999)" after the name.
constexpr size_t kMaxFolderNameBytes = 200;
// Beyond this many numbered alternatives the folder counts as impossible to make.
constexpr int kMaxFolderAlternatives = 9999;

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

NewFolder MakeNewFolder(const std::string& parent, const std::string& name,
                        const std::function<bool()>& askOtherName, std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(parent, ec);
    path = PathInFolder(parent, name);
    for (int counter = 0;;) {
        if (fs::create_directory(path, ec))
            return NewFolder::Made;
        fs::file_status status = fs::status(path, ec);
        if (!fs::exists(status))
            return NewFolder::Failed;
        if (!fs::is_directory(status))
            return NewFolder::NotAFolder;
        // An earlier writer into it may have been killed half-way.
        RemoveStaleTemporaries(path);
        if (counter == 0 && !askOtherName())
            return NewFolder::Declined;
        if (++counter > kMaxFolderAlternatives)
            return NewFolder::Failed;
        path = PathInFolder(parent, name + "(" + std::to_string(counter) + ")");
    }
}
