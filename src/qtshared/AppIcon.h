#pragma once
// Corvale's own icon (an open photo album), at every size it was drawn at,
// for the windows of the viewer and of setup.

#include <QIcon>

QIcon CorvaleIcon();
