#pragma once
// The single entry point for putting a Picture Book's shortcut on the desktop,
// used by "Create Shortcut" and by the shortcut switch of the command line.

class CCorvaleDoc;

bool MakeShortcutForBook(const CCorvaleDoc& doc);
