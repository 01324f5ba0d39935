#pragma once
// The single entry point for putting a Picture Book's shortcut on the desktop,
// used by "Create Shortcut" and by the shortcut switch of the command line.

class CCorvaleDoc;

// False, with the message shown, when no launcher could be made: the desktop
// folder cannot be written, or the book's path is not UTF-8.
bool MakeShortcutForBook(const CCorvaleDoc& doc);
