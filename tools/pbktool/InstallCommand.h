#pragma once
// pbktool's install command: carries out a setup package's installation (or
// its uninstall) without questions, as the setup program would after its wizard.

#include <iosfwd>
#include <string>
#include <vector>

int InstallPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
