#pragma once
// pbktool's script command: reads a setup script as the setup program does and
// prints what the package says and the work lists its install sections build.

#include <iosfwd>
#include <string>
#include <vector>

// The folder of the setup script `inf`, with its trailing separator: where its
// setup program and the package's files are (directory number 1).
std::string ScriptFolder(const std::string& inf);

class SetupScript;

// Reads the setup script `inf` into `script`; false with the setup program's
// message on `err` when it cannot be read.
bool ReadScriptArgument(const std::string& inf, SetupScript& script, std::ostream& err);

int PrintScriptWorkLists(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
