#include "setup/DirectoryTable.h"

#include "platform/SystemFolders.h"
#include "setup/ScriptText.h"

#include <cstring>

namespace {

std::string FolderName(const std::string& desc)
{
    std::string name = desc;
    bool onlyDots = !name.empty();
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c))
            c = '_';
        onlyDots = onlyDots && c == '.';
    }
    if (onlyDots)
        name.assign(name.size(), '_');
    return name;
}

} // namespace

void DirectoryTable::Set(uint32_t number, std::string folder)
{
    if (number != 0)
        m_folders[number] = std::move(folder);
}

const std::string* DirectoryTable::Find(uint64_t number) const
{
    if (number > UINT32_MAX)
        return nullptr;
    auto it = m_folders.find(static_cast<uint32_t>(number));
    return it == m_folders.end() ? nullptr : &it->second;
}

DirectoryTable DirectoryTable::ForInstallation(const std::string& setupFolder,
                                               const std::string& installFolder,
                                               const std::string& photosDesc)
{
    DirectoryTable table;
    table.Set(kSetupFolder, setupFolder);
    table.Set(kSystemFolder, SystemFolders::SystemFolder());
    table.Set(kInstallFolder, installFolder);
    table.Set(kPictureBookFolder, PictureBookFolder(installFolder, photosDesc));
    return table;
}

std::string PictureBookFolder(const std::string& installFolder, const std::string& photosDesc)
{
    return AppendPathPart(AppendPathPart(installFolder, "My Photos"), FolderName(photosDesc));
}
