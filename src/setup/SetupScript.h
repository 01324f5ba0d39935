#pragma once
// The setup script `Corvale.inf` held in memory: its sections, the key lines of
// [Strings] and [DestinationDirs], and the [Strings] values. A pure function of
// the script's bytes; nothing here touches a file.

#include "setup/PrefixIndex.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The two sections whose lines are looked up by key.
enum class KeyedSection { Strings, DestinationDirs };

class SetupScript {
public:
    SetupScript();
    // The script text ends at its first NUL byte, as every reader stops there.
    explicit SetupScript(std::string_view bytes);
    SetupScript(SetupScript&&) = default;
    SetupScript& operator=(SetupScript&&) = default;

    const std::string& Text() const { return *m_text; }

    // A piece of the script's text as UTF-8, for where it becomes a file
    // name, a registry or ini value or an argument. Scripts are Windows-1252,
    // unless the whole text is well-formed UTF-8 (written on this platform);
    // the choice is made once for the script, so every piece of it, and any
    // run of pieces, converts alike.
    std::string ToUtf8(std::string_view piece) const;

    // The lines of the first section headed "[name]" (exact case, column 1):
    // from the line after the header up to the next line beginning with '[',
    // or the end of the text. Nothing when there is no such header.
    std::optional<std::string_view> FindSection(std::string_view name) const;

    // In section `which`, the first line beginning (column 1, exact case) with
    // `key`; it counts only when blanks and then '=' follow the key, else the
    // key is not found even if a later line would fit. Gives the line without
    // its end and the position of that '='.
    struct KeyLine {
        std::string_view line;
        size_t equals;
    };
    std::optional<KeyLine> FindKeyLine(KeyedSection which, std::string_view key) const;

    // The quoted value of [Strings] key `key`, at most `maxChars` characters.
    // Not found when the key line holds no double quote after its first '='.
    std::optional<std::string> LookupString(std::string_view key, size_t maxChars) const;

private:
    struct Keyed {
        std::vector<std::string_view> lines;
        PrefixIndex index;
    };
    void IndexKeyedSection(KeyedSection which, std::string_view name);

    // On the heap, so the views into it stay valid when the script is moved.
    std::unique_ptr<const std::string> m_text;
    bool m_bUtf8 = false;
    // Every line beginning with '[', in text order: where it starts and, for
    // the index, its text after the bracket.
    std::vector<size_t> m_bracketLines;
    PrefixIndex m_headers;
    Keyed m_keyed[2];
};

// A line of `text` up to, not including, its CR or LF.
std::string_view LineContent(std::string_view text);

// Calls `visit` with each line of a section (each up to its CR or LF) for as
// long as it returns true.
template <typename Visit>
void ForEachLine(std::string_view section, Visit visit)
{
    size_t pos = 0;
    while (pos < section.size()) {
        size_t next = section.find('\n', pos);
        size_t end = next == std::string_view::npos ? section.size() : next;
        if (!visit(LineContent(section.substr(pos, end - pos))))
            return;
        pos = end + 1;
    }
}
