#include "viewer/ShortcutCommand.h"

bool MakeShortcutForBook(const CCorvaleDoc&)
{
    return false;
}
