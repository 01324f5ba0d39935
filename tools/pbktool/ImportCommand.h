#pragma once
// pbktool's import: a Picture Book from a ZIP archive into a folder of its
// own, as the viewer imports it but without dialogs.

#include <iosfwd>
#include <string>
#include <vector>

// "import ZIP --root DIR": prints the messages the viewer would show to `err`
// and the new data file's path to `out`; 0 on success, 1 when the import
// failed or stopped, 2 for a wrong command line.
int ImportArchive(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
