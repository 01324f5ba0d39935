#include "setup/SelfDelete.h"

#include <cerrno>
#include <unistd.h>

bool ScheduleSelfDelete(const std::string& programPath)
{
    if (programPath.empty())
        return false;
    return ::unlink(programPath.c_str()) == 0 || errno == ENOENT;
}

std::string AddWininitRename(const std::string& text, const std::string& programPath)
{
    const std::string line = "NUL=" + programPath + "\r\n";
    for (const char* header : {"[rename]", "[RENAME]", "[Rename]"}) {
        size_t at = text.find(header);
        if (at == std::string::npos)
            continue;
        size_t lineEnd = text.find('\n', at);
        // A header on the file's last line, without its line end, gets one so
        // the new line does not run into it.
        if (lineEnd == std::string::npos)
            return text + "\r\n" + line;
        return text.substr(0, lineEnd + 1) + line + text.substr(lineEnd + 1);
    }
    std::string result = text;
    if (!result.empty() && result.back() != '\n')
        result += "\r\n";
    return result + "[rename]\r\n" + line;
}
