#include "app/ShellRegistration.h"

#include "model/DocTemplates.h"
#include "platform/AtomicFile.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopResources.h"
#include "platform/FileSystem.h"
#include "platform/ProcessLauncher.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Where the desktop looks for a launcher, file types and an icon, below a
// data folder (the user's, or one of the system's).
const char kDesktopEntryPath[] = "/applications/corvale.desktop";
const char kMimePackagePath[] = "/mime/packages/corvale.xml";
const char kIconPath[] = "/icons/hicolor/scalable/apps/corvale.svg";

// The files below the user's data folder that this registration writes, and
// how each is told from one someone else put at the same name.
struct OwnFile {
    const char* relativePath;
    std::string contents;
    const char* marker;
};

std::vector<OwnFile> OwnFiles(const std::string& programPath)
{
    std::string entry = DesktopEntryTemplate();
    const std::string placeholder = "@CORVALE_EXEC@";
    entry.replace(entry.find(placeholder), placeholder.size(),
                  DesktopEntryValue(DesktopExecArgument(programPath)));
    return {{kDesktopEntryPath, entry, "MimeType=application/x-corvale-picture-book;"},
            {kMimePackagePath, MimePackageXml(), "type=\"application/x-corvale-picture-book\""},
            {kIconPath, AppIconSvg(), "Corvale's own icon"}};
}

bool IsOwnFile(const std::string& path, const OwnFile& file)
{
    std::string bytes;
    return ReadFileUpTo(path, 1024 * 1024, bytes) == BoundedRead::Read &&
           bytes.find(file.marker) != std::string::npos;
}

// An installed package (a data folder of the system holding our launcher and
// file types) registers the viewer for every user.
bool PackageProvidesRegistration()
{
    for (const std::string& dir : SystemFolders::DataDirs())
        if (IsRegularFile(dir + kDesktopEntryPath) && IsRegularFile(dir + kMimePackagePath))
            return true;
    return false;
}

// A viewer installed into a prefix whose data folder is the user's own
// (`cmake --install --prefix ~/.local`) has its launcher and file types
// there, at the very names this registration would write.
bool InstalledIntoDataHome(const std::string& programPath, const std::string& dataHome)
{
    std::filesystem::path share = std::filesystem::path(programPath).parent_path().parent_path() / "share";
    std::error_code ec;
    return std::filesystem::equivalent(share, dataHome, ec) && IsRegularFile(dataHome + kDesktopEntryPath) &&
           IsRegularFile(dataHome + kMimePackagePath);
}

// The desktop reads the compiled form of its folders; a missing tool is no error.
void RefreshDatabase(const char* program, const std::string& folder)
{
    ProcessLauncher::Current().RunProgramAndWait(program, {folder},
                                                 folder, 10s);
}

// The types the viewer registers: those of its templates, and the two that
// carry its icon.
std::vector<std::string> RegisteredTypes()
{
    std::vector<std::string> types = {"Corvale.Document", "Sorvane.Document"};
    for (DocTemplateId id : kDocTemplates) {
        std::string type = GetDocString(id, regFileTypeId);
        if (!type.empty() && std::find(types.begin(), types.end(), type) == types.end())
            types.push_back(type);
    }
    return types;
}

std::string OpenCommand(const std::string& programPath)
{
    return programPath + " \"%1\"";
}

std::string IconValue(const std::string& programPath)
{
    return programPath + ",1";
}

std::string MenuExecLine(const std::string& programPath)
{
    return "Exec=" + DesktopEntryValue(DesktopExecArgument(programPath)) + " %f\n";
}

// Deletes `value` of `key` when it holds `data`; true when it did.
bool DeleteValueHolding(Registry& registry, const std::string& key, const std::string& value,
                        const std::string& data)
{
    std::string current;
    return registry.GetString(RegistryRoot::ClassesRoot, key, value, current) == RegistryStatus::Ok &&
           current == data &&
           registry.DeleteValue(RegistryRoot::ClassesRoot, key, value) == RegistryStatus::Ok;
}

// Deletes `key` and then its parents up to, not including, `top`'s parent,
// for as long as each holds neither values nor subkeys.
void DeleteEmptyKeys(Registry& registry, std::string key, const std::string& top)
{
    const RegistryRoot root = RegistryRoot::ClassesRoot;
    for (;;) {
        if (!registry.KeyExists(root, key) || !registry.SubKeys(root, key).empty() ||
            !registry.ValueNames(root, key).empty() ||
            registry.DeleteKey(root, key) != RegistryStatus::Ok || key.size() <= top.size())
            return;
        key.resize(key.find_last_of('\\'));
    }
}

} // namespace

bool RegisterShellFileTypes(Registry& registry, const std::string& programPath)
{
    const RegistryRoot root = RegistryRoot::ClassesRoot;
    bool ok = true;
    for (DocTemplateId id : kDocTemplates) {
        std::string type = GetDocString(id, regFileTypeId);
        if (type.empty())
            continue;
        ok &= registry.SetString(root, type, "", GetDocString(id, regFileTypeName)) == RegistryStatus::Ok;
        ok &= registry.SetString(root, type + "\\shell\\open\\ddeexec", "", "[open(\"%1\")]") ==
              RegistryStatus::Ok;
        ok &= registry.SetString(root, type + "\\shell\\open\\command", "", OpenCommand(programPath)) ==
              RegistryStatus::Ok;
        std::string ext = GetDocString(id, filterExt);
        if (!ext.empty()) {
            std::string current;
            RegistryStatus status = registry.GetString(root, ext, "", current);
            if (status == RegistryStatus::NotFound || (status == RegistryStatus::Ok &&
                                                       (current.empty() || current == type)))
                ok &= registry.SetString(root, ext, "", type) == RegistryStatus::Ok;
        }
    }
    for (const char* type : {"Corvale.Document", "Sorvane.Document"})
        ok &= registry.SetString(root, std::string(type) + "\\DefaultIcon", "", IconValue(programPath)) ==
              RegistryStatus::Ok;

    ok &= RegisterWithDesktop(programPath);
    return ok;
}

bool RegisterWithDesktop(const std::string& programPath)
{
    const std::string data = SystemFolders::DataHome();
    if (InstalledIntoDataHome(programPath, data))
        return true;
    // With a package installed, a launcher or file types of the user's own
    // would hide the package's (or point at another copy of the viewer):
    // those this registration wrote earlier go, and none are written.
    const bool stepAside = PackageProvidesRegistration();
    bool ok = true, entryChanged = false, mimeChanged = false;
    for (const OwnFile& file : OwnFiles(programPath)) {
        std::string path = data + file.relativePath;
        bool changed = false;
        if (stepAside) {
            changed = IsOwnFile(path, file) && ::unlink(path.c_str()) == 0;
        } else {
            std::string current;
            if (ReadFileUpTo(path, 1024 * 1024, current) != BoundedRead::Read || current != file.contents) {
                std::error_code ec;
                std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
                int err = 0;
                changed = WriteFileAtomically(path, file.contents, err);
                ok &= changed;
            }
        }
        if (changed && file.relativePath == kDesktopEntryPath)
            entryChanged = true;
        if (changed && file.relativePath == kMimePackagePath)
            mimeChanged = true;
    }
    if (mimeChanged)
        RefreshDatabase("update-mime-database", data + "/mime");
    if (entryChanged)
        RefreshDatabase("update-desktop-database", data + "/applications");
    return ok;
}

int UnregisterShellFileTypes(Registry& registry, const std::string& programPath)
{
    if (programPath.empty() || FileExists(programPath))
        return 0;
    const RegistryRoot root = RegistryRoot::ClassesRoot;
    bool types = false, icons = false;
    for (const std::string& type : RegisteredTypes()) {
        const std::string open = type + "\\shell\\open";
        icons |= DeleteValueHolding(registry, type + "\\DefaultIcon", "", IconValue(programPath));
        DeleteEmptyKeys(registry, type + "\\DefaultIcon", type);
        if (DeleteValueHolding(registry, open + "\\command", "", OpenCommand(programPath))) {
            types = true;
            registry.DeleteValue(root, open + "\\ddeexec", "");
            registry.DeleteValue(root, type, "");
            for (DocTemplateId id : kDocTemplates) {
                std::string ext = GetDocString(id, filterExt);
                if (!ext.empty() && GetDocString(id, regFileTypeId) == type &&
                    DeleteValueHolding(registry, ext, "", type))
                    DeleteEmptyKeys(registry, ext, ext);
            }
        }
        DeleteEmptyKeys(registry, open + "\\command", type);
        DeleteEmptyKeys(registry, open + "\\ddeexec", type);
    }

    // The desktop's files go only when the launcher starts the removed program;
    // another copy's registration stays.
    const std::string data = SystemFolders::DataHome();
    bool menu = false;
    std::string entry;
    if (ReadFileUpTo(data + kDesktopEntryPath, 64 * 1024, entry) == BoundedRead::Read &&
        entry.find("\n" + MenuExecLine(programPath)) != std::string::npos &&
        ::unlink((data + kDesktopEntryPath).c_str()) == 0) {
        menu = true;
        for (const OwnFile& file : OwnFiles(programPath))
            if (file.relativePath != kDesktopEntryPath && IsOwnFile(data + file.relativePath, file))
                ::unlink((data + file.relativePath).c_str());
        RefreshDatabase("update-mime-database", data + "/mime");
        RefreshDatabase("update-desktop-database", data + "/applications");
    }
    return int(types) + int(icons) + int(menu);
}
