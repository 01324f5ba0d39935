#include "setup/ScriptText.h"

#include "platform/PathResolver.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// "..", and the forms Windows reads as it (trailing dots and blanks are
// dropped from a component there).
bool IsParentComponent(std::string_view part)
{
    size_t dots = 0;
    for (char c : part) {
        if (c == '.')
            ++dots;
        else if (!IsBlank(c))
            return false;
    }
    return dots >= 2;
}

} // namespace

std::string_view TrimBlanks(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    size_t end = text.size();
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

std::string Unquote(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return DropQuotes(text);
}

std::string DropQuotes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '"')
            out += c;
    return out;
}

int64_t ParseDecimal(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\v' || text[i] == '\f' ||
                               IsLineEnd(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const int64_t limit = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (limit - digit) / 10) {
            value = limit;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9')
                ++i;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

uint32_t ParseRegistryNumber(std::string_view text)
{
    const uint64_t max32 = std::numeric_limits<uint32_t>::max();
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        uint64_t value = 0;
        auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
        if (error == std::errc::result_out_of_range)
            value = max32;
        return static_cast<uint32_t>(std::min(value, max32));
    }
    int64_t value = ParseDecimal(text);
    if (value < std::numeric_limits<int32_t>::min())
        return 0x80000000u;
    if (value < 0)
        return static_cast<uint32_t>(static_cast<int32_t>(value));
    return static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(value), max32));
}

bool IsSafeRelativePath(std::string_view name)
{
    if (name.empty() || IsSeparator(name[0]))
        return false;
    if (name.size() >= 2 && name[1] == ':')
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (IsParentComponent(name.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

bool NamesAFile(std::string_view name)
{
    size_t last = name.find_last_of("\\/");
    std::string_view part = last == std::string_view::npos ? name : name.substr(last + 1);
    return std::any_of(part.begin(), part.end(), [](char c) { return c != '.' && !IsBlank(c); });
}

std::string AppendPathPart(const std::string& folder, std::string_view part)
{
    // The platform's separator is what it makes of a Windows one.
    static const std::string separator = PathResolver::ToPlatformSeparators("\\");
    std::string out = folder;
    if (!out.empty() && !IsSeparator(out.back()))
        out += separator;
    out += PathResolver::ToPlatformSeparators(std::string(part));
    return out;
}
