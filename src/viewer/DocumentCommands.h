#pragma once
// The commands the open Picture Book answers: Properties, Copy to Clipboard,
// Play, Up, Create Shortcut and save.

#include "viewer/CommandTarget.h"

class CCorvaleDoc;
class QWidget;

class CDocumentCommands : public CommandTarget {
public:
    CDocumentCommands(CCorvaleDoc& doc, QWidget* dialogParent);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    CCorvaleDoc& m_doc;
    QWidget* m_pDialogParent;
};
