#include "ScriptFixture.h"
#include "setup/PackageInfo.h"

#include <gtest/gtest.h>

namespace {

std::string Section(const SetupScript& script, std::string_view name)
{
    std::optional<std::string_view> body = script.FindSection(name);
    return body ? std::string(*body) : std::string("<none>");
}

} // namespace

TEST(SetupScript, HeadersMatchExactlyInColumnOne)
{
    SetupScript script(ScriptText({"[strings]", "a", " [Strings]", "b", "[Strings] note", "c",
                                   "[Str]ings]", "d"}, "\n"));
    EXPECT_EQ(Section(script, "strings"), "a\n [Strings]\nb\n");
    // Text after the closing bracket is ignored; the indented line is no header.
    EXPECT_EQ(Section(script, "Strings"), "c\n");
    EXPECT_EQ(Section(script, "STRINGS"), "<none>");
    EXPECT_EQ(Section(script, "Str"), "d\n");
    EXPECT_EQ(Section(script, "Str]ings"), "d\n");
    EXPECT_EQ(Section(script, ""), "<none>");
}

TEST(SetupScript, FirstHeaderWinsAndTheLastSectionEndsWithTheText)
{
    SetupScript script("[A]\r\none\r\n[B]\r\n[A]\r\ntwo\r\n[Last]\r\nx=1\r\ny");
    EXPECT_EQ(Section(script, "A"), "one\r\n");
    EXPECT_EQ(Section(script, "B"), "");
    EXPECT_EQ(Section(script, "Last"), "x=1\r\ny");

    SetupScript headerOnly("[Only]");
    EXPECT_EQ(Section(headerOnly, "Only"), "");
    SetupScript empty("");
    EXPECT_EQ(Section(empty, "A"), "<none>");
}

TEST(SetupScript, TheTextEndsAtItsFirstNul)
{
    std::string bytes = ScriptText({"[Strings]", "A=\"1\""});
    bytes += std::string("\0B=\"2\"\r\n", 8);
    SetupScript script(bytes);
    EXPECT_EQ(script.LookupString("A", 259), "1");
    EXPECT_EQ(script.LookupString("B", 259), std::nullopt);
}

TEST(SetupScript, StringValuesMustBeQuoted)
{
    for (const char* eol : {"\n", "\r\n"}) {
        SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF");
        SetupScript script(ScriptText({"[Strings]", "Plain=\"Ann Lee\"", "Spaced   =  \"x\" trailing",
                                       "Bare=Ann", "Open=\"to the end", "Empty=\"\"",
                                       " Indented=\"no\"", "Long=\"0123456789\"", "[Next]",
                                       "After=\"no\""}, eol));
        EXPECT_EQ(script.LookupString("Plain", 259), "Ann Lee");
        EXPECT_EQ(script.LookupString("Spaced", 259), "x");
        EXPECT_EQ(script.LookupString("Bare", 259), std::nullopt);
        EXPECT_EQ(script.LookupString("Open", 259), "to the end");
        EXPECT_EQ(script.LookupString("Empty", 259), "");
        EXPECT_EQ(script.LookupString("Indented", 259), std::nullopt);
        EXPECT_EQ(script.LookupString("plain", 259), std::nullopt);
        EXPECT_EQ(script.LookupString("Long", 4), "0123");
        EXPECT_EQ(script.LookupString("After", 259), std::nullopt);
        EXPECT_EQ(script.LookupString("Missing", 259), std::nullopt);
    }
    SetupScript noStrings("[Other]\r\nA=\"1\"\r\n");
    EXPECT_EQ(noStrings.LookupString("A", 259), std::nullopt);
}

TEST(SetupScript, TheFirstLineBeginningWithTheKeyDecides)
{
    SetupScript wrongOrder(ScriptText({"[Strings]", "PHOTOS_OWNER_EMAIL=\"ann@example.org\"",
                                       "PHOTOS_OWNER=\"Ann\""}));
    PackageInfo info = ReadPackageInfo(wrongOrder);
    EXPECT_EQ(info.owner, "");
    EXPECT_EQ(info.ownerEmail, "ann@example.org");

    SetupScript rightOrder(ScriptText({"[Strings]", "PHOTOS_OWNER=\"Ann\"",
                                       "PHOTOS_OWNER_EMAIL=\"ann@example.org\""}));
    info = ReadPackageInfo(rightOrder);
    EXPECT_EQ(info.owner, "Ann");
    EXPECT_EQ(info.ownerEmail, "ann@example.org");
}

TEST(PackageInfo, MissingKeysKeepTheirDefaults)
{
    PackageInfo info = ReadPackageInfo(SetupScript(ScriptText({"[Strings]", "Other=\"1\""})));
    EXPECT_FALSE(info.viewerIncluded);
    EXPECT_EQ(info.description, "");
    EXPECT_EQ(info.bookFile, "");
    EXPECT_EQ(info.spaceViewer, -1);
    EXPECT_EQ(info.spacePhotos, -1);
    EXPECT_EQ(info.spaceHelp, -1);
}

TEST(PackageInfo, ValuesAreCutAndConverted)
{
    std::string longDesc(300, 'd');
    std::string longOwner(200, 'o');
    SetupScript script(ScriptText({"[Strings]", "CORVALE_INCLUDED=\"1 (yes)\"",
                                   "PHOTOS_DESC=\"" + longDesc + "\"",
                                   "PHOTOS_OWNER=\"" + longOwner + "\"", "PHOTOS_FILE=\"Trip.pbk\"",
                                   "SPACE_REQD_PV=\"  -12abc\"", "SPACE_REQD_PHOTOS=\"none\"",
                                   "SPACE_REQD_HELP=\"99999999999999999999999\""}));
    PackageInfo info = ReadPackageInfo(script);
    EXPECT_TRUE(info.viewerIncluded);
    EXPECT_EQ(info.description, longDesc.substr(0, 259));
    EXPECT_EQ(info.owner, longOwner.substr(0, 127));
    EXPECT_EQ(info.bookFile, "Trip.pbk");
    EXPECT_EQ(info.spaceViewer, -12);
    EXPECT_EQ(info.spacePhotos, 0);
    EXPECT_EQ(info.spaceHelp, INT64_MAX);

    for (const char* value : {"0", "yes", "", " 1"}) {
        SetupScript other(ScriptText({"[Strings]", std::string("CORVALE_INCLUDED=\"") + value + "\""}));
        EXPECT_FALSE(ReadPackageInfo(other).viewerIncluded) << value;
    }
}
