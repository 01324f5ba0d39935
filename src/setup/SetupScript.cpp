#include "setup/SetupScript.h"

#include "platform/CodePage.h"
#include "setup/ScriptText.h"

namespace {

const char* const kKeyedSectionNames[] = {"Strings", "DestinationDirs"};

} // namespace

std::string_view LineContent(std::string_view text)
{
    size_t end = 0;
    while (end < text.size() && !IsLineEnd(text[end]))
        ++end;
    return text.substr(0, end);
}

SetupScript::SetupScript() : SetupScript(std::string_view()) {}

SetupScript::SetupScript(std::string_view bytes)
    : m_text(std::make_unique<const std::string>(bytes.substr(0, bytes.find('\0'))))
{
    std::string_view text = *m_text;
    m_bUtf8 = IsWellFormedUtf8(text);
    std::vector<std::string_view> headers;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t next = text.find('\n', pos);
        size_t end = next == std::string_view::npos ? text.size() : next;
        if (text[pos] == '[') {
            m_bracketLines.push_back(pos);
            headers.push_back(LineContent(text.substr(pos + 1, end - pos - 1)));
        }
        pos = end + 1;
    }
    m_headers = PrefixIndex(headers);
    IndexKeyedSection(KeyedSection::Strings, kKeyedSectionNames[0]);
    IndexKeyedSection(KeyedSection::DestinationDirs, kKeyedSectionNames[1]);
}

void SetupScript::IndexKeyedSection(KeyedSection which, std::string_view name)
{
    Keyed& keyed = m_keyed[static_cast<int>(which)];
    if (std::optional<std::string_view> section = FindSection(name))
        ForEachLine(*section, [&](std::string_view line) {
            keyed.lines.push_back(line);
            return true;
        });
    keyed.index = PrefixIndex(keyed.lines);
}

std::string SetupScript::ToUtf8(std::string_view piece) const
{
    return m_bUtf8 ? std::string(piece) : Cp1252ToUtf8(piece);
}

std::optional<std::string_view> SetupScript::FindSection(std::string_view name) const
{
    std::string header(name);
    header += ']';
    int64_t found = m_headers.First(header);
    if (found < 0)
        return std::nullopt;
    size_t i = static_cast<size_t>(found);
    std::string_view text = *m_text;
    size_t lineEnd = text.find('\n', m_bracketLines[i]);
    size_t start = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
    size_t end = i + 1 < m_bracketLines.size() ? m_bracketLines[i + 1] : text.size();
    return text.substr(start, end - start);
}

std::optional<SetupScript::KeyLine> SetupScript::FindKeyLine(KeyedSection which,
                                                             std::string_view key) const
{
    const Keyed& keyed = m_keyed[static_cast<int>(which)];
    int64_t found = keyed.index.First(key);
    if (found < 0)
        return std::nullopt;
    std::string_view line = keyed.lines[static_cast<size_t>(found)];
    size_t pos = key.size();
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    return KeyLine{line, pos};
}

std::optional<std::string> SetupScript::LookupString(std::string_view key, size_t maxChars) const
{
    std::optional<KeyLine> keyLine = FindKeyLine(KeyedSection::Strings, key);
    if (!keyLine)
        return std::nullopt;
    std::string_view line = keyLine->line;
    size_t quote = line.find('"', line.find('='));
    if (quote == std::string_view::npos)
        return std::nullopt;
    std::string_view value = line.substr(quote + 1);
    value = value.substr(0, value.find('"'));
    return std::string(value.substr(0, maxChars));
}
