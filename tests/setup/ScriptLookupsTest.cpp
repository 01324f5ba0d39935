#include "ScriptFixture.h"
#include "setup/ScriptLookups.h"

#include <gtest/gtest.h>

namespace {

std::string Substituted(const std::string& strings, std::string_view text)
{
    SetupScript script("[Strings]\r\n" + strings);
    Substitution sub = SubstituteReferences(script, SampleDirectories(), text);
    return sub.runaway ? "<runaway>" : sub.text;
}

Destination Lookup(std::initializer_list<std::string_view> destinationLines,
                   std::string_view section = "Sec")
{
    std::string text = ScriptText({"[Strings]", "A=\"a\"", "UP=\"..\"", "LOOP=\"x%LOOP%\"",
                                   "[DestinationDirs]"});
    text += ScriptText(destinationLines);
    SetupScript script(text);
    return LookupDestination(script, SampleDirectories(), section);
}

} // namespace

TEST(SubstituteReferences, ReplacesDirectoriesAndStrings)
{
    const std::string strings = "A=\"a\"\r\nB=\"<%A%>\"\r\nEMPTY=\"\"\r\n";
    EXPECT_EQ(Substituted(strings, "%11%\\x.dll"), "/win/system\\x.dll");
    EXPECT_EQ(Substituted(strings, "%1%setup"), "/pkg/setup");
    EXPECT_EQ(Substituted(strings, "%A%-%B%-%EMPTY%!"), "a-<a>-!");
    EXPECT_EQ(Substituted(strings, "no references"), "no references");
}

TEST(SubstituteReferences, StopsAtTheFirstReferenceItCannotReplace)
{
    const std::string strings = "A=\"a\"\r\n";
    EXPECT_EQ(Substituted(strings, "%A% %NOPE% %A%"), "a %NOPE% %A%");
    EXPECT_EQ(Substituted(strings, "%99%x%A%"), "%99%x%A%");
    EXPECT_EQ(Substituted(strings, "%0%%A%"), "%0%%A%");
    EXPECT_EQ(Substituted(strings, "%99999999999999999999%"), "%99999999999999999999%");
    EXPECT_EQ(Substituted(strings, "100%"), "100%");
    EXPECT_EQ(Substituted(strings, "%A%%A"), "a%A");
    EXPECT_EQ(Substituted(strings, "%%"), "%%");
}

TEST(SubstituteReferences, EachPassStartsAgainFromTheBeginning)
{
    // The value's unfinished reference takes the text after it as the rest of its name.
    const std::string strings = "A=\"%B\"\r\nBC=\"bc\"\r\nN=\"%11\"\r\n";
    EXPECT_EQ(Substituted(strings, "%A%C%."), "bc.");
    EXPECT_EQ(Substituted(strings, "%N%%!"), "/win/system!");
}

TEST(SubstituteReferences, ReferencesThatNeverEndAreGivenUp)
{
    EXPECT_EQ(Substituted("A=\"x%A%\"\r\n", "%A%"), "<runaway>");
    EXPECT_EQ(Substituted("A=\"%A%\"\r\n", "left %A% right"), "<runaway>");
    EXPECT_EQ(Substituted("A=\"%B%\"\r\nB=\"%A%\"\r\n", "%A%"), "<runaway>");
    // Doubling at every level: would grow to 2^20 copies.
    std::string strings;
    for (char c = 'A'; c < 'A' + 20; ++c)
        strings += std::string(1, c) + "=\"%" + char(c + 1) + "%%" + char(c + 1) + "%\"\r\n";
    strings += std::string(1, 'A' + 20) + "=\"x\"\r\n";
    EXPECT_EQ(Substituted(strings, "%A%"), "<runaway>");

    SetupScript script("[Strings]\r\nA=\"x%A%\"\r\n");
    Substitution sub = SubstituteReferences(script, SampleDirectories(), "keep %A%");
    EXPECT_TRUE(sub.runaway);
    EXPECT_EQ(sub.text, "keep %A%");
}

TEST(LookupDestination, NumberAndSubfolder)
{
    EXPECT_EQ(Lookup({"Sec=65600"}).folder, "/inst");
    EXPECT_EQ(Lookup({"Sec   =   11   comment"}).folder, "/win/system");
    EXPECT_EQ(Lookup({"Sec=65601,\"Sub Dir\\%A%\""}).folder, "/inst/My Photos/Book/Sub Dir/a");
    EXPECT_EQ(Lookup({"Sec=65600,\"two words\" ignored"}).folder, "/inst/two words");
    // Folder 1 already ends in a separator: none is added.
    EXPECT_EQ(Lookup({"Sec=1,x"}).folder, "/pkg/x");
    EXPECT_EQ(Lookup({"Sec=65600,"}).folder, "/inst");
    EXPECT_EQ(Lookup({"Sec=65600"}).status, Destination::Status::Found);
}

TEST(LookupDestination, UnknownFoldersAreNotFound)
{
    for (auto lines : {std::initializer_list<std::string_view>{"Other=65600"},
                       {"Sec=0"}, {"Sec=abc"}, {"Sec=12345"}, {"Sec=\"65600\""},
                       {"sec=65600"}, {"Sec"}, {"SecTion=65600", "Sec=65600"}}) {
        Destination found = Lookup(lines);
        EXPECT_EQ(found.status, Destination::Status::NotFound) << *lines.begin();
    }
    std::string tooLong = "Sec=65601," + std::string(250, 'x');
    EXPECT_EQ(Lookup({tooLong}).status, Destination::Status::NotFound);
}

TEST(LookupDestination, SubfoldersMustStayInsideTheirFolder)
{
    for (std::string_view line : {"Sec=65600,..\\x", "Sec=65600,a\\..\\..\\b", "Sec=65600,\\abs",
                                  "Sec=65600,/abs", "Sec=65600,C:\\x", "Sec=65600,%11%",
                                  "Sec=65600,%UP%", "Sec=65600,a/.../b"}) {
        EXPECT_EQ(Lookup({line}).status, Destination::Status::Unsafe) << line;
    }
    EXPECT_EQ(Lookup({"Sec=65600,sub\\..x\\y."}).status, Destination::Status::Found);
    EXPECT_EQ(Lookup({"Sec=65600,%LOOP%"}).status, Destination::Status::Runaway);
}
