#pragma once
// pbktool's script command: reads a setup script as the setup program does and
// prints what the package says and the work lists its install sections build.

#include <iosfwd>
#include <string>
#include <vector>

// The folder of the setup script `inf`, with its trailing separator: where its
// setup program and the package's files are (directory number 1).
std::string ScriptFolder(const std::string& inf);

int PrintScriptWorkLists(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
