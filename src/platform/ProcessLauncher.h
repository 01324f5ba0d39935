#pragma once
// Starts outside programs that run on their own (the desktop's opener, a media
// player) without waiting for them. Tests install a recorder in its place.

#include <chrono>
#include <string>
#include <vector>

// How a program started and waited for came out.
enum class ProcessWait {
    Ended,       // it ran and has ended
    StillRunning, // it was started but had not ended when the wait's limit passed
    NotStarted   // it could not be started (no such program, folder or permission)
};

// No limit to a wait.
constexpr std::chrono::milliseconds kWaitWithoutLimit{-1};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;

    // Hands `file` to the desktop's default application for its type.
    virtual bool ShellOpen(const std::string& file, const std::string& directory) = 0;
    // Starts `program` in `directory` with `arguments` (the program's name not
    // among them), each handed over as it is: no text is split again, so a
    // file name can never become two arguments or an option.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& directory) = 0;
    // Starts `program` like StartProgram but waits until it ends, or until
    // `limit` has passed (kWaitWithoutLimit: never gives up). The program is
    // started as it is; no stand-in is looked for.
    virtual ProcessWait RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                                          const std::string& directory,
                                          std::chrono::milliseconds limit);

    static ProcessLauncher& Current();
    // Null puts the system's launcher back.
    static void Install(ProcessLauncher* launcher);
};

// Splits a command line by the Windows rules: blanks separate arguments,
// double quotes group, a backslash escapes a quote only when it precedes one.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Starts `argv` (argv[0] is looked up on the PATH when it has no slash) in
// `directory`, detached from this process: it is never waited for and never
// left a zombie. False when the program could not be started.
bool StartDetachedProcess(const std::vector<std::string>& argv, const std::string& directory);

// Starts `argv` in `directory` as a child of this process and waits for it to
// end, or until `limit` has passed; a child still running then is left to run
// on. A child that ended is always reaped.
ProcessWait RunProcessAndWait(const std::vector<std::string>& argv, const std::string& directory,
                              std::chrono::milliseconds limit = kWaitWithoutLimit);
