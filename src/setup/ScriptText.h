#pragma once
// The small text rules the setup script reader shares: blanks, quotes, the
// number conversions, and the names that may stand in a path.

#include <cstdint>
#include <string>
#include <string_view>

// Longest text a line, key value, directive or path may have: the setup
// program's fixed 260-byte buffers less their terminating NUL.
constexpr size_t kMaxScriptText = 259;

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// `text` without the blanks at both ends.
std::string_view TrimBlanks(std::string_view text);

// Removes an enclosing pair of double quotes, then every double quote left.
std::string Unquote(std::string_view text);
// Every double quote removed.
std::string DropQuotes(std::string_view text);

// The standard decimal conversion: leading white space, an optional sign,
// digits; 0 when there are none. Saturates instead of overflowing.
int64_t ParseDecimal(std::string_view text);

// A 32-bit registry number: "0x"/"0X" and hex digits up to the first other
// character (none give 0), else a decimal number. Negative decimals keep their
// two's-complement bits; values past 32 bits are held at the nearest limit
// rather than wrapped into an unrelated number.
uint32_t ParseRegistryNumber(std::string_view text);

// True for a non-empty name that stays inside the folder it is put under:
// not absolute (no leading separator, no drive), and no ".." component, nor
// one that Windows reads as ".." (dots and blanks alone).
bool IsSafeRelativePath(std::string_view name);

// True when the last part of `name` can name a file: it is not empty (no
// trailing separator) and not "." or dots and blanks alone.
bool NamesAFile(std::string_view name);

// `folder` + one separator + `part`; the separator is left out when the folder
// already ends in one. `part` keeps its own separators, made the platform's.
std::string AppendPathPart(const std::string& folder, std::string_view part);
