#pragma once
// pbktool's export: a Picture Book into a folder of open formats (its files,
// index.html, book.json), as the viewer's Export Book... makes it.

#include <iosfwd>
#include <string>
#include <vector>

// "export BOOK DIR": an existing DIR is answered as the viewer's Yes to the
// folder question (DIR(1), DIR(2), ... instead). Prints the folder used to
// `out`, and what could not be exported and any message to `err`; 0 when
// the export was made, 1 when not, 2 for a wrong command line.
int ExportBook(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
