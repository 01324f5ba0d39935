#include "app/DdeCommand.h"

#include <filesystem>

std::string MakeDdeOpenCommand(const std::string& path)
{
    return "[open(\"" + path + "\")]";
}

bool ParseDdeOpenCommand(const std::string& command, std::string& path)
{
    const std::string head = "[open(\"";
    const std::string tail = "\")]";
    std::string text = command;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    std::string name = text.substr(head.size(), text.size() - head.size() - tail.size());
    if (name.find_first_of(std::string("\0\r\n", 3)) != std::string::npos)
        return false;
    path = name;
    return true;
}

bool ParseOpenRequest(const std::string& line, std::string& path)
{
    std::string name;
    if (!ParseDdeOpenCommand(line, name) || !std::filesystem::path(name).is_absolute())
        return false;
    path = name;
    return true;
}
