// The names an export gives its files and folders, from any bytes: each is
// well-formed UTF-8 of at most the limit, holds nothing a common file system
// or a link would trip on, is never hidden, "." or "..", stays the same when
// made portable again, and a folder never hands out one name twice.

#include "exchange/UniqueNames.h"
#include "platform/CodePage.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxExportNameBytes + 16)
        std::abort();
    if (name == "." || name == ".." || name[0] == '.' || name[0] == ' ' || name.back() == '.' ||
        name.back() == ' ')
        std::abort();
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || std::string("/\\<>:\"|?*").find(static_cast<char>(c)) != std::string::npos)
            std::abort();
    if (AnyTextToUtf8(name) != name)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string portable = PortableFileName(text);
    if (!portable.empty()) {
        CheckName(portable);
        if (portable.size() > kMaxExportNameBytes || PortableFileName(portable) != portable)
            std::abort();
    }
    // Each line a name wanted in one folder.
    UniqueNames names;
    std::unordered_set<std::string> given;
    size_t start = 0;
    for (int count = 0; start <= text.size() && count < 64; ++count) {
        size_t end = text.find('\n', start);
        std::string wanted = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string name = names.Take(wanted, "file");
        CheckName(name);
        std::string lower;
        for (char c : name)
            lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        if (!given.insert(lower).second)
            std::abort();
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return 0;
}
