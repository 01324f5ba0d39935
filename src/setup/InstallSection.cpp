#include "setup/InstallSection.h"

#include "platform/PathResolver.h"
#include "platform/RegistryTree.h"
#include "setup/ScriptLookups.h"
#include "setup/ScriptText.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unordered_map>

namespace {

enum class Directive { CopyFiles, DelFiles, AddReg, DelReg, UpdateInis, Other };

Directive DirectiveOf(std::string_view name)
{
    if (name == "CopyFiles")
        return Directive::CopyFiles;
    if (name == "DelFiles")
        return Directive::DelFiles;
    if (name == "AddReg")
        return Directive::AddReg;
    if (name == "DelReg")
        return Directive::DelReg;
    if (name == "UpdateInis")
        return Directive::UpdateInis;
    return Directive::Other;
}

bool RootOf(std::string_view field, RegistryRoot& root)
{
    std::string_view four = field.substr(0, 4);
    if (four == "HKLM")
        root = RegistryRoot::LocalMachine;
    else if (four == "HKCC")
        root = RegistryRoot::CurrentConfig;
    else if (four == "HKCU")
        root = RegistryRoot::CurrentUser;
    else if (four == "HKCR")
        root = RegistryRoot::ClassesRoot;
    else if (field.substr(0, 2) == "HU")
        root = RegistryRoot::Users;
    else
        return false;
    return true;
}

// Fields of a registry line: runs of commas count as one separator.
class RegistryFields {
public:
    explicit RegistryFields(std::string_view line) : m_line(line) {}

    // The next field; false when the line has none left. `endedByComma` says
    // whether a comma closed it (and was consumed).
    bool Next(std::string_view& field, bool& endedByComma)
    {
        while (m_pos < m_line.size() && m_line[m_pos] == ',')
            ++m_pos;
        if (m_pos == m_line.size())
            return false;
        size_t start = m_pos;
        while (m_pos < m_line.size() && m_line[m_pos] != ',')
            ++m_pos;
        field = m_line.substr(start, m_pos - start);
        endedByComma = m_pos < m_line.size();
        if (endedByComma)
            ++m_pos;
        return true;
    }
    std::string_view Rest() const { return m_line.substr(m_pos); }

private:
    std::string_view m_line;
    size_t m_pos = 0;
};

// The next field of an ini line, up to a comma (outside double quotes when
// `quoted`); consumes that comma. Missing fields are empty.
std::string_view IniField(std::string_view line, size_t& pos, bool quoted)
{
    size_t start = pos;
    bool inQuotes = false;
    for (; pos < line.size(); ++pos) {
        if (quoted && line[pos] == '"')
            inQuotes = !inQuotes;
        else if (line[pos] == ',' && !inQuotes)
            break;
    }
    std::string_view field = line.substr(start, pos - start);
    if (pos < line.size())
        ++pos;
    return field;
}

// True when `name` inside `folder` is a symbolic link or is reached through
// one: a package's files are read only where they stand, never from wherever
// a link points.
bool PassesThroughLink(const std::string& folder, const std::string& name)
{
    std::string path = folder;
    std::string rest = PathResolver::ToPlatformSeparators(name);
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = std::min(rest.find('/', start), rest.size());
        if (end > start) {
            path = AppendPathPart(path, std::string_view(rest).substr(start, end - start));
            struct stat st{};
            if (::lstat(path.c_str(), &st) != 0)
                return false;
            if (S_ISLNK(st.st_mode))
                return true;
        }
        start = end + 1;
    }
    return false;
}

class SectionRunner {
public:
    SectionRunner(const SetupScript& script, SetupState& state) : m_script(script), m_state(state)
    {
        for (size_t i = 0; i < state.m_iniFiles.size(); ++i)
            m_iniIndex.emplace(LowerAscii(state.m_iniFiles[i].fileName), i);
    }

    ScriptRunStatus Run(std::string_view name)
    {
        std::optional<std::string_view> section = m_script.FindSection(name);
        if (section)
            ForEachLine(*section, [&](std::string_view line) {
                RunDirectiveLine(line);
                return m_status == ScriptRunStatus::Ok && Spend(1);
            });
        return m_status;
    }

private:
    bool Spend(size_t steps)
    {
        m_state.m_nScriptSteps += steps;
        if (m_state.m_nScriptSteps > kMaxScriptSteps || m_state.m_nWorkListBytes > kMaxWorkListBytes)
            m_status = ScriptRunStatus::TooLarge;
        return m_status == ScriptRunStatus::Ok;
    }

    bool Charge(size_t bytes)
    {
        m_state.m_nWorkListBytes += bytes;
        return Spend(0);
    }

    // Substitutes `text`; false (with the run failed) when its references do not end.
    bool Substitute(std::string_view text, std::string& out)
    {
        Substitution sub = SubstituteReferences(m_script, m_state.m_directories, text);
        if (sub.runaway) {
            m_status = ScriptRunStatus::Runaway;
            return false;
        }
        out = std::move(sub.text);
        return Spend(sub.replacements);
    }

    // Notes that `line` (a view into the script) was passed over, once per
    // line, reason and section in this run.
    void Skip(std::string_view line, SkipReason reason, std::string_view section = {})
    {
        size_t offset = static_cast<size_t>(line.data() - m_script.Text().data());
        if (!m_noted.emplace(offset, reason, std::string(section)).second)
            return;
        m_state.m_skipped.push_back(SkippedLine{offset, reason, std::string(section)});
        Charge(sizeof(SkippedLine) + 2 * section.size());
    }

    void RunDirectiveLine(std::string_view line)
    {
        if (!line.empty() && line[0] == ';')
            return;
        size_t start = 0;
        while (start < line.size() && IsBlank(line[start]))
            ++start;
        if (start == line.size())
            return;
        size_t end = start;
        while (end < line.size() && line[end] != '=' && !IsBlank(line[end]))
            ++end;
        if (end - start > kMaxScriptText || end == line.size() || line[end] != '=') {
            Skip(line, SkipReason::NoEqualsAfterDirective);
            return;
        }
        Directive directive = DirectiveOf(line.substr(start, end - start));
        if (directive == Directive::Other) {
            Skip(line, SkipReason::UnknownDirective);
            return;
        }
        size_t valueEnd = ++end;
        while (valueEnd < line.size() && !IsBlank(line[valueEnd]))
            ++valueEnd;
        std::string_view value = line.substr(end, std::min(valueEnd - end, kMaxScriptText));
        while (!value.empty() && m_status == ScriptRunStatus::Ok) {
            size_t comma = value.find(',');
            std::string_view name = value.substr(0, comma);
            value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
            if (name.empty())
                continue;
            if (!m_script.FindSection(name))
                Skip(line, SkipReason::MissingSection, name);
            else
                ReadSection(directive, name);
        }
    }

    // The lines of a file, registry or ini section worth reading, each from
    // its first non-blank character, parsed once per run however often named.
    const std::vector<std::string_view>& DataLines(std::string_view name)
    {
        auto it = m_dataLines.find(std::string(name));
        if (it != m_dataLines.end())
            return it->second;
        std::vector<std::string_view>& lines = m_dataLines[std::string(name)];
        if (std::optional<std::string_view> section = m_script.FindSection(name))
            ForEachLine(*section, [&](std::string_view line) {
                size_t start = 0;
                while (start < line.size() && IsBlank(line[start]))
                    ++start;
                if (start < line.size() && line[start] != ';' && line[start] != '[')
                    lines.push_back(line.substr(start, kMaxScriptText));
                return Spend(1);
            });
        return lines;
    }

    void ReadSection(Directive directive, std::string_view name)
    {
        const std::vector<std::string_view>& lines = DataLines(name);
        if (!Spend(1))
            return;
        if (directive == Directive::CopyFiles || directive == Directive::DelFiles) {
            ReadFileSection(directive == Directive::CopyFiles, name, lines);
            return;
        }
        for (std::string_view line : lines) {
            if (directive == Directive::UpdateInis)
                AddIniLine(line);
            else
                AddRegistryLine(directive == Directive::AddReg, line);
            if (!Spend(1))
                return;
        }
    }

    struct FileFolder {
        std::optional<std::string> folder;
        bool unsafe = false; // the destination leads out of its numbered folder
    };

    // The folder a file section's names are put in; null when its files must
    // be passed over (`unsafe` says when that is for leading out of its folder).
    const std::string* FileDestination(std::string_view name, bool& unsafe)
    {
        auto it = m_destinations.find(std::string(name));
        if (it == m_destinations.end()) {
            Destination found = LookupDestination(m_script, m_state.m_directories, name);
            if (found.status == Destination::Status::Runaway) {
                m_status = ScriptRunStatus::Runaway;
                return nullptr;
            }
            if (!Spend(found.replacements))
                return nullptr;
            FileFolder folder;
            folder.unsafe = found.status == Destination::Status::Unsafe;
            if (found.status == Destination::Status::Found)
                folder.folder = std::move(found.folder);
            else if (found.status == Destination::Status::NotFound)
                if (const std::string* install =
                        m_state.m_directories.Find(DirectoryTable::kInstallFolder))
                    folder.folder = *install;
            it = m_destinations.emplace(std::string(name), std::move(folder)).first;
        }
        unsafe = it->second.unsafe;
        return it->second.folder ? &*it->second.folder : nullptr;
    }

    // Why `fileName` cannot be used; nothing when it can.
    std::optional<SkipReason> FileNameFault(const std::string& fileName, bool copy,
                                            const std::string* setupFolder)
    {
        if (!fileName.empty() && !IsSafeRelativePath(fileName))
            return SkipReason::UnsafeName;
        if (!NamesAFile(fileName))
            return SkipReason::NotAFileName;
        if (copy && PassesThroughLink(setupFolder ? *setupFolder : std::string(), fileName))
            return SkipReason::LinkedPackageFile;
        return std::nullopt;
    }

    void ReadFileSection(bool copy, std::string_view name, const std::vector<std::string_view>& lines)
    {
        bool unsafe = false;
        const std::string* destination = FileDestination(name, unsafe);
        if (!destination) {
            if (unsafe)
                for (std::string_view line : lines)
                    Skip(line, SkipReason::UnsafeDestination);
            return;
        }
        const std::string* setupFolder = m_state.m_directories.Find(DirectoryTable::kSetupFolder);
        for (std::string_view line : lines) {
            std::string fileName = m_script.ToUtf8(TrimBlanks(Unquote(line)));
            if (std::optional<SkipReason> fault = FileNameFault(fileName, copy, setupFolder)) {
                Skip(line, *fault);
            } else {
                FileEntry entry;
                std::string target = AppendPathPart(*destination, fileName);
                if (copy) {
                    entry.source = AppendPathPart(setupFolder ? *setupFolder : std::string(), fileName);
                    entry.target = std::move(target);
                } else {
                    entry.source = std::move(target);
                }
                size_t bytes = sizeof(FileEntry) + entry.source.size() +
                               (entry.target ? entry.target->size() : 0);
                m_state.m_files.push_back(std::move(entry));
                if (!Charge(bytes))
                    return;
            }
            if (!Spend(1))
                return;
        }
    }

    void AddRegistryLine(bool add, std::string_view line)
    {
        RegistryFields fields(line);
        std::string_view field;
        bool comma = false;
        RegistryEntry entry;
        if (!fields.Next(field, comma) || !RootOf(field, entry.root)) {
            Skip(line, SkipReason::UnknownRoot);
            return;
        }
        if (!fields.Next(field, comma)) {
            Skip(line, SkipReason::NoKeyPath);
            return;
        }
        entry.key = m_script.ToUtf8(field);
        if (fields.Next(field, comma))
            entry.valueName = m_script.ToUtf8(Unquote(field));
        if (add) {
            // Without a kind field, or without the comma that begins the data,
            // the line says nothing that could be set.
            std::string_view kind;
            if (!fields.Next(kind, comma) || !comma) {
                Skip(line, SkipReason::NoKindOrData);
                return;
            }
            std::string_view data = fields.Rest();
            entry.hasData = true;
            if (kind[0] == '0') {
                entry.kind = RegistryValueKind::Text;
                if (!Substitute(Unquote(data), entry.text))
                    return;
            } else {
                entry.kind = RegistryValueKind::Number;
                entry.number = ParseRegistryNumber(data);
            }
        }
        size_t bytes = sizeof(RegistryEntry) + entry.key.size() + entry.valueName.size() +
                       entry.text.size();
        m_state.m_registry.push_back(std::move(entry));
        Charge(bytes);
    }

    void AddIniLine(std::string_view line)
    {
        size_t pos = 0;
        std::string fileName = m_script.ToUtf8(TrimBlanks(IniField(line, pos, false)));
        std::string_view section = TrimBlanks(IniField(line, pos, false));
        std::string oldEntry = DropQuotes(IniField(line, pos, true));
        std::string newEntry = DropQuotes(IniField(line, pos, true));
        if (!fileName.empty() && !IsSafeRelativePath(fileName)) {
            Skip(line, SkipReason::UnsafeName);
            return;
        }
        if (!NamesAFile(fileName)) {
            Skip(line, SkipReason::NotAFileName);
            return;
        }
        IniLine iniLine;
        if (!Substitute(section, iniLine.section))
            return;
        std::string_view trimmed = TrimBlanks(oldEntry);
        if (!trimmed.empty() && !Substitute(trimmed, iniLine.oldEntry.emplace()))
            return;
        trimmed = TrimBlanks(newEntry);
        if (!trimmed.empty() && !Substitute(trimmed, iniLine.newEntry.emplace()))
            return;

        size_t bytes = sizeof(IniLine) + iniLine.section.size() +
                       (iniLine.oldEntry ? iniLine.oldEntry->size() : 0) +
                       (iniLine.newEntry ? iniLine.newEntry->size() : 0);
        auto [it, added] = m_iniIndex.emplace(LowerAscii(fileName), m_state.m_iniFiles.size());
        if (added) {
            m_state.m_iniFiles.push_back(IniFileEntry{fileName, {}});
            bytes += sizeof(IniFileEntry) + fileName.size();
        }
        m_state.m_iniFiles[it->second].lines.push_back(std::move(iniLine));
        Charge(bytes);
    }

    const SetupScript& m_script;
    SetupState& m_state;
    ScriptRunStatus m_status = ScriptRunStatus::Ok;
    std::unordered_map<std::string, size_t> m_iniIndex;
    std::unordered_map<std::string, std::vector<std::string_view>> m_dataLines;
    std::unordered_map<std::string, FileFolder> m_destinations;
    std::set<std::tuple<size_t, SkipReason, std::string>> m_noted;
};

} // namespace

ScriptRunStatus RunInstallSection(const SetupScript& script, std::string_view section,
                                  SetupState& state)
{
    SectionRunner runner(script, state);
    return runner.Run(section);
}

std::vector<std::string> ChosenInstallSections(const InstallChoice& choice)
{
    if (choice.uninstall)
        return {"CorvaleUninstall"};
    std::vector<std::string> sections;
    if (choice.viewerOption && choice.viewerIncluded)
        sections.push_back("CorvaleInstall");
    if (choice.bookOption)
        sections.push_back("Option2Section");
    if (choice.helpOption)
        sections.push_back("Option3Section");
    return sections;
}

ScriptRunStatus RunInstallSections(const SetupScript& script,
                                   const std::vector<std::string>& sections, SetupState& state)
{
    for (const std::string& section : sections) {
        ScriptRunStatus status = RunInstallSection(script, section, state);
        if (status != ScriptRunStatus::Ok)
            return status;
    }
    return ScriptRunStatus::Ok;
}
