#include "app/DdeCommand.h"
#include "app/ShellRegistration.h"
#include "platform/Registry.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

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

TEST(ShellRegistration, AGoneProgramsRegistrationGoesWithItAndAnothersStays)
{
    ScopedRegistry scoped;
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
