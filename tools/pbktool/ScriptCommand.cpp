#include "ScriptCommand.h"

#include "platform/SystemFolders.h"
#include "setup/InstallSection.h"
#include "setup/PackageInfo.h"
#include "setup/ScriptLoader.h"
#include "setup/ScriptText.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>

namespace {

const char kUsage[] = "usage: pbktool script INF [--sections NAME[,NAME...]] [--install DIR]\n";

// Texts are printed as they are (8-bit), between quotes.
std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Optional(const std::optional<std::string>& text)
{
    return text ? Quoted(*text) : std::string("-");
}

std::vector<std::string> SplitNames(const std::string& list)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start)
            names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

void PrintPackage(const PackageInfo& info, std::ostream& out)
{
    out << "package:\n"
        << "  viewer included: " << (info.viewerIncluded ? "yes" : "no") << "\n"
        << "  description: " << Quoted(info.description) << "\n"
        << "  owner: " << Quoted(info.owner) << "\n"
        << "  email: " << Quoted(info.ownerEmail) << "\n"
        << "  book file: " << Quoted(info.bookFile) << "\n"
        << "  space: viewer " << info.spaceViewer << ", photos " << info.spacePhotos << ", help "
        << info.spaceHelp << "\n";
}

void PrintWorkLists(const SetupState& state, std::ostream& out)
{
    out << "directories:\n";
    for (const auto& [number, folder] : state.m_directories.Entries())
        out << "  " << number << " " << Quoted(folder) << "\n";
    out << "files:\n";
    for (const FileEntry& file : state.m_files) {
        if (file.IsDeletion())
            out << "  delete " << Quoted(file.source) << "\n";
        else
            out << "  copy " << Quoted(file.source) << " " << Quoted(*file.target) << "\n";
    }
    out << "registry:\n";
    for (const RegistryEntry& entry : state.m_registry) {
        out << "  " << (entry.hasData ? "set " : "delete ") << Registry::RootName(entry.root) << " "
            << Quoted(entry.key) << " " << Quoted(entry.valueName);
        if (entry.hasData && entry.kind == RegistryValueKind::Text)
            out << " text " << Quoted(entry.text);
        else if (entry.hasData)
            out << " number " << entry.number;
        out << "\n";
    }
    out << "ini files:\n";
    for (const IniFileEntry& ini : state.m_iniFiles) {
        out << "  " << Quoted(ini.fileName) << "\n";
        for (const IniLine& line : ini.lines)
            out << "    [" << line.section << "] " << Optional(line.oldEntry) << " -> "
                << Optional(line.newEntry) << "\n";
    }
}

} // namespace

bool ReadScriptArgument(const std::string& inf, SetupScript& script, std::ostream& err)
{
    std::string bytes;
    ScriptLoadStatus loaded = ReadScriptFile(inf, bytes);
    if (loaded != ScriptLoadStatus::Loaded) {
        err << MessageText(ScriptLoadMessage(loaded)) << "\n";
        return false;
    }
    script = SetupScript(bytes);
    return true;
}

// The script stands beside the setup program, whose folder is number 1.
std::string ScriptFolder(const std::string& inf)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(inf, ec);
    return ProgramFolder(ec ? inf : absolute.string());
}

int PrintScriptWorkLists(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string inf;
    std::string installFolder =
        AppendPathPart(SystemFolders::ProgramFilesFolder(), "Quillfen\\Corvale");
    std::optional<std::vector<std::string>> sections;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--sections" && i + 1 < args.size())
            sections = SplitNames(args[++i]);
        else if (args[i] == "--install" && i + 1 < args.size())
            installFolder = args[++i];
        else if (inf.empty() && args[i].rfind("--", 0) != 0)
            inf = args[i];
        else {
            err << kUsage;
            return 2;
        }
    }
    if (inf.empty()) {
        err << kUsage;
        return 2;
    }

    SetupScript script;
    if (!ReadScriptArgument(inf, script, err))
        return 1;
    PackageInfo info = ReadPackageInfo(script);
    if (!sections) {
        InstallChoice express;
        express.viewerIncluded = info.viewerIncluded;
        express.viewerOption = express.bookOption = express.helpOption = true;
        sections = ChosenInstallSections(express);
    }

    SetupState state;
    state.m_directories = DirectoryTable::ForInstallation(ScriptFolder(inf), installFolder,
                                                          info.description);
    ScriptRunStatus status = RunInstallSections(script, *sections, state);
    PrintPackage(info, out);
    out << "sections:";
    for (const std::string& name : *sections)
        out << " " << name;
    out << "\n";
    PrintWorkLists(state, out);
    if (status == ScriptRunStatus::Runaway) {
        err << "pbktool: the script's references do not end (a value refers to itself)\n";
        return 1;
    }
    if (status == ScriptRunStatus::TooLarge) {
        err << "pbktool: the script asks for more work than a setup package can need\n";
        return 1;
    }
    return 0;
}
