#pragma once
// Registers the viewer as the program that opens Picture Books: the file types
// in the registry store (as the shell's classes root holds them) and, for the
// desktop, a launcher entry, MIME types for ".pbk" and ".pcs" and the icon
// under the user's data folder, unless an installed package provides them.

#include <string>

class Registry;

// `programPath` is the viewer's executable. Extensions owned by another type are
// left alone. False when something could not be written.
bool RegisterShellFileTypes(Registry& registry, const std::string& programPath);

// The desktop's part of the above. The files are written only when they
// differ, and the desktop's databases refreshed only then. When a data folder
// of the system holds the package's launcher and file types, nothing is
// written and the files this registration wrote before are removed.
bool RegisterWithDesktop(const std::string& programPath);
