#include "PbkTool.h"
#include "image/SECDib.h"
#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "support/NamedPipe.h"
#include "support/TestEnvironment.h"
#include "support/ZipFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    int code = RunPbkTool(args, out, err);
    return {code, out.str(), err.str()};
}

// Title with an e-acute and a euro sign in Windows-1252; a group with a
// photograph that carries a sound clip.
std::string SampleBytes()
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Caf\xE9 \x80";
    doc.m_strOwnerName = "Ann";
    doc.m_strOwnerEmail = "ann@example.org";
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = "Day \"1\"";
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName("a.jpg");
    photo->m_strText = "line1\r\nline2";
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName("s.wav");
    photo->AddMedia(std::move(media));
    group->AddPhoto(std::move(photo));
    doc.m_root.AddPhoto(std::move(group));
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

} // namespace

TEST(PbkTool, DumpAsTextAndJson)
{
    TempDir dir;
    WriteFileBytes(dir.File("s.pbk"), SampleBytes());

    ToolRun text = Tool({"dump", dir.File("s.pbk")});
    EXPECT_EQ(text.code, 0);
    EXPECT_EQ(text.out, "title: \"Caf\xC3\xA9 \xE2\x82\xAC\"\n"
                        "owner: \"Ann\"\n"
                        "email: \"ann@example.org\"\n"
                        "group \"\"\n"
                        "  group \"Day \\\"1\\\"\"\n"
                        "    photo \"\" file=\"a.jpg\"\n"
                        "      text: \"line1\\r\\nline2\"\n"
                        "      media \"\" file=\"s.wav\" media=1 (sound)\n");

    ToolRun json = Tool({"dump", "--json", dir.File("s.pbk")});
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(json.out,
              "{\"title\":\"Caf\xC3\xA9 \xE2\x82\xAC\",\"ownerName\":\"Ann\","
              "\"ownerEmail\":\"ann@example.org\",\"root\":{\"kind\":\"group\",\"caption\":\"\","
              "\"fileName\":\"\",\"text\":\"\",\"media\":[],\"photos\":[{\"kind\":\"group\","
              "\"caption\":\"Day \\\"1\\\"\",\"fileName\":\"\",\"text\":\"\",\"media\":[],"
              "\"photos\":[{\"kind\":\"photo\",\"caption\":\"\",\"fileName\":\"a.jpg\","
              "\"text\":\"line1\\r\\nline2\",\"media\":[{\"kind\":\"media\",\"caption\":\"\","
              "\"fileName\":\"s.wav\",\"text\":\"\",\"mediaType\":1}],\"photos\":[]}]}]}}\n");
}

TEST(PbkTool, CheckGivesTheViewersMessage)
{
    TempDir dir;
    WriteFileBytes(dir.File("good.pbk"), SampleBytes());
    WriteFileBytes(dir.File("bad.pbk"), SampleBytes().substr(0, 50));

    EXPECT_EQ(Tool({"check", dir.File("good.pbk")}).out, "ok\n");
    ToolRun bad = Tool({"check", dir.File("bad.pbk")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.out, "Unexpected file format.\n");
    ToolRun missing = Tool({"check", dir.File("none.pbk")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, dir.File("none.pbk") + " was not found.\n");
}

TEST(PbkTool, PipesAndDevicesAreRefusedAtOnce)
{
    TempDir dir;
    NamedPipe book(dir.File("pipe.pbk"));
    NamedPipe picture(dir.File("pipe.gif"));
    for (const std::string& path : {book.Path(), std::string("/dev/urandom")}) {
        ToolRun run = Tool({"check", path});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, "Access to " + path + " was denied.\n");
    }
    ToolRun decode = Tool({"decode", picture.Path(), dir.File("o.ppm")});
    EXPECT_EQ(decode.code, 1);
    EXPECT_EQ(decode.err, "Could not load image file " + picture.Path() + "\n");
}

TEST(PbkTool, WriteIsByteIdenticalAndConvertsOlderCollections)
{
    TempDir dir;
    std::string bytes = SampleBytes();
    WriteFileBytes(dir.File("in.pbk"), bytes);
    ASSERT_EQ(Tool({"write", dir.File("in.pbk"), dir.File("out.pbk")}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out.pbk")), bytes);

    // title "T", an empty root group with no children, in the older layout.
    WriteFileBytes(dir.File("old.pcs"), std::string("\x01T\x00\x00\x00\x01\x00\x00\x00"
                                                    "\x00\x00\x00\x00\x00\x00\x00\x00", 18));
    ToolRun run = Tool({"write", dir.File("old.pcs"), dir.File("new.pbk")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Tool({"dump", dir.File("new.pbk")}).out,
              "title: \"T\"\nowner: \"\"\nemail: \"\"\ngroup \"\"\n");
}

TEST(PbkTool, UsageErrors)
{
    EXPECT_EQ(Tool({}).code, 2);
    EXPECT_EQ(Tool({"frobnicate"}).code, 2);
    EXPECT_EQ(Tool({"check"}).code, 2);
    EXPECT_EQ(Tool({"write", "a"}).code, 2);
    EXPECT_EQ(Tool({"help"}).code, 0);
    EXPECT_EQ(Tool({"export", "a.pbk"}).code, 2);
    EXPECT_EQ(Tool({"export", "a.pbk", "/"}).code, 2);
    EXPECT_EQ(Tool({"make", "dir"}).code, 2);
    EXPECT_EQ(Tool({"make", "dir", "book.txt"}).code, 2);
    EXPECT_EQ(Tool({"make", "dir", "b.pbk", "--title"}).code, 2);
}

TEST(PbkTool, MakeReportsWhatItLeftOutAndExportAnswersYes)
{
    TempDir dir;
    fs::create_directories(dir.File("pics"));
    SECDib picture;
    ASSERT_TRUE(picture.Create(4, 4, 24, 0) && picture.SaveImage(dir.File("pics/a.bmp")));
    WriteFileBytes(dir.File("pics/junk.doc"), "x");

    ToolRun made = Tool({"make", dir.File("pics"), "b.pbk", "--title", "Trip"});
    EXPECT_EQ(made.code, 0);
    EXPECT_EQ(made.out, dir.File("pics/b.pbk") + "\n");
    EXPECT_EQ(made.err, "junk.doc: not a picture or multimedia file the viewer shows; left out\n");
    ToolRun elsewhere = Tool({"make", dir.File("pics"), dir.File("b.pbk")});
    EXPECT_EQ(elsewhere.code, 1);
    EXPECT_EQ(elsewhere.err, "The Picture Book must be written directly in " + dir.File("pics") +
                                 ", beside its pictures.\n");

    ToolRun first = Tool({"export", dir.File("pics/b.pbk"), dir.File("out/")});
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.out, dir.File("out") + "\n");
    EXPECT_EQ(first.err, "");
    ToolRun second = Tool({"export", dir.File("pics/b.pbk"), dir.File("out")});
    EXPECT_EQ(second.code, 0);
    EXPECT_EQ(second.out, dir.File("out(1)") + "\n");
    EXPECT_EQ(ReadFileBytes(dir.File("out(1)/a.bmp")), ReadFileBytes(dir.File("pics/a.bmp")));
    ToolRun unreadable = Tool({"export", dir.File("pics/junk.doc"), dir.File("out")});
    EXPECT_EQ(unreadable.code, 1);
    EXPECT_EQ(unreadable.err, "Unexpected file format.\n");
}

TEST(PbkTool, ImportAnswersYesAndPrintsTheNewBook)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string zip = dir.File("trip.zip");
    ASSERT_TRUE(WriteZip(zip, {{"Trip.pbk", PictureBookBytes("Trip", {"a.jpg"})}, {"a.jpg", "a"}}));

    ToolRun first = Tool({"import", zip, "--root", dir.File("books")});
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.out, dir.File("books/Trip/Trip.pbk") + "\n");
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(ReadFileBytes(dir.File("books/Trip/a.jpg")), "a");

    ToolRun again = Tool({"import", "--root", dir.File("books"), zip});
    EXPECT_EQ(again.code, 0);
    EXPECT_EQ(again.out, dir.File("books/Trip(1)/Trip.pbk") + "\n");
    EXPECT_EQ(again.err.substr(0, 34), "This folder already exists:\n\nTrip\n");

    ASSERT_TRUE(WriteZip(zip, {{"a.jpg", "a"}}));
    ToolRun none = Tool({"import", zip, "--root", dir.File("books")});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "This zip file has no Picture Book.\n");

    EXPECT_EQ(Tool({"import", zip}).code, 2);
    EXPECT_EQ(Tool({"import", zip, "--root"}).code, 2);
}

namespace {

const char kScript[] =
    "[Strings]\r\n"
    "CORVALE_INCLUDED=\"1\"\r\n"
    "PHOTOS_DESC=\"Trip\"\r\n"
    "LOOP=\"%LOOP%\"\r\n"
    "[DestinationDirs]\r\n"
    "Photos=65601\r\n"
    "[CorvaleInstall]\r\n"
    "CopyFiles=Program\r\n"
    "AddReg=Reg\r\n"
    "[Option2Section]\r\n"
    "CopyFiles=Photos\r\n"
    "UpdateInis=Ini\r\n"
    "[CorvaleUninstall]\r\n"
    "DelFiles=Program\r\n"
    "UpdateInis=Loop\r\n"
    "[Program]\r\n"
    "Corvale.exe\r\n"
    "[Photos]\r\n"
    "trip.pbk\r\n"
    "[Reg]\r\n"
    "HKLM,Software\\Quillfen,Count,1,0x10\r\n"
    "[Ini]\r\n"
    "win.ini,Corvale,,Book=%PHOTOS_DESC%\r\n"
    "[Loop]\r\n"
    "win.ini,%LOOP%,,x\r\n";

} // namespace

TEST(ScriptCommand, PrintsTheExpressInstallWorkLists)
{
    TempDir dir;
    WriteFileBytes(dir.File("Corvale.inf"), kScript);
    ToolRun run = Tool({"script", dir.File("Corvale.inf"), "--install", "/opt/C"});
    EXPECT_EQ(run.code, 0) << run.err;
    const std::string expected[] = {
        "  viewer included: yes\n",
        "sections: CorvaleInstall Option2Section Option3Section\n",
        "  65601 \"/opt/C/My Photos/Trip\"\n",
        "  copy \"" + dir.Path() + "/Corvale.exe\" \"/opt/C/Corvale.exe\"\n",
        "  copy \"" + dir.Path() + "/trip.pbk\" \"/opt/C/My Photos/Trip/trip.pbk\"\n",
        "  set HKEY_LOCAL_MACHINE \"Software\\\\Quillfen\" \"Count\" number 16\n",
        "  \"win.ini\"\n    [Corvale] - -> \"Book=Trip\"\n"};
    for (const std::string& line : expected)
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin:\n" << run.out;
}

TEST(ScriptCommand, ChosenSectionsAndFailures)
{
    TempDir dir;
    WriteFileBytes(dir.File("Corvale.inf"), kScript);
    ToolRun photos = Tool({"script", dir.File("Corvale.inf"), "--sections", "Option2Section"});
    EXPECT_EQ(photos.code, 0);
    EXPECT_EQ(photos.out.find("Corvale.exe"), std::string::npos);

    ToolRun loop = Tool({"script", dir.File("Corvale.inf"), "--sections", "CorvaleUninstall"});
    EXPECT_EQ(loop.code, 1);
    EXPECT_NE(loop.out.find("  delete \""), std::string::npos);
    EXPECT_NE(loop.err.find("do not end"), std::string::npos);

    ToolRun missing = Tool({"script", dir.File("none.inf")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "Cannot open setup script\n");
    EXPECT_EQ(Tool({"script"}).code, 2);
    EXPECT_EQ(Tool({"script", "a.inf", "--bogus"}).code, 2);
}

TEST(ScriptCommand, ListsEverySkippedLineAndEscapesWhatATerminalWouldActOn)
{
    TempDir dir;
    WriteFileBytes(dir.File("Corvale.inf"),
                   "[Strings]\r\nPHOTOS_DESC=\"Caf\xE9 \x1B[2J\x81\"\r\n"
                   "[CorvaleInstall]\r\nCopyFiles=Files,Gone\r\n"
                   "[Files]\r\nok.txt\r\n..\\up.txt\r\npass\r\n");
    WriteFileBytes(dir.File("ok.txt"), "x");
    ASSERT_EQ(::symlink("/etc/passwd", dir.File("pass").c_str()), 0);
    ToolRun run = Tool({"script", dir.File("Corvale.inf"), "--sections", "CorvaleInstall"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.find('\x1B'), std::string::npos);
    EXPECT_NE(run.out.find("  description: \"Caf\xC3\xA9 \\u001b[2J\\u0081\"\n"), std::string::npos)
        << run.out;
    const std::string skipped = run.out.substr(run.out.find("skipped:\n"));
    EXPECT_EQ(skipped,
              "skipped:\n"
              "  line 4 [CorvaleInstall] \"CopyFiles=Files,Gone\": the script has no section [Gone]\n"
              "  line 7 [Files] \"..\\\\up.txt\": the name leads out of its folder\n"
              "  line 8 [Files] \"pass\": the package's file is a symbolic link or lies behind one\n");
}

TEST(InstallCommand, InstallsWithoutQuestionsAndUninstallsAgain)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string pkg = dir.File("pkg"), inst = dir.File("a/inst"), trace = dir.File("viewer-trace");
    std::filesystem::create_directories(pkg);
    WriteFileBytes(pkg + "/Corvale.inf",
                   "[Strings]\r\nCORVALE_INCLUDED=\"1\"\r\nPHOTOS_DESC=\"Trip\"\r\nPHOTOS_FILE=\"trip.pbk\"\r\n"
                   "[DestinationDirs]\r\nPhotos=65601\r\n"
                   "[CorvaleInstall]\r\nCopyFiles=Program\r\n[Option2Section]\r\nCopyFiles=Photos\r\n"
                   "[CorvaleUninstall]\r\nDelFiles=Program,Photos\r\n"
                   "[Program]\r\nCorvale.exe\r\n[Photos]\r\ntrip.pbk\r\n");
    // The packaged viewer notes how it was started for the shortcut.
    WriteFileBytes(pkg + "/Corvale.exe", "#!/bin/sh\necho \"$1\" > \"" + trace + "\"\n");
    chmod((pkg + "/Corvale.exe").c_str(), 0755);
    WriteFileBytes(pkg + "/trip.pbk", "BOOK");
    WriteFileBytes(pkg + "/setup", "SETUP");

    ToolRun run = Tool({"install", pkg + "/Corvale.inf", "--install", inst});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Corvale for Windows installed successfully!\n");
    EXPECT_EQ(run.err, "Directory " + inst + "\ndoes not exist !\n\nCreate it?\n");
    EXPECT_EQ(ReadFileBytes(inst + "/My Photos/Trip/trip.pbk"), "BOOK");
    EXPECT_EQ(ReadFileBytes(inst + "/Uninstall.exe"), "SETUP");
    EXPECT_EQ(ReadFileBytes(trace), "/shortcut=" + inst + "/My Photos/Trip/trip.pbk\n");

    ToolRun undo = Tool({"install", pkg + "/Corvale.inf", "--install", inst, "--uninstall"});
    EXPECT_EQ(undo.code, 0) << undo.err;
    EXPECT_EQ(undo.out, "Corvale has been removed from your computer.\n");
    EXPECT_FALSE(FileExistsAt(inst + "/My Photos/Trip/trip.pbk"));
    EXPECT_FALSE(FileExistsAt(inst + "/Corvale.exe"));
    EXPECT_FALSE(FileExistsAt(inst + "/Uninstall.exe"));

    EXPECT_EQ(Tool({"install", pkg + "/Corvale.inf"}).code, 2);
    EXPECT_EQ(Tool({"install", dir.File("none.inf"), "--install", inst}).err, "Cannot open setup script\n");
}
