#pragma once
// The commands the open Picture Book answers: Properties, Copy to Clipboard,
// Play, Up, Create Shortcut, Export Book, Send Email to Owner and save.

#include "viewer/CommandTarget.h"

class CCorvaleDoc;
class MapiSession;
class QWidget;

class CDocumentCommands : public CommandTarget {
public:
    // `mail` (not owned, may be null) sends the book by e-mail.
    CDocumentCommands(CCorvaleDoc& doc, MapiSession* mail, QWidget* dialogParent);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    void OnSendEmail();
    MapiSession* MailSession() const { return m_pMail; }

    CCorvaleDoc& m_doc;
    MapiSession* m_pMail; // not owned
    QWidget* m_pDialogParent;
};
