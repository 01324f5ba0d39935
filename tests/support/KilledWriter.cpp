#include "support/KilledWriter.h"

#include "platform/AtomicFile.h"

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::set<std::string> Names(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

std::string LeaveKilledWriterTemporary(const std::string& target)
{
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::set<std::string> before = Names(folder);
    pid_t child = fork();
    if (child < 0)
        return std::string();
    if (child == 0) {
        AtomicFileWriter dying;
        if (dying.Open(target) && dying.Write("half", 4))
            raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFSIGNALED(status))
        return std::string();
    for (const std::string& name : Names(folder))
        if (!before.count(name))
            return name;
    return std::string();
}
