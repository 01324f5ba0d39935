#pragma once
// The shell's open request, "[open("path")]", as a running viewer receives it
// from a second start.

#include <string>

std::string MakeDdeOpenCommand(const std::string& path);
// True when `command` is an open request; `path` receives the file.
bool ParseDdeOpenCommand(const std::string& command, std::string& path);
