#pragma once
// Starts outside programs that run on their own (the desktop's opener, a media
// player) without waiting for them. Tests install a recorder in its place.

#include <string>
#include <vector>

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;

    // Hands `file` to the desktop's default application for its type.
    virtual bool ShellOpen(const std::string& file, const std::string& directory) = 0;
    // Starts `program` with a command line in the Windows form (the quoted
    // program first, then its arguments) in `directory`.
    virtual bool StartProgram(const std::string& program, const std::string& commandLine,
                              const std::string& directory) = 0;

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
