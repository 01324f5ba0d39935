#pragma once
// The ini files an installation writes into the Windows folder: the lines the
// script gave for one file, arranged by section and written as the file's text.

#include "setup/WorkLists.h"

#include <string>
#include <vector>

// The lines in the order they are written: sorted by section name (exact
// case, ascending; script order kept within a section), and every line that
// equals the one before it dropped.
std::vector<IniLine> ArrangeIniLines(const std::vector<IniLine>& lines);

// The file's text for lines already arranged. A section header ("\r\n[name]\r\n")
// opens each run of lines whose section differs, without regard to case, from
// the section written last; each line's new entry follows with CR LF. A line
// without a new entry adds nothing but its header.
std::string IniFileText(const std::vector<IniLine>& arranged);
