#pragma once
// The sender of a Picture Book as its setup script names it: the quoted
// values of PHOTOS_OWNER and PHOTOS_OWNER_EMAIL.

#include <string>

struct OwnerFields {
    std::string name;  // "" when the script gives none
    std::string email; // "" when the script gives none
};

// Reads the two values from the script's bytes (8-bit code page). The text
// ends at its first NUL byte; a value is the text between the first pair of
// double quotes after the key's equals sign on the key's own line, and an
// empty one counts as none.
OwnerFields ReadOwnerFields(const std::string& script);
