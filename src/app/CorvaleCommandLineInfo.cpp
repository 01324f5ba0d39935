#include "app/CorvaleCommandLineInfo.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// `name` taken in `folder` when relative; an empty name stays empty.
std::string InFolder(const std::string& folder, const std::string& name)
{
    std::filesystem::path path(name);
    if (name.empty() || path.is_absolute())
        return name;
    return (std::filesystem::path(folder) / path).lexically_normal().string();
}

} // namespace

void CCorvaleCommandLineInfo::ParseParam(const std::string& param, bool isSwitch, bool isLast)
{
    if (isSwitch) {
        std::string upper = param;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        // "SHORT" is a prefix of the other three, so it alone decides.
        if (StartsWith(upper, "SHORT") || StartsWith(upper, "SHORTCUT") ||
            StartsWith(upper, "INSTALLSHORT") || StartsWith(upper, "INSTALLSHORTCUT")) {
            m_bShortcut = true;
            size_t equals = param.find('=');
            if (equals != std::string::npos)
                m_strShortcutFile = param.substr(equals + 1);
            else
                m_bExpectFile = true;
            return;
        }
        CCommandLineInfo::ParseParam(param, isSwitch, isLast);
        return;
    }
    if (m_bExpectFile) {
        m_strShortcutFile = param;
        m_bExpectFile = false;
        return;
    }
    CCommandLineInfo::ParseParam(param, isSwitch, isLast);
}

void CCorvaleCommandLineInfo::MakePathsAbsolute(const std::string& folder)
{
    m_strFileName = InFolder(folder, m_strFileName);
    m_strShortcutFile = InFolder(folder, m_strShortcutFile);
}
