#pragma once
// The files by which the desktop knows the viewer: its launcher entry, the
// MIME types of Picture Books and the program's icon. The same files are
// installed by a package; compiled in, they also serve a viewer that was
// copied anywhere.

#include <string>

// The icon's name in the icon theme, as launchers and MIME types refer to it.
constexpr const char kAppIconName[] = "corvale";

// The launcher entry; its program is the placeholder "@CORVALE_EXEC@".
std::string DesktopEntryTemplate();
// The shared-mime-info package for ".pbk" and ".pcs".
std::string MimePackageXml();
// The icon, as scalable vector graphics.
std::string AppIconSvg();
