#include "setup/ScriptLookups.h"

#include "setup/ScriptText.h"

#include <algorithm>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The reference at the front of `pending` (stored back to front, so that a
// value can be put in front of the rest in time proportional to the value).
// Gives the reference's length with both percent signs; a [Strings] value in
// `value`, to be read on, or else a directory's folder in `folder`, which is
// a path of this machine and final. False when it cannot be replaced.
bool ResolveFront(const SetupScript& script, const DirectoryTable& directories,
                  const std::string& pending, size_t& length, std::string& value,
                  const std::string*& folder)
{
    size_t n = pending.size();
    auto at = [&](size_t k) { return pending[n - 1 - k]; };
    size_t k = 1;
    uint64_t number = 0;
    while (k < n && IsDigit(at(k))) {
        number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(at(k) - '0'),
                                    uint64_t(1) << 40);
        ++k;
    }
    folder = nullptr;
    if (k > 1 && k < n && at(k) == '%') {
        folder = directories.Find(number);
        length = k + 1;
        return folder != nullptr;
    }
    std::string name;
    for (k = 1; k < n && at(k) != '%' && !IsLineEnd(at(k)); ++k)
        name += at(k);
    if (k == n || at(k) != '%')
        return false;
    std::optional<std::string> found = script.LookupString(name, kMaxScriptText);
    if (!found)
        return false;
    length = k + 1;
    value = std::move(*found);
    return true;
}

} // namespace

Substitution SubstituteReferences(const SetupScript& script, const DirectoryTable& directories,
                                  std::string_view text)
{
    Substitution result;
    // The script's own text gathers in `raw` and is converted as it joins
    // `done`, which folders join as they are: they are UTF-8 already.
    std::string done, raw;
    std::string pending(text.rbegin(), text.rend());
    std::string value;
    while (!pending.empty()) {
        if (pending.back() != '%') {
            raw += pending.back();
            pending.pop_back();
            continue;
        }
        size_t length = 0;
        const std::string* folder = nullptr;
        if (!ResolveFront(script, directories, pending, length, value, folder))
            break;
        pending.resize(pending.size() - length);
        if (folder) {
            done += script.ToUtf8(raw);
            raw.clear();
            done += *folder;
        } else {
            pending.append(value.rbegin(), value.rend());
        }
        if (++result.replacements > kMaxReplacements ||
            done.size() + raw.size() + pending.size() > kMaxSubstitutedText) {
            result.text = script.ToUtf8(text);
            result.runaway = true;
            return result;
        }
    }
    raw.append(pending.rbegin(), pending.rend());
    done += script.ToUtf8(raw);
    result.text = std::move(done);
    return result;
}

Destination LookupDestination(const SetupScript& script, const DirectoryTable& directories,
                              std::string_view section)
{
    Destination result;
    std::optional<SetupScript::KeyLine> keyLine =
        script.FindKeyLine(KeyedSection::DestinationDirs, section);
    if (!keyLine)
        return result;
    std::string_view line = keyLine->line;
    size_t start = keyLine->equals + 1;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    size_t end = start;
    for (bool quoted = false; end < line.size() && (quoted || !IsBlank(line[end])); ++end)
        if (line[end] == '"')
            quoted = !quoted;
    std::string_view value = line.substr(start, std::min(end - start, kMaxScriptText));

    int64_t number = ParseDecimal(value);
    const std::string* folder = number > 0 ? directories.Find(static_cast<uint64_t>(number)) : nullptr;
    if (!folder)
        return result;
    std::string path = *folder;
    size_t comma = value.find(',');
    if (comma != std::string_view::npos) {
        Substitution sub = SubstituteReferences(script, directories, Unquote(value.substr(comma + 1)));
        result.replacements = sub.replacements;
        if (sub.runaway) {
            result.status = Destination::Status::Runaway;
            return result;
        }
        if (!sub.text.empty()) {
            if (!IsSafeRelativePath(sub.text)) {
                result.status = Destination::Status::Unsafe;
                return result;
            }
            path = AppendPathPart(path, sub.text);
        }
    }
    if (path.size() > kMaxScriptText)
        return result;
    result.status = Destination::Status::Found;
    result.folder = std::move(path);
    return result;
}
