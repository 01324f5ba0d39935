#pragma once
// pbktool: the headless command-line tool over the core, for people who script,
// for tests and for benchmarks.

#include <iosfwd>
#include <string>
#include <vector>

// Runs one command line (without the program name); returns the exit code.
int RunPbkTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
