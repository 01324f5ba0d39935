#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/KeyboardLocks.h"
#include "platform/SystemFolders.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>
#include <sys/stat.h>

TEST(FileSystem, ErrnoMapsToFileErrorCauses)
{
    EXPECT_EQ(FileErrorCauseFromErrno(ENOENT), FileErrorCause::NotFound);
    for (int e : {EACCES, EPERM, EISDIR, EROFS})
        EXPECT_EQ(FileErrorCauseFromErrno(e), FileErrorCause::AccessDenied) << e;
    for (int e : {ENAMETOOLONG, ENOTDIR, ELOOP, EINVAL})
        EXPECT_EQ(FileErrorCauseFromErrno(e), FileErrorCause::BadPath) << e;
    for (int e : {EMFILE, ENFILE})
        EXPECT_EQ(FileErrorCauseFromErrno(e), FileErrorCause::TooManyOpenFiles) << e;
    for (int e : {ENOSPC, EDQUOT})
        EXPECT_EQ(FileErrorCauseFromErrno(e), FileErrorCause::DiskFull) << e;
    for (int e : {EAGAIN, EWOULDBLOCK, ENOLCK})
        EXPECT_EQ(FileErrorCauseFromErrno(e), FileErrorCause::LockViolation) << e;
    EXPECT_EQ(FileErrorCauseFromErrno(EIO), FileErrorCause::HardIO);
    EXPECT_EQ(FileErrorCauseFromErrno(EBADF), FileErrorCause::InvalidFile);
    EXPECT_EQ(FileErrorCauseFromErrno(ETXTBSY), FileErrorCause::SharingViolation);
    EXPECT_EQ(FileErrorCauseFromErrno(EXDEV), FileErrorCause::Generic);
    EXPECT_EQ(FileErrorCauseFromErrno(0), FileErrorCause::Generic);

    // Each cause has its own message, and it names the file.
    std::set<int> messages;
    for (int c = 0; c <= static_cast<int>(FileErrorCause::EndOfFile); ++c) {
        MessageId id = FileErrorMessage(static_cast<FileErrorCause>(c));
        EXPECT_TRUE(messages.insert(static_cast<int>(id)).second);
        EXPECT_NE(FormatMessageText(id, {"X.PBK"}).find("X.PBK"), std::string::npos);
    }
    EXPECT_EQ(FormatMessageText(FileErrorMessage(FileErrorCause::NotFound), {"a.pbk"}),
              "a.pbk was not found.");
}

TEST(FileSystem, FolderOfPathCutsAtTheLastSeparator)
{
    EXPECT_EQ(FolderOfPath("/home/ann/Book/book.pbk"), "/home/ann/Book");
    EXPECT_EQ(FolderOfPath("C:\\My Photos\\Trip\\trip.pbk"), "C:\\My Photos\\Trip");
    EXPECT_EQ(FolderOfPath("mixed/dir\\file"), "mixed/dir");
    EXPECT_EQ(FolderOfPath("mixed\\dir/file"), "mixed\\dir");
    EXPECT_EQ(FolderOfPath("book.pbk"), "");
    EXPECT_EQ(FolderOfPath("/book.pbk"), "");
    EXPECT_EQ(FolderOfPath("dir/"), "dir");
    EXPECT_EQ(FolderOfPath(""), "");
}

TEST(FileSystem, ReadsWholeFilesAndReportsErrno)
{
    TempDir dir;
    std::string bytes("a\0b\r\n\xFF", 6);
    bytes += std::string(200000, 'z');
    WriteFileBytes(dir.File("f.bin"), bytes);
    std::string out;
    int err = -1;
    ASSERT_TRUE(ReadWholeFile(dir.File("f.bin"), out, err));
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(err, 0);
    EXPECT_TRUE(FileExists(dir.File("f.bin")));

    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), out, err));
    EXPECT_EQ(err, ENOENT);
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(ReadWholeFile(dir.Path(), out, err));
    EXPECT_EQ(err, EISDIR);
    EXPECT_TRUE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(""));
}

TEST(FileSystem, BoundedReadsTakeOnlyRegularFilesUpToTheLimit)
{
    TempDir dir;
    WriteFileBytes(dir.File("f"), std::string(70000, 'q'));
    std::string out = "old";
    EXPECT_EQ(ReadFileUpTo(dir.File("f"), 70000, out), BoundedRead::Read);
    EXPECT_EQ(out, std::string(70000, 'q'));
    EXPECT_EQ(ReadFileUpTo(dir.File("f"), 69999, out), BoundedRead::TooLarge);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ReadFileUpTo(dir.File("missing"), 10, out), BoundedRead::CannotOpen);
    EXPECT_EQ(ReadFileUpTo(dir.Path(), 10, out), BoundedRead::CannotOpen);
    // A pipe in a file's place is refused at once rather than waited on.
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadFileUpTo(dir.File("pipe"), 10, out), BoundedRead::CannotOpen);

    uint64_t free = 0;
    EXPECT_TRUE(FreeDiskBytes(dir.Path(), free));
    EXPECT_GT(free, 0u);
    EXPECT_FALSE(FreeDiskBytes(dir.File("missing/x"), free));
}

TEST(CodePage, TextOfEitherKindBecomesUtf8)
{
    EXPECT_EQ(AnyTextToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(AnyTextToUtf8("caf\xE9"), "caf\xC3\xA9");
    // Cut or overlong sequences are not UTF-8.
    EXPECT_EQ(AnyTextToUtf8("x\xC3"), "x\xC3\x83");
    EXPECT_EQ(AnyTextToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(AnyTextToUtf8(""), "");
}

TEST(FileSystem, LocalDiskIsNeitherCdNorRemovable)
{
    TempDir dir;
    EXPECT_FALSE(IsCdRomPath(dir.Path()));
    EXPECT_FALSE(IsCdRomPath(dir.File("not/yet/there.pbk"))); // nearest existing folder counts
    // The test machine's temporary folder lies on a local disk.
    EXPECT_TRUE(IsFixedDrivePath(dir.File("not/yet/there.pbk")));
    EXPECT_EQ(IsFixedDrivePath(dir.Path()), IsFixedDrivePath(dir.File("x")));
}

TEST(SystemFolders, FoldersFollowTheEnvironment)
{
    std::string home = std::getenv("HOME");
    std::string data = std::getenv("XDG_DATA_HOME");
    EXPECT_EQ(SystemFolders::WindowsFolder(), std::getenv("CORVALE_WINDOWS_DIR"));
    EXPECT_EQ(SystemFolders::SystemFolder(),
              std::string(std::getenv("CORVALE_WINDOWS_DIR")) + "/system");
    EXPECT_EQ(SystemFolders::ProgramFilesFolder(), home + "/.local/opt");
    {
        ScopedEnv windows("CORVALE_WINDOWS_DIR", nullptr);
        EXPECT_EQ(SystemFolders::WindowsFolder(), data + "/Quillfen/windows");
        ScopedEnv xdg("XDG_DATA_HOME", "relative/is/ignored");
        EXPECT_EQ(SystemFolders::WindowsFolder(), home + "/.local/share/Quillfen/windows");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(SystemFolders::ConfigHome(), home + "/.config");
    }
    {
        ScopedEnv tmp("TMPDIR", "/var/tmp/");
        EXPECT_EQ(SystemFolders::TempFolder(), "/var/tmp");
        ScopedEnv none("TMPDIR", nullptr);
        EXPECT_EQ(SystemFolders::TempFolder(), "/tmp");
    }
}

TEST(SystemFolders, DesktopComesFromUserDirsWhenItIsARealFolder)
{
    TempDir dir;
    ScopedEnv home("HOME", dir.Path().c_str());
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("config").c_str());
    mkdir(dir.File("config").c_str(), 0700);
    // No user-dirs file: xdg-user-dir answers the home folder, which is refused.
    EXPECT_EQ(SystemFolders::DesktopFolder(), dir.File("Desktop"));

    WriteFileBytes(dir.File("config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    EXPECT_EQ(SystemFolders::DesktopFolder(), dir.File("Desktop")); // named but missing
    mkdir(dir.File("Bureau").c_str(), 0755);
    EXPECT_EQ(SystemFolders::DesktopFolder(), dir.File("Bureau"));
}

TEST(SystemFolders, CurrentDirectoryCanBeChanged)
{
    TempDir dir;
    std::string before = SystemFolders::CurrentDirectory();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(SystemFolders::SetCurrentDirectory(dir.Path()));
    char* real = realpath(dir.Path().c_str(), nullptr);
    EXPECT_EQ(SystemFolders::CurrentDirectory(), real);
    free(real);
    EXPECT_FALSE(SystemFolders::SetCurrentDirectory(dir.File("missing")));
    EXPECT_FALSE(SystemFolders::SetCurrentDirectory(""));
    ASSERT_TRUE(SystemFolders::SetCurrentDirectory(before));
}

TEST(KeyboardLocks, NoReaderWhereTheLightsCannotBeRead)
{
    EXPECT_EQ(KeyboardLocks::ForWindowSystem("offscreen"), nullptr);
    EXPECT_EQ(KeyboardLocks::ForWindowSystem("wayland"), nullptr);
    // X11 without a server to ask: nothing is guessed.
    ScopedEnv display("DISPLAY", ":65000");
    EXPECT_EQ(KeyboardLocks::ForWindowSystem("xcb"), nullptr);
}
