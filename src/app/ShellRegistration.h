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

// Undoes that registration for `programPath` once the program is gone (an
// uninstall removed it): the file types whose open command names it, the
// extensions that lead to them and the icons that name it; the menu entry
// when it starts that program, with the MIME package. Whatever names another
// program stays. Gives how many of the three (types, icons, menu entry with
// MIME package) were removed.
int UnregisterShellFileTypes(Registry& registry, const std::string& programPath);
