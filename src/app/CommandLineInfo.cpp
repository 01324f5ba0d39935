#include "app/CommandLineInfo.h"

#include "platform/FileSystem.h"

#include <strings.h>

void CCommandLineInfo::ParseParam(const std::string& param, bool isSwitch, bool isLast)
{
    if (isSwitch)
        ParseParamFlag(param);
    else
        ParseParamNotFlag(param);
    ParseLast(isLast);
}

void CCommandLineInfo::ParseParamFlag(const std::string& param)
{
    // Shell switches are case-sensitive; the automation switches are not.
    if (param == "pt")
        m_nShellCommand = FilePrintTo;
    else if (param == "p")
        m_nShellCommand = FilePrint;
    else if (strcasecmp(param.c_str(), "Unregister") == 0 ||
             strcasecmp(param.c_str(), "Unregserver") == 0)
        m_nShellCommand = AppUnregister;
    else if (param == "dde")
        m_nShellCommand = FileDDE;
    else if (strcasecmp(param.c_str(), "Embedding") == 0)
        m_bRunEmbedded = true;
    else if (strcasecmp(param.c_str(), "Automation") == 0)
        m_bRunAutomated = true;
}

void CCommandLineInfo::ParseParamNotFlag(const std::string& param)
{
    if (m_strFileName.empty())
        m_strFileName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty())
        m_strPrinterName = param;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty())
        m_strDriverName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.empty())
        m_strPortName = param;
}

void CCommandLineInfo::ParseLast(bool isLast)
{
    if (isLast && m_nShellCommand == FileNew && !m_strFileName.empty())
        m_nShellCommand = FileOpen;
}

bool IsSwitchArgument(const std::string& arg)
{
    if (arg.size() < 2)
        return false;
    if (arg[0] == '-')
        return true;
    if (arg[0] != '/')
        return false;
    // A leading '/' also starts an absolute path. A switch name holds no further
    // slash before its '=' ("/shortcut=/home/a/b.pbk" is a switch,
    // "/home/a/b.pbk" a file), and an existing path is always a file.
    size_t nameEnd = arg.find('=');
    if (arg.find('/', 1) < nameEnd)
        return false;
    return !FileExists(arg);
}

void ParseCommandLine(CCommandLineInfo& info, const std::vector<std::string>& args)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool isSwitch = IsSwitchArgument(arg);
        info.ParseParam(isSwitch ? arg.substr(1) : arg, isSwitch, i + 1 == args.size());
    }
}
