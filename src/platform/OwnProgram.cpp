#include "platform/OwnProgram.h"

#include <unistd.h>
#include <vector>

std::string OwnProgramPath()
{
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= (size_t(1) << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}
