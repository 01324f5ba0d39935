#include "app/ShellRegistration.h"

#include "model/DocTemplates.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

const char kMimeXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-corvale-picture-book\">\n"
    "    <comment>Multimedia Photo Book</comment>\n"
    "    <glob pattern=\"*.pbk\" case-sensitive=\"false\"/>\n"
    "  </mime-type>\n"
    "  <mime-type type=\"application/x-corvale-collection\">\n"
    "    <comment>Old Photo Collection Set</comment>\n"
    "    <glob pattern=\"*.pcs\" case-sensitive=\"false\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

std::string QuoteForDesktopEntry(const std::string& path)
{
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
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

std::string MenuEntryPath()
{
    return SystemFolders::DataHome() + "/applications/corvale.desktop";
}

std::string MimePackagePath()
{
    return SystemFolders::DataHome() + "/mime/packages/corvale.xml";
}

std::string MenuExecLine(const std::string& programPath)
{
    return "Exec=" + QuoteForDesktopEntry(programPath) + " %f\n";
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

bool WriteTextFile(const std::string& path, const std::string& text)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    int err = 0;
    return WriteFileAtomically(path, text, err);
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

    std::string data = SystemFolders::DataHome();
    ok &= WriteTextFile(MimePackagePath(), kMimeXml);
    ok &= WriteTextFile(MenuEntryPath(),
                        "[Desktop Entry]\nType=Application\nName=Corvale\n"
                        "Comment=Viewer for Picture Books\n" +
                            MenuExecLine(programPath) +
                            "MimeType=application/x-corvale-picture-book;"
                            "application/x-corvale-collection;\nCategories=Graphics;Viewer;\n"
                            "Terminal=false\n");
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

    bool menu = false;
    std::string entry;
    if (ReadFileUpTo(MenuEntryPath(), 64 * 1024, entry) == BoundedRead::Read &&
        entry.find("\n" + MenuExecLine(programPath)) != std::string::npos &&
        ::unlink(MenuEntryPath().c_str()) == 0) {
        menu = true;
        ::unlink(MimePackagePath().c_str());
    }
    return int(types) + int(icons) + int(menu);
}
