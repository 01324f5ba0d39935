#pragma once
// Puts a launcher for a Picture Book on the user's desktop: a desktop entry
// named after the book that starts the viewer with the book's path.

#include <string>

class CCorvaleDoc;

struct ShellLink {
    std::string target;        // the viewer program
    std::string arguments;     // the book's path, quoted
    std::string workingFolder; // the program's folder, with its trailing separator
    std::string description;   // the shortcut's name
};

// Writes `link` as a launcher file at `linkPath` (replacing one of that name),
// marked executable. False when it could not be written, or when a field is
// not UTF-8 (nothing is written then).
bool WriteShellLink(const ShellLink& link, const std::string& linkPath);

// The desktop folder: the "Desktop" value of the per-user "Shell Folders" key
// when set, else the platform's desktop folder.
std::string DesktopFolderPath();

// The shortcut's name: the book's own title, else "Shortcut to " + the
// document title without its extension. Characters that cannot stand in a
// file name are replaced so the link always lands in the desktop folder.
std::string ShortcutName(const CCorvaleDoc& doc);

// Removes the launchers on the desktop that start `programPath` (made by
// CreateDesktopShortcut), once that program is gone: an uninstall leaves no
// dead launcher. Others, and links, are left alone. Gives how many went.
int RemoveDesktopShortcutsTo(const std::string& programPath);

// Makes the shortcut for `doc`, started through `programPath`. Silent on failure.
bool CreateDesktopShortcut(const CCorvaleDoc& doc, const std::string& programPath);
