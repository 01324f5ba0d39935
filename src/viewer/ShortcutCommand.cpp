#include "viewer/ShortcutCommand.h"

#include "exchange/DesktopShortcut.h"

#include <QCoreApplication>

bool MakeShortcutForBook(const CCorvaleDoc& doc)
{
    return CreateDesktopShortcut(doc, QCoreApplication::applicationFilePath().toStdString());
}
