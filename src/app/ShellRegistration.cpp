#include "app/ShellRegistration.h"

#include "model/DocTemplates.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"

#include <filesystem>

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
        ok &= registry.SetString(root, type + "\\shell\\open\\command", "", programPath + " \"%1\"") ==
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
        ok &= registry.SetString(root, std::string(type) + "\\DefaultIcon", "", programPath + ",1") ==
              RegistryStatus::Ok;

    std::string data = SystemFolders::DataHome();
    ok &= WriteTextFile(data + "/mime/packages/corvale.xml", kMimeXml);
    ok &= WriteTextFile(data + "/applications/corvale.desktop",
                        "[Desktop Entry]\nType=Application\nName=Corvale\n"
                        "Comment=Viewer for Picture Books\nExec=" +
                            QuoteForDesktopEntry(programPath) +
                            " %f\nMimeType=application/x-corvale-picture-book;"
                            "application/x-corvale-collection;\nCategories=Graphics;Viewer;\n"
                            "Terminal=false\n");
    return ok;
}
