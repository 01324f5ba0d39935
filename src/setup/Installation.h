#pragma once
// Carrying out an installation or an uninstall once the user has chosen what
// to do: the folders, the work lists built from the script's install sections
// (files, registry values, ini files), the uninstaller copy, the desktop
// shortcut made by the viewer, the start-up entries and the closing message.
// Every message and question goes through the current Prompter; the viewer is
// started through the current ProcessLauncher.

#include "platform/Registry.h"
#include "setup/InstallProgress.h"
#include "setup/SetupScript.h"
#include "setup/SetupState.h"

#include <chrono>
#include <string>

// The key of the start-up entries (local machine).
constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// What the run needs from the machine it runs on.
struct InstallEnvironment {
    Registry registry = Registry::Default();
    // The running setup program: copied as the uninstaller when installing;
    // when uninstalling, the uninstaller whose script is read and whose file
    // goes at the end ("" leaves its file alone).
    std::string ownProgramPath;
    // The viewer makes the desktop shortcut and ends at once; one that does
    // not end is no longer waited for after this long.
    std::chrono::milliseconds viewerWaitLimit = std::chrono::minutes(10);
};

// The paths an installation derives from its folder and the package.
std::string ViewerProgramPath(const std::string& installFolder);
std::string UninstallerPath(const std::string& installFolder);
std::string PictureBookFilePath(const SetupState& state);

// Records who installed and where (machine-wide UserInfo), each value only
// when not empty. False when one could not be written.
bool WriteUserInfo(const SetupState& state, Registry& registry);

// Makes sure the installation folder exists, asking before creating it, and
// creates the Picture Book's folder under it. False ends setup: the user did
// not want the folder, or it cannot be had (the message has been shown).
bool PrepareFolders(const SetupState& state);

// Runs the chosen install sections of `script` and carries out the lists
// (when installing, the uninstaller and the script beside it first; files,
// registry, ini files; the shortcut; the start-up entries), showing every
// message itself; a failure's message gives its cause on a second line. The
// directory table of `state` must be complete. True when the run completed.
bool CarryOut(const SetupScript& script, SetupState& state, InstallProgress& progress,
              InstallEnvironment& env);

// The whole installation after the wizard: WriteUserInfo, PrepareFolders, CarryOut.
bool RunInstallation(const SetupScript& script, SetupState& state, InstallProgress& progress,
                     InstallEnvironment& env);

// The whole uninstall for the uninstaller at env.ownProgramPath: reads the
// script beside it and carries out [CorvaleUninstall] in its own folder. When
// the registry records an installation elsewhere, its values are left alone.
bool RunUninstall(InstallProgress& progress, InstallEnvironment& env);
