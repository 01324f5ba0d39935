#include "exchange/UniqueNames.h"

#include "platform/CodePage.h"
#include "platform/RegistryTree.h"

namespace {

// An extension longer than this is taken as part of the name.
constexpr size_t kMaxExtensionBytes = 16;

bool IsForbidden(unsigned char c)
{
    switch (c) {
    case '/': case '\\': case '<': case '>': case ':': case '"': case '|': case '?': case '*':
        return true;
    default:
        return c < 0x20 || c == 0x7F;
    }
}

bool IsDeviceName(const std::string& name)
{
    std::string stem = LowerAscii(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '0' && stem[3] <= '9';
}

void TrimEnd(std::string& name)
{
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
}

// The position of the extension's dot, or npos when the name has none worth keeping.
size_t ExtensionStart(const std::string& name)
{
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0 || name.size() - dot > kMaxExtensionBytes)
        return std::string::npos;
    return dot;
}

} // namespace

std::string PortableFileName(const std::string& name, size_t maxBytes)
{
    std::string utf8 = AnyTextToUtf8(name);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        // The C1 controls (U+0080..U+009F) are as unfit as the C0 ones.
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            out += '_';
            ++i;
        } else {
            out += IsForbidden(c) ? '_' : static_cast<char>(c);
        }
    }
    size_t start = out.find_first_not_of(' ');
    out.erase(0, start == std::string::npos ? out.size() : start);
    TrimEnd(out);
    if (!out.empty() && out[0] == '.')
        out[0] = '_';
    if (IsDeviceName(out))
        out.insert(0, "_");
    if (out.size() > maxBytes) {
        size_t dot = ExtensionStart(out);
        std::string extension = dot == std::string::npos ? std::string() : out.substr(dot);
        if (extension.size() >= maxBytes)
            extension.clear();
        std::string stem = CutUtf8(out.substr(0, dot), maxBytes - extension.size());
        TrimEnd(stem);
        out = stem.empty() ? std::string() : stem + extension;
    }
    return out;
}

void UniqueNames::Reserve(const std::string& name)
{
    m_taken.insert(LowerAscii(name));
}

bool UniqueNames::IsTaken(const std::string& name) const
{
    return m_taken.count(LowerAscii(name)) != 0;
}

std::string UniqueNames::Take(const std::string& wanted, const std::string& fallback)
{
    std::string name = PortableFileName(wanted);
    if (name.empty())
        name = PortableFileName(fallback);
    if (name.empty())
        name = "_";
    if (IsTaken(name)) {
        size_t dot = ExtensionStart(name);
        std::string stem = name.substr(0, dot);
        std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
        std::string numbered;
        for (unsigned long n = 1;; ++n) {
            numbered = stem + "(" + std::to_string(n) + ")" + extension;
            if (!IsTaken(numbered))
                break;
        }
        name = numbered;
    }
    Reserve(name);
    return name;
}
