#include "setup/IniFiles.h"

#include "platform/RegistryTree.h"

#include <algorithm>

namespace {

bool SameLine(const IniLine& a, const IniLine& b)
{
    return a.section == b.section && a.oldEntry == b.oldEntry && a.newEntry == b.newEntry;
}

} // namespace

std::vector<IniLine> ArrangeIniLines(const std::vector<IniLine>& lines)
{
    std::vector<IniLine> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const IniLine& a, const IniLine& b) { return a.section < b.section; });
    sorted.erase(std::unique(sorted.begin(), sorted.end(), SameLine), sorted.end());
    return sorted;
}

std::string IniFileText(const std::vector<IniLine>& arranged)
{
    std::string text;
    std::string lastSection; // none yet: compared as the empty text
    for (const IniLine& line : arranged) {
        if (LowerAscii(line.section) != LowerAscii(lastSection)) {
            text += "\r\n[" + line.section + "]\r\n";
            lastSection = line.section;
        }
        if (line.newEntry)
            text += *line.newEntry + "\r\n";
    }
    return text;
}
