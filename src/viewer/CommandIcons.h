#pragma once
// The pictures of the viewer's commands: the desktop theme's icon of the
// freedesktop name that says what a command does, else the viewer's own
// drawing of it, so that every desktop shows the same meaning.

#include <QIcon>
#include <QString>

// The icon of command `id`; null for a command that has no picture.
QIcon CommandIcon(int id);
// The viewer's own drawing of the freedesktop icon `name` at every size it
// is bundled in; null when none is bundled.
QIcon BundledIcon(const QString& name);
