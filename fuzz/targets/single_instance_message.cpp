// The request a running viewer reads from a second start: one line of any
// bytes from whoever reached its socket. A request taken names one absolute
// path that no part of the line was cut from, and says the same when made
// again; everything else is refused whole.

#include "app/DdeCommand.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(const std::string& line, bool accepted, const std::string& path, bool absolute)
{
    if (!accepted)
        return;
    if (path.empty() || path.find_first_of(std::string("\0\r\n", 3)) != std::string::npos)
        std::abort();
    if (absolute && path[0] != '/')
        std::abort();
    std::string body = line;
    if (!body.empty() && body.back() == '\n')
        body.pop_back();
    if (!body.empty() && body.back() == '\r')
        body.pop_back();
    if (MakeDdeOpenCommand(path) != body)
        std::abort();
    std::string again;
    if (!ParseDdeOpenCommand(MakeDdeOpenCommand(path) + "\n", again) || again != path)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // The viewer reads up to and with the first line end.
    std::string line = bytes.substr(0, bytes.find('\n') == std::string::npos ? bytes.size() : bytes.find('\n') + 1);
    std::string path;
    Check(line, ParseOpenRequest(line, path), path, true);
    path.clear();
    Check(line, ParseDdeOpenCommand(line, path), path, false);
    return 0;
}
