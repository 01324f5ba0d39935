#include "platform/ProcessLauncher.h"

#include "platform/Settings.h"
#include "platform/SettingsKeys.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The desktop's opener and the players read a leading '-' as an option; a
// relative name that starts with one is handed over as "./-...".
std::string FileArgument(const std::string& file)
{
    return !file.empty() && file[0] == '-' ? "./" + file : file;
}

class SystemProcessLauncher : public ProcessLauncher {
public:
    bool ShellOpen(const std::string& file, const std::string& directory) override
    {
        return StartDetachedProcess({"xdg-open", FileArgument(file)}, directory);
    }

    // A program that is not on this machine (the Windows player) stands for
    // the system's player: the configured player command (the user's own
    // text, split by the same rules) gets the last argument, the file.
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& directory) override
    {
        struct stat st{};
        if (stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(program.c_str(), X_OK) == 0) {
            std::vector<std::string> args{program};
            args.insert(args.end(), arguments.begin(), arguments.end());
            return StartDetachedProcess(args, directory);
        }
        std::vector<std::string> player =
            SplitCommandLine(Settings::Profile().GetString(SettingKey::MediaPlayerCommand));
        if (player.empty())
            return false;
        if (!arguments.empty())
            player.push_back(FileArgument(arguments.back()));
        return StartDetachedProcess(player, directory);
    }
};

SystemProcessLauncher g_systemLauncher;
ProcessLauncher* g_pLauncher = nullptr;

bool WriteAll(int fd, const void* data, size_t size)
{
    ssize_t n;
    do
        n = write(fd, data, size);
    while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(size);
}

// In a freshly forked child: reads nothing from the terminal, changes to
// `dir`, and becomes the program. What fails is reported through `errorFd`
// (close-on-exec, so a successful exec closes it). Only async-signal-safe calls.
[[noreturn]] void ExecInChild(char* const* args, const char* dir, int errorFd)
{
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        if (devNull != STDIN_FILENO)
            close(devNull);
    }
    if (dir && chdir(dir) != 0) {
        int error = errno;
        WriteAll(errorFd, &error, sizeof error);
        _exit(127);
    }
    execvp(args[0], args);
    int error = errno;
    WriteAll(errorFd, &error, sizeof error);
    _exit(127);
}

// True when the exec reported through `fd` succeeded (the pipe closed unwritten).
bool ExecSucceeded(int fd)
{
    int error = 0;
    ssize_t n;
    do
        n = read(fd, &error, sizeof error);
    while (n < 0 && errno == EINTR);
    close(fd);
    return n == 0;
}

// What exec needs, made before fork: after it only async-signal-safe calls
// are allowed. Points into `argv`, which must outlive it.
struct ExecArguments {
    explicit ExecArguments(const std::vector<std::string>& argv, const std::string& directory)
        : dir(directory.empty() ? nullptr : directory.c_str())
    {
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
    }
    std::vector<char*> args;
    const char* dir;
};

void Reap(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

ProcessLauncher& ProcessLauncher::Current()
{
    return g_pLauncher ? *g_pLauncher : g_systemLauncher;
}

void ProcessLauncher::Install(ProcessLauncher* launcher)
{
    g_pLauncher = launcher;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false, quoted = false;
    size_t i = 0;
    while (i < commandLine.size()) {
        char c = commandLine[i];
        if (c == '\\') {
            size_t slashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                current.append(slashes / 2, '\\');
                if (slashes % 2) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(slashes, '\\');
            }
            inArgument = true;
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
        ++i;
    }
    if (inArgument)
        args.push_back(current);
    return args;
}

bool StartDetachedProcess(const std::vector<std::string>& argv, const std::string& directory)
{
    if (argv.empty() || argv[0].empty())
        return false;
    ExecArguments exec(argv, directory);

    // The grandchild reports a failed chdir or exec through this pipe; a
    // successful exec closes it (close-on-exec), which the parent reads as EOF.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (child == 0) {
        close(fds[0]);
        pid_t grandchild = fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                int error = errno;
                WriteAll(fds[1], &error, sizeof error);
            }
            _exit(grandchild < 0 ? 1 : 0);
        }
        setsid();
        ExecInChild(exec.args.data(), exec.dir, fds[1]);
    }
    close(fds[1]);
    Reap(child);
    return ExecSucceeded(fds[0]);
}

ProcessWait ProcessLauncher::RunProgramAndWait(const std::string& program,
                                               const std::vector<std::string>& arguments,
                                               const std::string& directory,
                                               std::chrono::milliseconds limit)
{
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcessAndWait(argv, directory, limit);
}

ProcessWait RunProcessAndWait(const std::vector<std::string>& argv, const std::string& directory,
                              std::chrono::milliseconds limit)
{
    if (argv.empty() || argv[0].empty())
        return ProcessWait::NotStarted;
    ExecArguments exec(argv, directory);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return ProcessWait::NotStarted;
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return ProcessWait::NotStarted;
    }
    if (child == 0) {
        close(fds[0]);
        ExecInChild(exec.args.data(), exec.dir, fds[1]);
    }
    close(fds[1]);
    if (!ExecSucceeded(fds[0])) {
        Reap(child);
        return ProcessWait::NotStarted;
    }
    if (limit < std::chrono::milliseconds::zero()) {
        Reap(child);
        return ProcessWait::Ended;
    }
    // A bounded wait polls: there is no portable waitpid with a timeout.
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            return ProcessWait::Ended;
        if (std::chrono::steady_clock::now() >= deadline)
            return ProcessWait::StillRunning;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
