#pragma once
// Registers the viewer as the program that opens Picture Books: the file types
// in the registry store (as the shell's classes root holds them) and, for the
// desktop, a launcher entry and a MIME type for ".pbk" and ".pcs" under the
// user's data folder.

#include <string>

class Registry;

// `programPath` is the viewer's executable. Extensions owned by another type are
// left alone. False when something could not be written.
bool RegisterShellFileTypes(Registry& registry, const std::string& programPath);
