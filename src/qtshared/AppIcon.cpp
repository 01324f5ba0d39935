#include "qtshared/AppIcon.h"

#include <QDirIterator>

QIcon CorvaleIcon()
{
    QIcon icon;
    // One drawing per size (":/icons/<n>x<n>/apps/corvale.png"): small sizes
    // are drawn for their size rather than scaled down from a large one.
    QDirIterator it(QStringLiteral(":/icons"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        icon.addFile(it.next());
    return icon;
}
