#pragma once
// The viewer's side of a ZIP import: the archive chooser of "Import from
// ZIP...", and the import itself under the progress dialog.

#include <functional>
#include <string>

class QWidget;

// Asks for an archive, starting in the folder last imported from (else the
// installation folder); "" when the user cancels.
std::string ChooseZipArchive(const std::string& installFolder, QWidget* parent);

// Imports the archive at `path` with the progress dialog over `parent`; the
// new book is handed to `open`. True when the book was made.
bool ImportZipWithProgress(const std::string& path, const std::string& installFolder,
                           QWidget* parent, const std::function<void(const std::string&)>& open);
