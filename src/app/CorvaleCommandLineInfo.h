#pragma once
// The viewer's command line: the standard switches plus the shortcut switches
// ("/shortcut=path", or "/INSTALLSHORTCUT path" and their shorter forms) with
// which the setup program asks for a desktop shortcut.

#include "app/CommandLineInfo.h"

class CCorvaleCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(const std::string& param, bool isSwitch, bool isLast) override;
    // Takes the file to open and the shortcut's file, when relative, in `folder`.
    void MakePathsAbsolute(const std::string& folder);

    bool m_bShortcut = false;
    std::string m_strShortcutFile;
    bool m_bExpectFile = false;
};
