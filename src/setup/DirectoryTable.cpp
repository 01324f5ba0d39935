#include "setup/DirectoryTable.h"

#include "platform/SystemFolders.h"
#include "setup/ScriptText.h"

#include <cstring>

namespace {

// `desc` (UTF-8) as one folder name. Control characters, the C1 ones that
// the code page's unassigned bytes become among them, would be invisible or
// act on a terminal that lists the folder.
std::string FolderName(const std::string& desc)
{
    std::string name;
    bool onlyDots = !desc.empty();
    for (size_t i = 0; i < desc.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(desc[i]);
        bool c1 = c == 0xC2 && i + 1 < desc.size() &&
                  static_cast<unsigned char>(desc[i + 1]) >= 0x80 &&
                  static_cast<unsigned char>(desc[i + 1]) <= 0x9F;
        if (c1)
            ++i;
        if (c1 || c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c))
            name += '_';
        else
            name += static_cast<char>(c);
        onlyDots = onlyDots && name.back() == '.';
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
