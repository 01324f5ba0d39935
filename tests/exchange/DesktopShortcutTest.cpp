#include "exchange/DesktopShortcut.h"
#include "model/CorvaleDoc.h"
#include "platform/Registry.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points the per-user "Shell Folders" Desktop value at a fresh folder.
struct DesktopFixture {
    ScopedRegistry registry;
    TempDir desktop;
    DesktopFixture()
    {
        Registry::Default().SetString(RegistryRoot::CurrentUser,
                                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                      "Desktop", desktop.Path());
    }
};

} // namespace

TEST(DesktopShortcut, NamedAfterTheBookOrItsFile)
{
    DesktopFixture fx;
    CCorvaleDoc doc;
    doc.SetPathName("/home/ann/My Photos/Trip Album/trip.2001.pbk", false);
    doc.m_strBookTitle = "Summer";
    ASSERT_TRUE(CreateDesktopShortcut(doc, "/opt/corvale/Corvale"));
    std::string entry = ReadFileBytes(fx.desktop.File("Summer.desktop"));
    EXPECT_NE(entry.find("Name=Summer\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/corvale/Corvale\" \"/home/ann/My Photos/Trip Album/trip.2001.pbk\"\n"),
              std::string::npos);
    EXPECT_NE(entry.find("Path=/opt/corvale/\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=corvale\n"), std::string::npos);
    struct stat st;
    ASSERT_EQ(::stat(fx.desktop.File("Summer.desktop").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);

    doc.m_strBookTitle.clear();
    ASSERT_TRUE(CreateDesktopShortcut(doc, "/opt/corvale/Corvale"));
    EXPECT_TRUE(FileExistsAt(fx.desktop.File("Shortcut to trip.2001.desktop")));

    // Made twice: the second replaces the first.
    doc.m_strBookTitle = "Summer";
    ASSERT_TRUE(CreateDesktopShortcut(doc, "/usr/bin/Corvale"));
    EXPECT_NE(ReadFileBytes(fx.desktop.File("Summer.desktop")).find("/usr/bin/Corvale"), std::string::npos);
}

TEST(DesktopShortcut, HostileTitlesStayOnTheDesktop)
{
    DesktopFixture fx;
    CCorvaleDoc doc;
    doc.SetPathName("/books/a.pbk", false);
    doc.m_strBookTitle = "../../evil\\name";
    ASSERT_TRUE(CreateDesktopShortcut(doc, "/opt/Corvale"));
    EXPECT_TRUE(FileExistsAt(fx.desktop.File(".._.._evil_name.desktop")));

    // Quotes and dollar signs in the path cannot break out of the argument.
    doc.m_strBookTitle = "Q";
    doc.SetPathName("/books/a\"$(x)`.pbk", false);
    ASSERT_TRUE(CreateDesktopShortcut(doc, "/opt/Corvale"));
    EXPECT_NE(ReadFileBytes(fx.desktop.File("Q.desktop")).find("\"/books/a\\\\\"\\\\$(x)\\\\`.pbk\""),
              std::string::npos);
}

TEST(DesktopShortcut, LaunchersOfAProgramThatIsGoneAreRemoved)
{
    DesktopFixture fx;
    TempDir install;
    const std::string viewer = install.File("Corvale.exe");
    ASSERT_TRUE(WriteFileBytes(viewer, "viewer"));
    CCorvaleDoc doc;
    doc.SetPathName(install.File("My Photos/Summer/Summer.pbk"), false);
    doc.m_strBookTitle = "Summer";
    ASSERT_TRUE(CreateDesktopShortcut(doc, viewer));
    doc.m_strBookTitle = "Other";
    ASSERT_TRUE(CreateDesktopShortcut(doc, "/usr/bin/Corvale"));
    // A launcher of another program that merely mentions this one stays, as
    // does a link and a file that is no launcher.
    ASSERT_TRUE(WriteFileBytes(fx.desktop.File("notes.desktop"),
                               "[Desktop Entry]\nComment=Exec=\"" + viewer + "\" x\nExec=/bin/true\n"));
    ASSERT_TRUE(WriteFileBytes(fx.desktop.File("Summer.txt"), "Exec=\"" + viewer + "\" x\n"));
    ASSERT_EQ(::symlink(fx.desktop.File("Summer.desktop").c_str(), fx.desktop.File("link.desktop").c_str()), 0);

    // While the program is there, nothing goes.
    EXPECT_EQ(RemoveDesktopShortcutsTo(viewer), 0);
    ASSERT_EQ(::unlink(viewer.c_str()), 0);
    EXPECT_EQ(RemoveDesktopShortcutsTo(viewer), 1);
    EXPECT_FALSE(FileExistsAt(fx.desktop.File("Summer.desktop")));
    EXPECT_TRUE(FileExistsAt(fx.desktop.File("Other.desktop")));
    EXPECT_TRUE(FileExistsAt(fx.desktop.File("notes.desktop")));
    EXPECT_TRUE(FileExistsAt(fx.desktop.File("Summer.txt")));
    struct stat st;
    EXPECT_EQ(::lstat(fx.desktop.File("link.desktop").c_str(), &st), 0);
}

TEST(DesktopShortcut, APathThatIsNotUtf8MakesNoLauncher)
{
    DesktopFixture fx;
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Caf\xE9";
    doc.SetPathName("/books/Caf\xE9/a.pbk", false);
    EXPECT_FALSE(CreateDesktopShortcut(doc, "/opt/Corvale"));
    EXPECT_FALSE(FileExistsAt(fx.desktop.File("Caf\xC3\xA9.desktop")));
    doc.SetPathName("/books/Caf\xC3\xA9/a.pbk", false);
    EXPECT_TRUE(CreateDesktopShortcut(doc, "/opt/Corvale"));
    EXPECT_FALSE(CreateDesktopShortcut(doc, "/opt/\xFF/Corvale"));
}
