#include "app/DdeCommand.h"
#include "app/ShellRegistration.h"
#include "platform/DesktopResources.h"
#include "platform/ProcessLauncher.h"
#include "platform/Registry.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

// Records the database refreshes instead of running them.
class RefreshRecorder : public ProcessLauncher {
public:
    RefreshRecorder() { ProcessLauncher::Install(this); }
    ~RefreshRecorder() override { ProcessLauncher::Install(nullptr); }
    bool ShellOpen(const std::string&, const std::string&) override { return false; }
    bool StartProgram(const std::string&, const std::vector<std::string>&, const std::string&) override
    {
        return false;
    }
    ProcessWait RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string&, std::chrono::milliseconds) override
    {
        std::string line = program;
        for (const std::string& argument : arguments)
            line += " " + argument;
        m_runs.push_back(line);
        return ProcessWait::Ended;
    }
    std::vector<std::string> m_runs;
};

// Points the user's and the system's data folders at fresh ones.
struct DataFolders {
    DataFolders()
    {
        setenv("XDG_DATA_HOME", user.Path().c_str(), 1);
        setenv("XDG_DATA_DIRS", (std::string("relative:") + system.Path()).c_str(), 1);
    }
    ~DataFolders()
    {
        setenv("XDG_DATA_HOME", (TestRoot() + "/data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (TestRoot() + "/data-dirs").c_str(), 1);
    }
    TempDir user, system;
};

} // namespace

TEST(DdeCommand, OpenRequestsRoundTripAndOthersAreRefused)
{
    std::string path;
    EXPECT_EQ(MakeDdeOpenCommand("/b/My Trip.pbk"), "[open(\"/b/My Trip.pbk\")]");
    ASSERT_TRUE(ParseDdeOpenCommand(MakeDdeOpenCommand("/b/My Trip.pbk") + "\n", path));
    EXPECT_EQ(path, "/b/My Trip.pbk");
    EXPECT_FALSE(ParseDdeOpenCommand("[print(\"/b/x.pbk\")]", path));
    EXPECT_FALSE(ParseDdeOpenCommand("[open(\"\")]", path));
    EXPECT_FALSE(ParseDdeOpenCommand("[open(\"x\"", path));
}

TEST(DdeCommand, ARequestHoldingWhatNoPathCanHoldIsRefusedWhole)
{
    std::string path = "untouched";
    using namespace std::string_literals;
    EXPECT_FALSE(ParseDdeOpenCommand("[open(\"/b/x.pbk\0.evil\")]\n"s, path));
    EXPECT_FALSE(ParseDdeOpenCommand("[open(\"/b/x\r.pbk\")]\n", path));
    EXPECT_FALSE(ParseDdeOpenCommand("[open(\"/b/x.pbk\")]\n\n", path));
    EXPECT_FALSE(ParseOpenRequest("[open(\"b/x.pbk\")]\n", path)); // relative to whose folder?
    EXPECT_EQ(path, "untouched");
    ASSERT_TRUE(ParseOpenRequest("[open(\"/b/\"quoted\".pbk\")]\r\n", path));
    EXPECT_EQ(path, "/b/\"quoted\".pbk");
}

TEST(ShellRegistration, FileTypesLauncherAndMimeType)
{
    ScopedRegistry scoped;
    Registry registry = Registry::Default();
    // An extension another program owns is left alone.
    registry.SetString(RegistryRoot::ClassesRoot, ".pcs", "", "Other.Type");
    ASSERT_TRUE(RegisterShellFileTypes(registry, "/opt/Corvale/Corvale"));

    std::string value;
    ASSERT_EQ(registry.GetString(RegistryRoot::ClassesRoot, ".pbk", "", value), RegistryStatus::Ok);
    EXPECT_EQ(value, "Corvale.Document");
    ASSERT_EQ(registry.GetString(RegistryRoot::ClassesRoot, ".pcs", "", value), RegistryStatus::Ok);
    EXPECT_EQ(value, "Other.Type");
    // Both templates share the type; the later one's name stays.
    ASSERT_EQ(registry.GetString(RegistryRoot::ClassesRoot, "Corvale.Document", "", value), RegistryStatus::Ok);
    EXPECT_EQ(value, "Old Photo Collection Set");
    ASSERT_EQ(registry.GetString(RegistryRoot::ClassesRoot, "Corvale.Document\\shell\\open\\ddeexec", "", value),
              RegistryStatus::Ok);
    EXPECT_EQ(value, "[open(\"%1\")]");
    ASSERT_EQ(registry.GetString(RegistryRoot::ClassesRoot, "Corvale.Document\\shell\\open\\command", "", value),
              RegistryStatus::Ok);
    EXPECT_EQ(value, "/opt/Corvale/Corvale \"%1\"");
    ASSERT_EQ(registry.GetString(RegistryRoot::ClassesRoot, "Sorvane.Document\\DefaultIcon", "", value),
              RegistryStatus::Ok);
    EXPECT_EQ(value, "/opt/Corvale/Corvale,1");

    std::string data = std::getenv("XDG_DATA_HOME");
    std::string entry = ReadFileBytes(data + "/applications/corvale.desktop");
    EXPECT_NE(entry.find("Exec=\"/opt/Corvale/Corvale\" %f\n"), std::string::npos);
    EXPECT_NE(ReadFileBytes(data + "/mime/packages/corvale.xml").find("*.pbk"), std::string::npos);
}

TEST(ShellRegistration, DesktopFilesAreWrittenOnceAndTheDatabasesRefreshedThen)
{
    DataFolders folders;
    RefreshRecorder recorder;
    // A '%' would be a field code and a backslash an escape if written as they are.
    const std::string program = "/opt/My 100% \\Viewer/Corvale";
    ASSERT_TRUE(RegisterWithDesktop(program));
    std::string entry = ReadFileBytes(folders.user.File("applications/corvale.desktop"));
    EXPECT_NE(entry.find("Exec=\"/opt/My 100%% \\\\\\\\Viewer/Corvale\" %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=corvale\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(folders.user.File("mime/packages/corvale.xml")), MimePackageXml());
    EXPECT_EQ(ReadFileBytes(folders.user.File("icons/hicolor/scalable/apps/corvale.svg")), AppIconSvg());
    ASSERT_EQ(recorder.m_runs.size(), 2u);
    EXPECT_EQ(recorder.m_runs[0], "update-mime-database " + folders.user.File("mime"));

    // Unchanged files are neither rewritten nor refreshed; a moved viewer rewrites its launcher only.
    ASSERT_TRUE(RegisterWithDesktop(program));
    EXPECT_EQ(recorder.m_runs.size(), 2u);
    ASSERT_TRUE(RegisterWithDesktop("/usr/local/bin/Corvale"));
    ASSERT_EQ(recorder.m_runs.size(), 3u);
    EXPECT_EQ(recorder.m_runs[2].rfind("update-desktop-database ", 0), 0u);
}

TEST(ShellRegistration, StepsAsideForAnInstalledPackage)
{
    DataFolders folders;
    RefreshRecorder recorder;
    ASSERT_TRUE(RegisterWithDesktop("/home/u/build/Corvale"));
    // Someone else's icon at the same name stays.
    WriteFileBytes(folders.user.File("icons/hicolor/scalable/apps/corvale.svg"), "<svg/>");
    std::filesystem::create_directories(folders.system.File("applications"));
    std::filesystem::create_directories(folders.system.File("mime/packages"));
    WriteFileBytes(folders.system.File("applications/corvale.desktop"), "[Desktop Entry]\n");
    WriteFileBytes(folders.system.File("mime/packages/corvale.xml"), MimePackageXml());
    recorder.m_runs.clear();

    ASSERT_TRUE(RegisterWithDesktop("/usr/bin/Corvale"));
    EXPECT_FALSE(FileExistsAt(folders.user.File("applications/corvale.desktop")));
    EXPECT_FALSE(FileExistsAt(folders.user.File("mime/packages/corvale.xml")));
    EXPECT_EQ(ReadFileBytes(folders.user.File("icons/hicolor/scalable/apps/corvale.svg")), "<svg/>");
    EXPECT_EQ(recorder.m_runs.size(), 2u);
    // Nothing of the user's own comes back on later starts.
    ASSERT_TRUE(RegisterWithDesktop("/usr/bin/Corvale"));
    EXPECT_FALSE(FileExistsAt(folders.user.File("applications/corvale.desktop")));
    EXPECT_EQ(recorder.m_runs.size(), 2u);

    // Installed into the user's own prefix, the install's files are the ones to keep.
    std::filesystem::remove_all(folders.system.File("applications"));
    std::filesystem::create_directories(folders.user.File("share/applications"));
    std::filesystem::create_directories(folders.user.File("share/mime/packages"));
    WriteFileBytes(folders.user.File("share/applications/corvale.desktop"), "Exec=/u/bin/Corvale %f\n");
    WriteFileBytes(folders.user.File("share/mime/packages/corvale.xml"), MimePackageXml());
    setenv("XDG_DATA_HOME", folders.user.File("share").c_str(), 1);
    ASSERT_TRUE(RegisterWithDesktop(folders.user.File("bin/Corvale")));
    EXPECT_EQ(ReadFileBytes(folders.user.File("share/applications/corvale.desktop")), "Exec=/u/bin/Corvale %f\n");
    EXPECT_EQ(recorder.m_runs.size(), 2u);
}

TEST(ShellRegistration, AGoneProgramsRegistrationGoesWithItAndAnothersStays)
{
    ScopedRegistry scoped;
    RefreshRecorder recorder;
    TempDir dir;
    Registry registry = Registry::Default();
    const RegistryRoot root = RegistryRoot::ClassesRoot;
    const std::string gone = dir.File("Corvale.exe");
    const std::string data = std::getenv("XDG_DATA_HOME");
    ASSERT_TRUE(WriteFileBytes(gone, "viewer"));
    registry.SetString(root, ".pcs", "", "Other.Type");
    ASSERT_TRUE(RegisterShellFileTypes(registry, gone));
    registry.SetString(root, "Corvale.Document\\shell\\print", "", "kept");

    // While the program is there, nothing goes.
    EXPECT_EQ(UnregisterShellFileTypes(registry, gone), 0);
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    EXPECT_EQ(UnregisterShellFileTypes(registry, gone), 3);
    std::string value;
    EXPECT_FALSE(registry.KeyExists(root, ".pbk"));
    EXPECT_EQ(registry.GetString(root, ".pcs", "", value), RegistryStatus::Ok);
    EXPECT_FALSE(registry.KeyExists(root, "Corvale.Document\\shell\\open"));
    EXPECT_FALSE(registry.KeyExists(root, "Corvale.Document\\DefaultIcon"));
    EXPECT_EQ(registry.GetString(root, "Corvale.Document", "", value), RegistryStatus::NotFound);
    EXPECT_TRUE(registry.KeyExists(root, "Corvale.Document\\shell\\print"));
    EXPECT_FALSE(registry.KeyExists(root, "Sorvane.Document"));
    EXPECT_FALSE(FileExistsAt(data + "/applications/corvale.desktop"));
    EXPECT_FALSE(FileExistsAt(data + "/mime/packages/corvale.xml"));

    // Registered by another program since: all of it stays.
    ASSERT_TRUE(RegisterShellFileTypes(registry, "/opt/Other/Corvale"));
    EXPECT_EQ(UnregisterShellFileTypes(registry, gone), 0);
    EXPECT_EQ(registry.GetString(root, ".pbk", "", value), RegistryStatus::Ok);
    EXPECT_EQ(registry.GetString(root, "Sorvane.Document\\DefaultIcon", "", value), RegistryStatus::Ok);
    EXPECT_TRUE(FileExistsAt(data + "/applications/corvale.desktop"));
    EXPECT_TRUE(FileExistsAt(data + "/mime/packages/corvale.xml"));
}
