#include "ScriptCommand.h"

#include "platform/SystemFolders.h"
#include "setup/InstallSection.h"
#include "setup/PackageInfo.h"
#include "setup/ScriptLoader.h"
#include "setup/ScriptText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <tuple>

namespace {

const char kUsage[] = "usage: pbktool script INF [--sections NAME[,NAME...]] [--install DIR]\n";

// A text (UTF-8) escaped as `pbktool dump` escapes its texts, so nothing in
// it can act on a terminal: quotes and backslashes, control characters (C1
// ones too) as \uXXXX, and bytes that are not UTF-8 as \xXX.
std::string Escaped(std::string_view text)
{
    std::string out;
    char escaped[8];
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3
                      : c >= 0xF0 && c < 0xF5 ? 4 : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        unsigned control = c < 0x20 || c == 0x7F ? c
                         : whole && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0
                             ? static_cast<unsigned char>(text[i + 1])
                             : 0;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t' || c == '\n' || c == '\r') {
            out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
        } else if (control != 0 || c == 0) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", control);
            out += escaped;
            i += length - 1;
        } else if (!whole) {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out.append(text.substr(i, length));
            i += length - 1;
        }
    }
    return out;
}

std::string Quoted(const std::string& text)
{
    return "\"" + Escaped(text) + "\"";
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
            out << "    [" << Escaped(line.section) << "] " << Optional(line.oldEntry) << " -> "
                << Optional(line.newEntry) << "\n";
    }
}

const char* SkipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::NoEqualsAfterDirective: return "the directive is not followed directly by '='";
    case SkipReason::UnknownDirective: return "no directive setup knows";
    case SkipReason::MissingSection: return "the script has no section ";
    case SkipReason::UnsafeName: return "the name leads out of its folder";
    case SkipReason::NotAFileName: return "the name names no file";
    case SkipReason::LinkedPackageFile: return "the package's file is a symbolic link or lies behind one";
    case SkipReason::UnsafeDestination: return "the section's destination leads out of its folder";
    case SkipReason::UnknownRoot: return "no registry root (HKLM, HKCU, HKCR, HKCC or HU)";
    case SkipReason::NoKeyPath: return "no registry key";
    case SkipReason::NoKindOrData: return "no kind, or no data after it";
    }
    return "";
}

// Every line passed over, once, in script order: its number, its section,
// the line and why. An author learns there what an install would leave out.
void PrintSkippedLines(const SetupScript& script, std::vector<SkippedLine> skipped,
                       std::ostream& out)
{
    auto key = [](const SkippedLine& s) { return std::tie(s.offset, s.reason, s.section); };
    std::sort(skipped.begin(), skipped.end(),
              [&](const SkippedLine& a, const SkippedLine& b) { return key(a) < key(b); });
    skipped.erase(std::unique(skipped.begin(), skipped.end(),
                              [&](const SkippedLine& a, const SkippedLine& b) { return key(a) == key(b); }),
                  skipped.end());
    std::string_view text = script.Text();
    // Where each line and each section header begins.
    std::vector<size_t> lines{0}, headers;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\n')
            lines.push_back(at + 1);
        else if (text[at] == '[' && at == lines.back())
            headers.push_back(at);
    }
    out << "skipped:\n";
    for (const SkippedLine& s : skipped) {
        size_t number = static_cast<size_t>(std::upper_bound(lines.begin(), lines.end(), s.offset) -
                                            lines.begin());
        auto header = std::upper_bound(headers.begin(), headers.end(), s.offset);
        std::string_view section;
        if (header != headers.begin()) {
            section = LineContent(text.substr(*std::prev(header)));
            section = section.substr(0, std::min(section.find(']'), section.size() - 1) + 1);
        }
        out << "  line " << number << " " << Escaped(script.ToUtf8(section)) << " "
            << Quoted(script.ToUtf8(LineContent(text.substr(lines[number - 1])))) << ": "
            << SkipReasonText(s.reason);
        if (s.reason == SkipReason::MissingSection)
            out << "[" << Escaped(script.ToUtf8(s.section)) << "]";
        out << "\n";
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
        out << " " << Escaped(name);
    out << "\n";
    PrintWorkLists(state, out);
    PrintSkippedLines(script, state.m_skipped, out);
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
