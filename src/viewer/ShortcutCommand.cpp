#include "viewer/ShortcutCommand.h"

#include "exchange/DesktopShortcut.h"
#include "model/CorvaleDoc.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"

#include <QCoreApplication>

bool MakeShortcutForBook(const CCorvaleDoc& doc)
{
    if (CreateDesktopShortcut(doc, QCoreApplication::applicationFilePath().toStdString()))
        return true;
    Prompter::Current().Message(FormatMessageText(MessageId::ShortcutNotMade, {doc.GetPathName()}));
    return false;
}
