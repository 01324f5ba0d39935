#pragma once
// The shell's open request, "[open("path")]", as a running viewer receives it
// from a second start.

#include <string>

std::string MakeDdeOpenCommand(const std::string& path);
// True when `command` (one line, its line end optional) is exactly an open
// request; `path` receives the file. A path that no file can have (empty, or
// holding a NUL or a line break) makes the whole request malformed.
bool ParseDdeOpenCommand(const std::string& command, std::string& path);
// A second start's request: an open request whose path is absolute, since the
// running viewer's current folder is not the one the path was given in.
bool ParseOpenRequest(const std::string& line, std::string& path);
