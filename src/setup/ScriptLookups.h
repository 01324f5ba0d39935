#pragma once
// The lookups that combine the script with the directory table: references
// (%NAME% and %11%) in texts, and the destination folders of file sections.

#include "setup/DirectoryTable.h"
#include "setup/SetupScript.h"

#include <string>
#include <string_view>

// Most references one text may hold, counting those that values bring in,
// and the longest text substitution may make: past either, the references
// would not end (a value that names itself) and the text is given up.
constexpr size_t kMaxReplacements = 256;
constexpr size_t kMaxSubstitutedText = 4096;

struct Substitution {
    std::string text;
    size_t replacements = 0;
    bool runaway = false; // the limits above were passed; `text` is the input
};

// Replaces, from the start and again after every replacement, the first
// reference: "%<digits>%" by that directory's folder, "%NAME%" by the
// [Strings] value of NAME, which may hold references in turn. A folder is a
// path of this machine and is never read for references. At the first
// reference that cannot be replaced (no such key or directory number, no
// closing percent sign) substitution stops and the rest of the text stays as
// it is. The result is UTF-8: the script's text converted (SetupScript::ToUtf8)
// and the folders as they are.
Substitution SubstituteReferences(const SetupScript& script, const DirectoryTable& directories,
                                  std::string_view text);

struct Destination {
    enum class Status {
        Found,
        NotFound, // no key line, no known number, or the path is too long
        Unsafe,   // the subfolder would lead out of the numbered folder
        Runaway   // the subfolder's references do not end
    };
    Status status = Status::NotFound;
    std::string folder;
    size_t replacements = 0;
};

// The folder of file section `section` from [DestinationDirs]: "number" or
// "number,subfolder"; the subfolder is unquoted and its references replaced.
Destination LookupDestination(const SetupScript& script, const DirectoryTable& directories,
                              std::string_view section);
