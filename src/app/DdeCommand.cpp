#include "app/DdeCommand.h"

std::string MakeDdeOpenCommand(const std::string& path)
{
    return "[open(\"" + path + "\")]";
}

bool ParseDdeOpenCommand(const std::string& command, std::string& path)
{
    const std::string head = "[open(\"";
    const std::string tail = "\")]";
    std::string text = command;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    path = text.substr(head.size(), text.size() - head.size() - tail.size());
    return !path.empty();
}
