// A setup script from a package someone sent: the package's description and
// every install section's work lists. Whatever the bytes, every file the lists
// name lies inside one of the installation's numbered folders, and every ini
// file lies inside the Windows folder (a relative name without parent steps).

#include "setup/InstallSection.h"
#include "setup/PackageInfo.h"
#include "setup/SetupScript.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool HasParentStep(const std::string& path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (!part.empty() && part.find_first_not_of('.') == std::string::npos && part.size() > 1)
            return true;
        start = end + 1;
    }
    return false;
}

void CheckInside(const std::string& path, const DirectoryTable& table)
{
    if (HasParentStep(path))
        std::abort();
    for (const auto& [number, folder] : table.Entries()) {
        std::string prefix = folder;
        if (!prefix.empty() && prefix.back() != '/')
            prefix += '/';
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0)
            return;
    }
    std::abort();
}

void RunAndCheck(const SetupScript& script, const DirectoryTable& table,
                 const std::vector<std::string>& sections)
{
    SetupState state;
    state.m_directories = table;
    RunInstallSections(script, sections, state);
    for (const FileEntry& file : state.m_files) {
        CheckInside(file.source, table);
        if (file.target)
            CheckInside(*file.target, table);
    }
    for (const IniFileEntry& ini : state.m_iniFiles)
        if (ini.fileName.empty() || ini.fileName[0] == '/' || ini.fileName[0] == '\\' ||
            (ini.fileName.size() > 1 && ini.fileName[1] == ':') || HasParentStep(ini.fileName))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetupScript script(std::string_view(reinterpret_cast<const char*>(data), size));
    PackageInfo info = ReadPackageInfo(script);
    DirectoryTable table = DirectoryTable::ForInstallation("/media/cd/", "/opt/Corvale", info.description);
    RunAndCheck(script, table, {"CorvaleInstall", "Option2Section", "Option3Section"});
    RunAndCheck(script, table, {"CorvaleUninstall"});
    return 0;
}
