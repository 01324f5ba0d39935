#pragma once
// The viewer's side of "Export Book...": the folder chooser, and the export
// under the import's progress dialog, ending with the offer to open the
// exported pages in the web browser.

#include <string>

class CCorvaleDoc;
class Prompter;
class QWidget;

// Asks for the folder to export into, starting where the last export went
// (else the home folder), and exports there.
void ExportBook(const CCorvaleDoc& doc, QWidget* parent);

// Exports `doc` into a folder named after its title inside `parent`;
// questions and messages go to `prompter`. True when the export was made.
bool ExportBookWithProgress(const CCorvaleDoc& doc, const std::string& parentFolder, Prompter& prompter,
                            QWidget* parent);
