#include "app/DroppedFiles.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr size_t kMaxDroppedName = 1024;

bool EndsWith(const std::string& text, const char* suffix)
{
    size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

} // namespace

DropChoice ChooseDroppedFile(const std::vector<std::string>& names)
{
    for (const std::string& original : names) {
        std::string name = original.substr(0, kMaxDroppedName);
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (EndsWith(upper, ".PCS") || EndsWith(upper, ".PBK"))
            return {DropAction::Open, name};
        if (EndsWith(upper, ".ZIP"))
            return {DropAction::Import, name};
    }
    return {};
}
