#pragma once
// Where the folders that Windows programs ask the system for lie on this
// machine. Every call reads the environment afresh, so tests can redirect them.

#include <string>
#include <vector>

class SystemFolders {
public:
    // $HOME, else the password database entry of the user.
    static std::string HomeFolder();
    // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config.
    static std::string ConfigHome();
    // $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share.
    static std::string DataHome();
    // The absolute folders of $XDG_DATA_DIRS in order, else /usr/local/share
    // and /usr/share: where installed packages keep what the desktop reads.
    static std::vector<std::string> DataDirs();
    // $CORVALE_WINDOWS_DIR, else <data home>/Quillfen/windows.
    static std::string WindowsFolder();
    // The "system" subfolder of the Windows folder.
    static std::string SystemFolder();
    // $HOME/.local/opt.
    static std::string ProgramFilesFolder();
    // $TMPDIR, else /tmp; never with a trailing slash (except "/" itself).
    static std::string TempFolder();
    // What `xdg-user-dir DESKTOP` names when that folder exists and is not the
    // home folder itself, else $HOME/Desktop (which need not exist).
    static std::string DesktopFolder();

    static std::string CurrentDirectory();
    static bool SetCurrentDirectory(const std::string& path);
};
