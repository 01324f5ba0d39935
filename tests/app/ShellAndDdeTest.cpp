#include "app/DdeCommand.h"
#include "app/ShellRegistration.h"
#include "platform/Registry.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
