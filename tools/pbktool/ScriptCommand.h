#pragma once
// pbktool's script command: reads a setup script as the setup program does and
// prints what the package says and the work lists its install sections build.

#include <iosfwd>
#include <string>
#include <vector>

int PrintScriptWorkLists(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
