#include "ScriptFixture.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

Lines Files(const SetupState& state)
{
    Lines out;
    for (const FileEntry& file : state.m_files)
        out.push_back(file.IsDeletion() ? "delete " + file.source
                                        : "copy " + file.source + " -> " + *file.target);
    return out;
}

Lines RegistryLines(const SetupState& state)
{
    Lines out;
    for (const RegistryEntry& e : state.m_registry) {
        std::string line = std::string(Registry::RootName(e.root)) + "|" + e.key + "|" + e.valueName;
        if (!e.hasData)
            line += "|delete";
        else if (e.kind == RegistryValueKind::Text)
            line += "|text:" + e.text;
        else
            line += "|number:" + std::to_string(e.number);
        out.push_back(line);
    }
    return out;
}

Lines IniLines(const SetupState& state)
{
    Lines out;
    for (const IniFileEntry& ini : state.m_iniFiles)
        for (const IniLine& line : ini.lines)
            out.push_back(ini.fileName + "|" + line.section + "|" +
                          line.oldEntry.value_or("<absent>") + "|" +
                          line.newEntry.value_or("<absent>"));
    return out;
}

const std::string kStrings = ScriptText({"[Strings]", "PHOTOS_DESC=\"Summer 2001\"", "UP=\"..\\..\"",
                                         "LOOP=\"%LOOP%!\""});

} // namespace

TEST(InstallSection, DirectivesNeedTheirEqualsSignRightAfterThem)
{
    SectionRun run(ScriptText({"[Install]", "CopyFiles = A", "CopyFiles=A", "   DelFiles=A",
                               ";CopyFiles=A", "copyfiles=A", "CopyFiles= A", "CopyFiles=B C",
                               "Unknown=A", "CopyFiles", "", "[A]", "a.txt", "[B]", "b.txt", "[C]",
                               "c.txt"}),
                   "Install");
    EXPECT_EQ(run.status, ScriptRunStatus::Ok);
    EXPECT_EQ(Files(run.state), (Lines{"copy /pkg/a.txt -> /inst/a.txt", "delete /inst/a.txt",
                                       "copy /pkg/b.txt -> /inst/b.txt"}));
}

TEST(InstallSection, ListsNameSectionsInOrderAndSkipEmptyItems)
{
    SectionRun run(ScriptText({"[Install]", "CopyFiles=,B,,A,Missing,", "[A]", "a", "[B]", "b"}),
                   "Install");
    EXPECT_EQ(Files(run.state), (Lines{"copy /pkg/b -> /inst/b", "copy /pkg/a -> /inst/a"}));

    SectionRun missing(ScriptText({"[Other]", "CopyFiles=A", "[A]", "a"}), "Install");
    EXPECT_EQ(missing.status, ScriptRunStatus::Ok);
    EXPECT_TRUE(missing.state.m_files.empty());
}

TEST(InstallSection, FileSectionsCopyFromTheSetupFolderToTheirDestination)
{
    for (const char* eol : {"\n", "\r\n"}) {
        SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF");
        std::string text = kStrings + ScriptText({"[DestinationDirs]", "Photos=65601,\"%PHOTOS_DESC%\"",
                                                  "Sys = 11", "[Install]",
                                                  "CopyFiles=Photos,Sys,Plain", "DelFiles=Sys",
                                                  "[Photos]", "  \"trip one.pbk\"  ", "; a comment",
                                                  "", "   ", "  [not a header", "pics\\a,b.jpg",
                                                  "[Sys]", "corv.dll", "[Plain]", "readme.txt"},
                                                 eol);
        SectionRun run(text, "Install");
        EXPECT_EQ(Files(run.state),
                  (Lines{"copy /pkg/trip one.pbk -> /inst/My Photos/Book/Summer 2001/trip one.pbk",
                         "copy /pkg/pics/a,b.jpg -> /inst/My Photos/Book/Summer 2001/pics/a,b.jpg",
                         "copy /pkg/corv.dll -> /win/system/corv.dll",
                         "copy /pkg/readme.txt -> /inst/readme.txt",
                         "delete /win/system/corv.dll"}));
    }
}

TEST(InstallSection, FilesThatWouldLeaveTheirFolderArePassedOver)
{
    std::string text = kStrings + ScriptText({"[DestinationDirs]", "Up=65600,%UP%", "[Install]",
                                              "CopyFiles=Names", "DelFiles=Up", "[Names]",
                                              "..\\..\\etc\\passwd", "sub\\..\\..\\x", "\\abs.txt",
                                              "/etc/passwd", "C:\\boot.ini", "\"\"", ". . \\x",
                                              "ok.txt", "[Up]", "victim.txt"});
    SectionRun run(text, "Install");
    EXPECT_EQ(run.status, ScriptRunStatus::Ok);
    // A section whose folder is refused deletes nothing, not even in the
    // installation folder that a section without a destination would use.
    EXPECT_EQ(Files(run.state), (Lines{"copy /pkg/ok.txt -> /inst/ok.txt"}));
}

TEST(InstallSection, RegistryLinesSetAndDeleteValues)
{
    std::string text = kStrings +
        ScriptText({"[Install]", "AddReg=Add", "DelReg=Del", "[Add]",
                    "HKLM,Software\\Q,Mask,1,0x1F", "HKCU,Software\\Q,Desc,0,%PHOTOS_DESC%",
                    "HKCR,K,\"Quoted\",0,\"a,b\",c", "HU,K,Minus,1,-1", "HKCC,K,Dec,1,12abc",
                    "HKLMX,K,Hex,1,0XfFz", "HKLM,K,Big,1,0x123456789", "HKLM,K,Huge,7,99999999999",
                    "HKLM,K,,Name,0,,data", "HKLM,K,Empty,0,", "HKLM, Spaced Key ,V,0,x",
                    "HKXX,K,V,0,x", "HKL,K,V,0,x", "HKLM,K,V", "HKLM,K,V,0", "HKLM", "[Del]",
                    "HKLM,Software\\Q,Mask", "HKCU,Software\\Q", "HKLM,K,V,0,ignored", "HKLM"});
    SectionRun run(text, "Install");
    EXPECT_EQ(run.status, ScriptRunStatus::Ok);
    EXPECT_EQ(RegistryLines(run.state),
              (Lines{"HKEY_LOCAL_MACHINE|Software\\Q|Mask|number:31",
                     "HKEY_CURRENT_USER|Software\\Q|Desc|text:Summer 2001",
                     "HKEY_CLASSES_ROOT|K|Quoted|text:a,b,c",
                     "HKEY_USERS|K|Minus|number:4294967295",
                     "HKEY_CURRENT_CONFIG|K|Dec|number:12",
                     "HKEY_LOCAL_MACHINE|K|Hex|number:255",
                     "HKEY_LOCAL_MACHINE|K|Big|number:4294967295",
                     "HKEY_LOCAL_MACHINE|K|Huge|number:4294967295",
                     // Runs of commas count as one: the empty value name is not a field.
                     "HKEY_LOCAL_MACHINE|K|Name|text:,data",
                     "HKEY_LOCAL_MACHINE|K|Empty|text:",
                     "HKEY_LOCAL_MACHINE| Spaced Key |V|text:x",
                     "HKEY_LOCAL_MACHINE|Software\\Q|Mask|delete",
                     "HKEY_CURRENT_USER|Software\\Q||delete",
                     "HKEY_LOCAL_MACHINE|K|V|delete"}));
}

TEST(InstallSection, IniLinesGroupByFileWithoutRegardToCase)
{
    std::string text = kStrings +
        ScriptText({"[Install]", "UpdateInis=Ini", "[Ini]", "win.ini,Corvale,,\"Book=%PHOTOS_DESC%\"",
                    "progman.ini, Groups , \"old, entry\" , new , extra", "WIN.INI,Paths,x=%11%,",
                    "win.ini,Only", "..\\outside.ini,S,,n", "\\abs.ini,S,,n", ",S,,n"});
    SectionRun run(text, "Install");
    EXPECT_EQ(run.status, ScriptRunStatus::Ok);
    ASSERT_EQ(run.state.m_iniFiles.size(), 2u);
    EXPECT_EQ(run.state.m_iniFiles[0].fileName, "win.ini");
    EXPECT_EQ(IniLines(run.state), (Lines{"win.ini|Corvale|<absent>|Book=Summer 2001",
                                          "win.ini|Paths|x=/win/system|<absent>",
                                          "win.ini|Only|<absent>|<absent>",
                                          "progman.ini|Groups|old, entry|new"}));
}

TEST(InstallSection, SeveralSectionsAppendInTheirOrder)
{
    std::string text = ScriptText({"[CorvaleInstall]", "CopyFiles=A", "UpdateInis=I1",
                                   "[Option2Section]", "CopyFiles=B", "UpdateInis=I2",
                                   "[Option3Section]", "CopyFiles=C", "[CorvaleUninstall]",
                                   "DelFiles=A", "[A]", "a", "[B]", "b", "[C]", "c", "[I1]",
                                   "Sys.ini,S,,one", "[I2]", "SYS.INI,S,,two"});
    SetupScript script(text);
    SetupState state;
    state.m_directories = SampleDirectories();
    InstallChoice express{false, true, true, true, true};
    EXPECT_EQ(RunInstallSections(script, ChosenInstallSections(express), state), ScriptRunStatus::Ok);
    EXPECT_EQ(Files(state), (Lines{"copy /pkg/a -> /inst/a", "copy /pkg/b -> /inst/b",
                                   "copy /pkg/c -> /inst/c"}));
    EXPECT_EQ(IniLines(state), (Lines{"Sys.ini|S|<absent>|one", "Sys.ini|S|<absent>|two"}));

    InstallChoice notIncluded{false, false, true, true, false};
    EXPECT_EQ(ChosenInstallSections(notIncluded), (Lines{"Option2Section"}));
    InstallChoice uninstall{true, true, true, true, true};
    EXPECT_EQ(ChosenInstallSections(uninstall), (Lines{"CorvaleUninstall"}));
}

TEST(InstallSection, SelfNamingAndRepeatedSectionsEnd)
{
    // An install section read as a file section is only text: no recursion.
    SectionRun self(ScriptText({"[S]", "CopyFiles=S,S"}), "S");
    EXPECT_EQ(self.status, ScriptRunStatus::Ok);
    EXPECT_EQ(Files(self.state), (Lines{"copy /pkg/CopyFiles=S,S -> /inst/CopyFiles=S,S",
                                        "copy /pkg/CopyFiles=S,S -> /inst/CopyFiles=S,S"}));

    // A large section named thousands of times, and a section of nothing but
    // blank lines named as often: both stop at the limits instead of running on.
    std::string names = "CopyFiles=" + std::string(258, ',');
    for (size_t i = 10; i < names.size(); i += 2)
        names[i] = 'F';
    std::string blanks(500000, '\n');
    std::string text = "[Install]\n";
    for (int i = 0; i < 3000; ++i)
        text += names + "\n";
    text += "[F]\n";
    for (int i = 0; i < 2000; ++i)
        text += "file" + std::to_string(i) + ".txt\n";
    std::string blankText = "[Install]\n";
    for (int i = 0; i < 3000; ++i)
        blankText += names + "\n";
    blankText += "[F]\n" + blanks;

    auto start = std::chrono::steady_clock::now();
    SectionRun large(text, "Install");
    EXPECT_EQ(large.status, ScriptRunStatus::TooLarge);
    EXPECT_LE(large.state.m_nWorkListBytes, kMaxWorkListBytes + 4096);
    SectionRun blank(blankText, "Install");
    EXPECT_EQ(blank.status, ScriptRunStatus::Ok);
    EXPECT_TRUE(blank.state.m_files.empty());
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0);
}

TEST(InstallSection, ReferencesThatNeverEndFailTheRun)
{
    for (const char* line : {"HKLM,K,V,0,%LOOP%", "win.ini,%LOOP%,,x"}) {
        std::string text = kStrings + ScriptText({"[DestinationDirs]", "Loop=65600,%LOOP%",
                                                  "[Install]", "CopyFiles=Fine", "AddReg=Bad",
                                                  "UpdateInis=Bad", "CopyFiles=Fine", "[Fine]",
                                                  "a.txt", "[Bad]", line});
        SectionRun run(text, "Install");
        EXPECT_EQ(run.status, ScriptRunStatus::Runaway) << line;
        EXPECT_EQ(Files(run.state), (Lines{"copy /pkg/a.txt -> /inst/a.txt"})) << line;
    }
    SectionRun folder(kStrings + ScriptText({"[DestinationDirs]", "Loop=65600,%LOOP%", "[Install]",
                                             "CopyFiles=Loop", "[Loop]", "a.txt"}),
                      "Install");
    EXPECT_EQ(folder.status, ScriptRunStatus::Runaway);
    EXPECT_TRUE(folder.state.m_files.empty());
}

TEST(InstallSection, LongLinesAreCutAtTheBufferSize)
{
    std::string name(300, 'n');
    std::string names = "CopyFiles=" + std::string(256, 'x') + ",A,B";
    SectionRun run(ScriptText({"[Install]", "CopyFiles=A", names, "[A]", name, "[B]", "b"}),
                   "Install");
    // The value ends after 259 characters, so its list ends before B; the
    // file name is cut to 259 characters like every line of a section.
    ASSERT_EQ(run.state.m_files.size(), 2u);
    EXPECT_EQ(*run.state.m_files[0].target, "/inst/" + name.substr(0, 259));
    EXPECT_EQ(*run.state.m_files[1].target, "/inst/" + name.substr(0, 259));
}

TEST(InstallSection, LinesPassedOverAreNotedWithWhy)
{
    // A package folder holding a file, a link to a file outside it and a
    // folder reached through a link.
    TempDir pkg, outside;
    ASSERT_TRUE(WriteFileBytes(pkg.File("real.txt"), "x"));
    ASSERT_TRUE(WriteFileBytes(outside.File("secret"), "s"));
    ASSERT_EQ(::symlink(outside.File("secret").c_str(), pkg.File("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(outside.Path().c_str(), pkg.File("dir").c_str()), 0);
    std::string text = kStrings + ScriptText({
        "[DestinationDirs]", "Up=65600,%UP%",
        "[Install]", "CopyFiles = A", "Bogus=A", "  ", "; note", "CopyFiles=A,Nope,Up",
        "DelFiles=A", "AddReg=R", "UpdateInis=I",
        "[A]", "real.txt", "link.txt", "dir\\secret", "..\\x", ".", "sub\\", "\"\"",
        "[Up]", "victim.txt",
        "[R]", "HKXX,K,V,0,x", "HKLM", "HKLM,K,V,0", "HKLM,K,V,0,ok",
        "[I]", ".,S,,n", "sub\\.,S,,n", "..\\o.ini,S,,n", "win.ini,S,,n"});
    SetupScript script(text);
    SetupState state;
    state.m_directories = SampleDirectories();
    state.m_directories.Set(DirectoryTable::kSetupFolder, pkg.Path() + "/");
    ASSERT_EQ(RunInstallSection(script, "Install", state), ScriptRunStatus::Ok);

    std::vector<std::pair<std::string, SkipReason>> noted;
    for (const SkippedLine& skipped : state.m_skipped)
        noted.emplace_back(std::string(LineContent(script.Text().substr(skipped.offset))) +
                               (skipped.section.empty() ? "" : " [" + skipped.section + "]"),
                           skipped.reason);
    using R = SkipReason;
    const std::vector<std::pair<std::string, SkipReason>> expected = {
        {"CopyFiles = A", R::NoEqualsAfterDirective}, {"Bogus=A", R::UnknownDirective},
        {"link.txt", R::LinkedPackageFile}, {"dir\\secret", R::LinkedPackageFile},
        {"..\\x", R::UnsafeName}, {".", R::NotAFileName}, {"sub\\", R::NotAFileName},
        {"\"\"", R::NotAFileName}, {"CopyFiles=A,Nope,Up [Nope]", R::MissingSection},
        {"victim.txt", R::UnsafeDestination},
        {"HKXX,K,V,0,x", R::UnknownRoot}, {"HKLM", R::NoKeyPath}, {"HKLM,K,V,0", R::NoKindOrData},
        {".,S,,n", R::NotAFileName}, {"sub\\.,S,,n", R::NotAFileName}, {"..\\o.ini,S,,n", R::UnsafeName}};
    EXPECT_EQ(noted, expected);
    // A line is noted once however often it is read; deleting a link
    // removes only the link, so only copies refuse them.
    EXPECT_EQ(Files(state), (Lines{"copy " + pkg.Path() + "/real.txt -> /inst/real.txt",
                                   "delete /inst/real.txt", "delete /inst/link.txt",
                                   "delete /inst/dir/secret"}));
    EXPECT_EQ(IniLines(state), (Lines{"win.ini|S|<absent>|n"}));
}
