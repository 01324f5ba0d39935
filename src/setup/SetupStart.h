#pragma once
// What the setup program finds out before it asks anything: whether it runs
// as the uninstaller, what earlier installations registered, and which
// editions of the viewer are installed.

#include "platform/Registry.h"
#include "setup/SetupState.h"

#include <string>

// Where an installation of Corvale PLUS registers itself (local machine).
constexpr char kPlusUserInfoKey[] = "Software\\Quillfen\\Corvale PLUS\\UserInfo";

// True when the command line (which holds the program's own path) names the
// uninstaller, in any letter case.
bool IsUninstallCommandLine(const std::string& commandLine);

// `text` cut to kMaxStateText bytes, never inside a UTF-8 character.
std::string CutStateText(std::string text);

// Fills the user's name, company and e-mail address, the installation folder
// and the PLUS folder from what earlier installations wrote. A value that is
// missing or cannot be read leaves its field empty.
void ReadRegisteredInfo(SetupState& state, const Registry& registry);

// Sets m_bViewerFound and m_bPlusFound from the viewer program files in the
// installation folder and the PLUS folder. A free viewer in the PLUS folder
// becomes the installation folder when there is none yet.
void DetectEditions(SetupState& state);

// The folder offered when nothing is installed yet: the program-files folder
// followed by Quillfen and Corvale (Corvale PLUS when only that edition was
// found). The program-files folder is the registered one when the registry
// holds it, else this platform's.
std::string DefaultInstallFolder(const SetupState& state, const Registry& registry);
