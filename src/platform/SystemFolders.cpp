#include "platform/SystemFolders.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string StripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are to be ignored), else the fallback under the home folder.
std::string XdgFolder(const char* variable, const char* fallback)
{
    std::string value = Env(variable);
    if (!value.empty() && value[0] == '/')
        return StripTrailingSlashes(value);
    return SystemFolders::HomeFolder() + fallback;
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Runs `xdg-user-dir DESKTOP` without a shell; "" when it cannot be run.
std::string QueryXdgDesktop()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    char program[] = "xdg-user-dir";
    char argument[] = "DESKTOP";
    char* argv[] = {program, argument, nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string output;
    if (rc == 0) {
        char buffer[4096];
        for (;;) {
            ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n > 0) {
                if (output.size() < 65536)
                    output.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                break;
            }
        }
    }
    ::close(fds[0]);
    if (rc != 0)
        return std::string();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::string();
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

} // namespace

std::string SystemFolders::HomeFolder()
{
    std::string home = Env("HOME");
    if (!home.empty())
        return StripTrailingSlashes(home);
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir)
        return StripTrailingSlashes(result->pw_dir);
    return "/";
}

std::string SystemFolders::ConfigHome()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string SystemFolders::DataHome()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::vector<std::string> SystemFolders::DataDirs()
{
    std::vector<std::string> dirs;
    std::string list = Env("XDG_DATA_DIRS");
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string dir = list.substr(start, end - start);
        // Relative entries are to be ignored, like those of the other variables.
        if (!dir.empty() && dir[0] == '/')
            dirs.push_back(StripTrailingSlashes(dir));
        start = end + 1;
    }
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
}

std::string SystemFolders::WindowsFolder()
{
    std::string folder = Env("CORVALE_WINDOWS_DIR");
    if (!folder.empty())
        return StripTrailingSlashes(folder);
    return DataHome() + "/Quillfen/windows";
}

std::string SystemFolders::SystemFolder()
{
    std::string windows = WindowsFolder();
    return windows == "/" ? "/system" : windows + "/system";
}

std::string SystemFolders::ProgramFilesFolder()
{
    return HomeFolder() + "/.local/opt";
}

std::string SystemFolders::TempFolder()
{
    std::string folder = Env("TMPDIR");
    return folder.empty() ? std::string("/tmp") : StripTrailingSlashes(folder);
}

std::string SystemFolders::DesktopFolder()
{
    std::string home = HomeFolder();
    std::string desktop = StripTrailingSlashes(QueryXdgDesktop());
    // xdg-user-dir answers with the home folder when no desktop folder is set
    // up; a shortcut must not land there.
    if (!desktop.empty() && desktop[0] == '/' && IsDirectory(desktop) && !SameFile(desktop, home))
        return desktop;
    return home + "/Desktop";
}

std::string SystemFolders::CurrentDirectory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool SystemFolders::SetCurrentDirectory(const std::string& path)
{
    return !path.empty() && ::chdir(path.c_str()) == 0;
}
