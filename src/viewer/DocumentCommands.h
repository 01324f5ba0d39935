#pragma once
// The commands the open Picture Book answers: Properties, Copy to Clipboard,
// Play, Up, Create Shortcut, Export Book, Send Email to Owner and save.

#include "viewer/CommandTarget.h"

class CCorvaleDoc;
class MapiSession;
class QWidget;

class CDocumentCommands : public CommandTarget {
public:
    CDocumentCommands(CCorvaleDoc& doc, QWidget* dialogParent);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void OnSendEmail();
    MapiSession* MailSession() const;

    CCorvaleDoc& m_doc;
    QWidget* m_pDialogParent;
};
