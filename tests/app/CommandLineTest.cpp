#include "app/CorvaleCommandLineInfo.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

CCorvaleCommandLineInfo Parse(const std::vector<std::string>& args)
{
    CCorvaleCommandLineInfo info;
    ParseCommandLine(info, args);
    return info;
}

} // namespace

TEST(CommandLine, ShortcutSwitchesByPrefix)
{
    auto a = Parse({"/shortcut=/home/Ann/My Photos/Trip/Trip.pbk"});
    EXPECT_TRUE(a.m_bShortcut);
    EXPECT_EQ(a.m_strShortcutFile, "/home/Ann/My Photos/Trip/Trip.pbk");

    // Everything after the first '=' of the parameter, with its case kept.
    auto b = Parse({"-SHORTcutX=C:\\Books\\A=B.PBK"});
    EXPECT_TRUE(b.m_bShortcut);
    EXPECT_EQ(b.m_strShortcutFile, "C:\\Books\\A=B.PBK");

    auto c = Parse({"/INSTALLSHORTCUT", "book.pbk"});
    EXPECT_TRUE(c.m_bShortcut);
    EXPECT_EQ(c.m_strShortcutFile, "book.pbk");
    EXPECT_TRUE(c.m_strFileName.empty());
    EXPECT_FALSE(c.m_bExpectFile);

    auto d = Parse({"/installShort"});
    EXPECT_TRUE(d.m_bShortcut);
    EXPECT_TRUE(d.m_bExpectFile);

    // An equals sign with nothing after it: the flag without a file.
    auto e = Parse({"/shortcut="});
    EXPECT_TRUE(e.m_bShortcut);
    EXPECT_TRUE(e.m_strShortcutFile.empty());

    // A letter before "SHORT" makes it some other switch.
    auto f = Parse({"/xshortcut=a.pbk"});
    EXPECT_FALSE(f.m_bShortcut);
    EXPECT_TRUE(f.m_strShortcutFile.empty());
}

TEST(CommandLine, StandardSwitchesAndFiles)
{
    auto open = Parse({"/home/ann/Trip.pbk"});
    EXPECT_EQ(open.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(open.m_strFileName, "/home/ann/Trip.pbk");

    auto none = Parse({});
    EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);

    auto print = Parse({"/p", "a.pbk"});
    EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_EQ(print.m_strFileName, "a.pbk");

    auto printTo = Parse({"/pt", "a.pbk", "Printer", "Driver", "Port"});
    EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_EQ(printTo.m_strPrinterName, "Printer");
    EXPECT_EQ(printTo.m_strDriverName, "Driver");
    EXPECT_EQ(printTo.m_strPortName, "Port");

    auto dde = Parse({"/dde"});
    EXPECT_EQ(dde.m_nShellCommand, CCommandLineInfo::FileDDE);
    EXPECT_TRUE(Parse({"-embedding"}).m_bRunEmbedded);
    EXPECT_TRUE(Parse({"/AUTOMATION"}).m_bRunAutomated);
    EXPECT_EQ(Parse({"/P"}).m_nShellCommand, CCommandLineInfo::FileNew); // shell switches keep case
}

TEST(CommandLine, AbsolutePathsAreNotSwitches)
{
    EXPECT_TRUE(IsSwitchArgument("/p"));
    EXPECT_TRUE(IsSwitchArgument("/shortcut=/tmp/a.pbk"));
    EXPECT_TRUE(IsSwitchArgument("-dde"));
    EXPECT_FALSE(IsSwitchArgument("/tmp/a.pbk"));
    EXPECT_FALSE(IsSwitchArgument("book.pbk"));
    EXPECT_FALSE(IsSwitchArgument("/"));

    TempDir dir;
    WriteFileBytes(dir.File("x.pbk"), "");
    EXPECT_FALSE(IsSwitchArgument(dir.File("x.pbk")));
}
