#include "exchange/DesktopShortcut.h"

#include "model/CorvaleDoc.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopResources.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The arguments as stored (one quoted path) back into the path itself.
std::string UnquotedArgument(const std::string& arguments)
{
    if (arguments.size() >= 2 && arguments.front() == '"' && arguments.back() == '"')
        return arguments.substr(1, arguments.size() - 2);
    return arguments;
}

} // namespace

bool WriteShellLink(const ShellLink& link, const std::string& linkPath)
{
    // Desktops reject a launcher that is not UTF-8 throughout; a path that
    // is not cannot be named in one.
    for (const std::string* text : {&link.target, &link.arguments, &link.workingFolder, &link.description})
        if (!IsWellFormedUtf8(*text))
            return false;
    std::string entry = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    entry += "Name=" + DesktopEntryValue(link.description) + "\n";
    entry += "Comment=" + DesktopEntryValue(link.description) + "\n";
    entry += "Exec=" + DesktopEntryValue(DesktopExecArgument(link.target) + " " +
                                  DesktopExecArgument(UnquotedArgument(link.arguments))) + "\n";
    entry += "Path=" + DesktopEntryValue(link.workingFolder) + "\n";
    entry += std::string("Icon=") + kAppIconName + "\n";
    entry += "Terminal=false\n";
    int err = 0;
    if (!WriteFileAtomically(linkPath, entry, err))
        return false;
    // Desktops run only launchers marked executable.
    return ::chmod(linkPath.c_str(), 0755) == 0;
}

std::string DesktopFolderPath()
{
    std::string folder;
    Registry registry = Registry::Default();
    if (registry.GetString(RegistryRoot::CurrentUser, kShellFoldersKey, "Desktop", folder) ==
            RegistryStatus::Ok &&
        !folder.empty())
        return folder.substr(0, 260);
    return SystemFolders::DesktopFolder();
}

std::string ShortcutName(const CCorvaleDoc& doc)
{
    std::string name;
    if (!doc.m_strBookTitle.empty()) {
        name = Cp1252ToUtf8(doc.m_strBookTitle);
    } else {
        std::string title = doc.GetTitle();
        size_t dot = title.find_last_of('.');
        if (dot != std::string::npos)
            title.resize(dot);
        name = "Shortcut to " + title;
    }
    name = FileNameComponent(name);
    return name.empty() ? std::string("Picture Book") : name;
}

bool CreateDesktopShortcut(const CCorvaleDoc& doc, const std::string& programPath)
{
    std::string desktop = DesktopFolderPath();
    if (desktop.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(desktop, ec);

    std::string name = ShortcutName(doc);
    ShellLink link;
    link.target = programPath;
    link.arguments = "\"" + doc.GetPathName() + "\"";
    size_t slash = programPath.find_last_of('/');
    link.workingFolder = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
    link.description = name;
    return WriteShellLink(link, desktop + "/" + name + ".desktop");
}

int RemoveDesktopShortcutsTo(const std::string& programPath)
{
    namespace fs = std::filesystem;
    if (programPath.empty() || FileExists(programPath))
        return 0;
    const std::string exec = "Exec=" + DesktopEntryValue(DesktopExecArgument(programPath) + " ");
    // A launcher is a few hundred bytes; anything far larger is not ours.
    const uint64_t kMaxLauncherBytes = 64 * 1024;
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(DesktopFolderPath(), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code kindError;
        if (path.extension() != ".desktop" || !it->is_regular_file(kindError) ||
            it->is_symlink(kindError))
            continue;
        std::string bytes;
        if (ReadFileUpTo(path.string(), kMaxLauncherBytes, bytes) != BoundedRead::Read)
            continue;
        if ((bytes.compare(0, exec.size(), exec) == 0 || bytes.find("\n" + exec) != std::string::npos) &&
            ::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}
