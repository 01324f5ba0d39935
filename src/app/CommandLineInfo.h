#pragma once
// The framework's record of the standard command-line switches: what the
// shell asked for (open, print, DDE ...), the file, and how the program was started.

#include <string>
#include <vector>

class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing };

    virtual ~CCommandLineInfo() = default;

    // One parameter; switches arrive without their leading '/' or '-'.
    virtual void ParseParam(const std::string& param, bool isSwitch, bool isLast);

    ShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;

protected:
    void ParseParamFlag(const std::string& param);
    void ParseParamNotFlag(const std::string& param);
    void ParseLast(bool isLast);
};

// Whether a command-line argument is a switch rather than a file name.
bool IsSwitchArgument(const std::string& arg);

// Feeds every argument after the program name to `info`, a leading '/' or '-'
// marking a switch.
void ParseCommandLine(CCommandLineInfo& info, const std::vector<std::string>& args);
