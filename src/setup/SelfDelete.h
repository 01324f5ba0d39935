#pragma once
// The uninstaller removing its own file, which it is still running from.

#include <string>

// Gets rid of the running program's file `programPath`. A running program's
// file can be unlinked at once here, so nothing waits for a restart. False
// when the file is still there afterwards.
bool ScheduleSelfDelete(const std::string& programPath);

// Systems that can delete a running program only at their next start read
// the deletions from WININIT.INI: "NUL=<path>" lines under a rename header.
// Gives `text` (the file's text, "" when it does not exist) with the line for
// `programPath` added right under the first header found, looked for as
// "[rename]", "[RENAME]" and "[Rename]" in that order, or with a new
// "[rename]" header and the line at the end when there is none.
std::string AddWininitRename(const std::string& text, const std::string& programPath);
