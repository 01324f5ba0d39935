#include "BookFiles.h"
#include "exchange/BookExporter.h"
#include "exchange/UniqueNames.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

CPhotoNode* Group(CPhotoNode& parent, const std::string& caption, const std::string& text = "")
{
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = caption;
    group->m_strText = text;
    return parent.AddPhoto(std::move(group));
}

CPhotoNode* Photo(CPhotoNode& parent, const std::string& file, const std::string& caption,
                  const std::string& text = "")
{
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName(file);
    photo->m_strCaption = caption;
    photo->m_strText = text;
    return parent.AddPhoto(std::move(photo));
}

void Media(CPhotoNode& parent, const std::string& file, const std::string& caption)
{
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName(file);
    media->m_strCaption = caption;
    parent.AddMedia(std::move(media));
}

// Cancels once the export has asked for input `cancelAt` times.
class CancellingProgress : public ImportProgress {
public:
    CancellingProgress(int cancelAt, std::vector<std::string>& names) : m_nCancelAt(cancelAt), m_names(names) {}
    void SetMessage(const std::string&) override {}
    void SetFileName(const std::string& text) override { m_names.push_back(text); }
    void SetFilesText(const std::string&) override {}
    void SetBytesText(const std::string&) override {}
    void SetFilesPercent(int percent) override { EXPECT_TRUE(percent >= 0 && percent <= 100); }
    void SetBytesPercent(int percent) override { EXPECT_TRUE(percent >= 0 && percent <= 100); }
    void Refresh() override {}
    bool IsCancelled() const override { return m_nCancelAt > 0 && m_nInputs >= m_nCancelAt; }
    void ProcessInput() override { ++m_nInputs; }
    void SetWaitCursor(bool) override {}
    void Linger(int) override {}

private:
    int m_nCancelAt;
    int m_nInputs = 0;
    std::vector<std::string>& m_names;
};

std::vector<std::string> Tree(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(entry.path().lexically_relative(folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// A book folder with a picture of each format, sounds, a sub-folder, a file
// named twice, a missing one and one outside the book's folder.
struct ExportFixture {
    TempDir base;
    std::string book = base.File("book");
    std::string out = base.File("out");
    CCorvaleDoc doc;
    RecordingPrompter prompter;

    ExportFixture()
    {
        fs::create_directories(book + "/sub");
        for (const char* name : {"a.jpg", "b.gif", "c.bmp", "d.pcx", "e.tif", "sub/F.JPG"})
            EXPECT_TRUE(WritePicture(book + "/" + name));
        WriteFileBytes(book + "/s.wav", "RIFF-sound");
        WriteFileBytes(base.File("secret.wav"), "not to be given away");
        doc.m_strBookTitle = "Caf\xE9";
        doc.m_strOwnerName = "Ann";
        doc.m_strOwnerEmail = "ann@example.org";
        doc.m_root.m_strText = "Root text";
        CPhotoNode* trip = Group(doc.m_root, "Trip", "Two days");
        CPhotoNode* a = Photo(*trip, "A.JPG", "Harbour", "line1\r\nline2");
        Media(*a, "s.wav", "Gulls");
        Media(*a, "..\\secret.wav", "Secret");
        Photo(*trip, "b.gif", "Lighthouse");
        CPhotoNode* evening = Group(*trip, "Evening");
        Photo(*evening, "c.bmp", "Sunset");
        Photo(*evening, "d.pcx", "Pier");
        Photo(*evening, "e.tif", "Square");
        Photo(*evening, "a.jpg", "Harbour again");
        Photo(doc.m_root, "sub\\f.jpg", "Deep");
        Photo(doc.m_root, "gone.jpg", "Gone");
    }

    BookExporter::Result Export(BookExporter& exporter) { return exporter.Export(base.Path(), "out"); }
};

} // namespace

TEST(BookExport, CopiesEveryFileIntoGroupFoldersWithPagesWhoseLinksResolve)
{
    ExportFixture f;
    BookExporter exporter(f.doc, f.book, f.prompter);
    ASSERT_EQ(f.Export(exporter), BookExporter::Result::Done);
    EXPECT_TRUE(f.prompter.m_entries.empty());
    EXPECT_EQ(exporter.Folder(), f.out);

    // The real name of the file the book names "sub\f.jpg" is kept.
    EXPECT_EQ(Tree(f.out),
              (std::vector<std::string>{"F.JPG", "Trip", "Trip/Evening", "Trip/Evening/c.bmp",
                                        "Trip/Evening/d.pcx", "Trip/Evening/d.png", "Trip/Evening/e.jpg",
                                        "Trip/Evening/e.tif", "Trip/a.jpg", "Trip/b.gif", "Trip/s.wav",
                                        "book.json", "index.html", "thumbnails", "thumbnails/F.jpg",
                                        "thumbnails/a.jpg", "thumbnails/b.jpg", "thumbnails/c.jpg",
                                        "thumbnails/d.jpg", "thumbnails/e.jpg"}));
    EXPECT_EQ(ReadFileBytes(f.out + "/Trip/a.jpg"), ReadFileBytes(f.book + "/a.jpg"));
    EXPECT_EQ(ReadFileBytes(f.out + "/F.JPG"), ReadFileBytes(f.book + "/sub/F.JPG"));
    EXPECT_EQ(ReadFileBytes(f.out + "/Trip/Evening/d.png").substr(1, 3), "PNG");
    EXPECT_EQ(ReadFileBytes(f.out + "/Trip/Evening/e.jpg").substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(exporter.NotExported(),
              (std::vector<std::string>{"Not exported: ..\\secret.wav lies outside the Picture Book's folder",
                                        "Missing: gone.jpg"}));
    ExpectLinksResolve(f.out, "index.html");

    std::string html = ReadFileBytes(f.out + "/index.html");
    EXPECT_NE(html.find("<title>Caf\xC3\xA9</title>"), std::string::npos);
    EXPECT_NE(html.find("Sent by Ann &lt;<a href=\"mailto:ann@example.org\">ann@example.org</a>&gt;"),
              std::string::npos);
    EXPECT_NE(html.find("<a href=\"Trip/Evening/d.png\"><img src=\"thumbnails/d.jpg\" width=\"64\" "
                        "height=\"48\" alt=\"Pier\" loading=\"lazy\"></a>"),
              std::string::npos);
    EXPECT_NE(html.find("<p class=\"missing\">Missing: gone.jpg</p>"), std::string::npos);
    // The file named twice was copied once; both photographs show it.
    const std::string harbour = "href=\"Trip/a.jpg\"";
    EXPECT_NE(html.find(harbour, html.find(harbour) + 1), std::string::npos);

    std::string json = ReadFileBytes(f.out + "/book.json");
    EXPECT_EQ(json.rfind("{\"title\":\"Caf\xC3\xA9\",\"sender\":{\"name\":\"Ann\",\"email\":\"ann@example.org\"},", 0), 0u);
    EXPECT_NE(json.find("{\"kind\":\"photo\",\"caption\":\"Pier\",\"text\":\"\",\"storedName\":\"d.pcx\","
                        "\"format\":\"PCX Image\",\"status\":\"copied\",\"file\":\"Trip/Evening/d.pcx\","
                        "\"shownAs\":\"Trip/Evening/d.png\",\"thumbnail\":\"thumbnails/d.jpg\""),
              std::string::npos);
    EXPECT_NE(json.find("\"storedName\":\"gone.jpg\",\"format\":\"JPEG Image\",\"status\":\"missing\",\"file\":null"),
              std::string::npos);
    EXPECT_NE(json.find("\"status\":\"outside\",\"file\":null,\"mediaType\":\"sound\""), std::string::npos);
}

TEST(BookExport, HostileNamesAndTextsStayInsideTheFolderAndEscaped)
{
    TempDir base;
    std::string book = base.File("book");
    fs::create_directories(book);
    std::string longName(251, 'x');
    std::vector<std::string> files = {"<script>.jpg", "q\"u'o.gif", "new\nline.bmp", longName + ".jpg",
                                      "CON.jpg", "..jpg"};
    for (const std::string& name : files)
        ASSERT_TRUE(WritePicture(book + "/" + name, 8, 8)) << name;
    // A damaged picture is copied and linked by its name; a pipe is never waited on.
    WriteFileBytes(book + "/broken.jpg", "not a JPEG");
    ASSERT_EQ(mkfifo((book + "/pipe.jpg").c_str(), 0600), 0);
    CCorvaleDoc doc;
    Photo(doc.m_root, "broken.jpg", "Broken");
    Photo(doc.m_root, "pipe.jpg", "Pipe");
    doc.m_strBookTitle = "<script>alert(1)</script>";
    doc.m_strOwnerEmail = "x@y?subject=<b>\"&body=";
    for (const std::string& caption : {std::string(".."), std::string("../.."), std::string("<script>"),
                                       std::string("CON"), std::string(300, 'g'), std::string(" . ")}) {
        CPhotoNode* group = Group(doc.m_root, caption, "</p><script>evil()</script>");
        for (const std::string& name : files)
            Photo(*group, name, "\"><img src=x onerror=alert(1)>", "a\nb & c");
    }

    RecordingPrompter prompter;
    BookExporter exporter(doc, book, prompter);
    ASSERT_EQ(exporter.Export(base.Path(), "out"), BookExporter::Result::Done);
    EXPECT_EQ(Tree(base.Path()).size(), Tree(book).size() + Tree(base.File("out")).size() + 2);
    for (const std::string& name : Tree(base.File("out"))) {
        for (const fs::path& element : fs::path(name)) {
            const std::string part = element.string();
            EXPECT_EQ(PortableFileName(part), part);
            EXPECT_LE(part.size(), kMaxExportNameBytes);
        }
    }
    EXPECT_EQ(exporter.NotExported(), std::vector<std::string>{"Not exported: pipe.jpg cannot be read"});
    std::string html = ReadFileBytes(base.File("out/index.html"));
    EXPECT_NE(html.find("<p><a href=\"broken.jpg\">broken.jpg</a></p>"), std::string::npos);
    EXPECT_FALSE(FileExistsAt(base.File("out/thumbnails/broken.jpg")));
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_NE(html.find("href=\"mailto:x@y%3Fsubject%3D%3Cb%3E%22%26body%3D\""), std::string::npos);
    ExpectLinksResolve(base.File("out"), "index.html");
}

TEST(BookExport, NamesAreMadePortableAndUniqueWithoutRegardToCase)
{
    EXPECT_EQ(PortableFileName("a/b\\c:d*e?f\"g<h>i|j\x01k"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(PortableFileName(".."), "");
    EXPECT_EQ(PortableFileName(" .hidden. . "), "_hidden");
    EXPECT_EQ(PortableFileName("con.txt"), "_con.txt");
    EXPECT_EQ(PortableFileName("LPT1"), "_LPT1");
    EXPECT_EQ(PortableFileName("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(PortableFileName("\xC2\x85x"), "_x");
    // Cut before the extension, never inside a character.
    EXPECT_EQ(PortableFileName(std::string(194, 'a') + "\xC3\xA9\xC3\xA9.jpeg"), std::string(194, 'a') + ".jpeg");
    EXPECT_EQ(PortableFileName(std::string(193, 'a') + "\xC3\xA9\xC3\xA9.jpeg"),
              std::string(193, 'a') + "\xC3\xA9.jpeg");
    EXPECT_EQ(PortableFileName("..."), "");

    UniqueNames names;
    names.Reserve("index.html");
    EXPECT_EQ(names.Take("Index.HTML", "x"), "Index(1).HTML");
    EXPECT_EQ(names.Take("a.jpg", "x"), "a.jpg");
    EXPECT_EQ(names.Take("A.JPG", "x"), "A(1).JPG");
    EXPECT_EQ(names.Take("a(1).jpg", "x"), "a(1)(1).jpg");
    EXPECT_EQ(names.Take("...", "Group"), "Group");
    EXPECT_EQ(names.Take("", "Group"), "Group(1)");
}

TEST(BookExport, AnExistingFolderGetsTheFolderQuestion)
{
    ExportFixture f;
    fs::create_directories(f.out);
    const std::string question = "This folder already exists:\n\n" + f.out +
                                 "\n\nYou may already have exported this Picture Book.\n\n"
                                 "Do you want to export under a different folder name?";
    {
        BookExporter exporter(f.doc, f.book, f.prompter);
        EXPECT_EQ(f.Export(exporter), BookExporter::Result::Declined);
        EXPECT_TRUE(fs::is_empty(f.out));
        ASSERT_EQ(f.prompter.Texts(), std::vector<std::string>{question});
        EXPECT_EQ(f.prompter.m_entries[0].buttons, PromptButtons::YesNo);
    }
    fs::create_directories(f.out + "(1)");
    f.prompter.QueueReply(PromptReply::Yes);
    BookExporter exporter(f.doc, f.book, f.prompter);
    EXPECT_EQ(f.Export(exporter), BookExporter::Result::Done);
    EXPECT_EQ(exporter.Folder(), f.out + "(2)");
    EXPECT_TRUE(fs::is_regular_file(f.out + "(2)/index.html"));
    EXPECT_EQ(f.prompter.Texts().size(), 2u);

    WriteFileBytes(f.base.File("file"), "x");
    BookExporter onFile(f.doc, f.book, f.prompter);
    EXPECT_EQ(onFile.Export(f.base.Path(), "file"), BookExporter::Result::Failed);
    EXPECT_EQ(f.prompter.Texts().back(), f.base.File("file") + " is not a directory !");
}

TEST(BookExport, CancelLeavesNoFolderBehind)
{
    ExportFixture f;
    std::vector<std::string> names;
    BookExporter exporter(f.doc, f.book, f.prompter);
    exporter.SetProgressFactory([&names] { return std::make_unique<CancellingProgress>(3, names); });
    EXPECT_EQ(f.Export(exporter), BookExporter::Result::Cancelled);
    EXPECT_FALSE(fs::exists(f.out));
    EXPECT_TRUE(f.prompter.m_entries.empty());
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "Trip/a.jpg");
}

TEST(BookExport, ALargeBookGetsAPagePerGroup)
{
    ExportFixture f;
    BookExporter exporter(f.doc, f.book, f.prompter);
    exporter.SetOnePageLimit(3);
    ASSERT_EQ(f.Export(exporter), BookExporter::Result::Done);
    for (const char* page : {"index.html", "group1.html", "group2.html"})
        ExpectLinksResolve(f.out, page);
    std::string index = ReadFileBytes(f.out + "/index.html");
    EXPECT_NE(index.find("<p class=\"grouplink\"><a href=\"group1.html\">Trip</a></p>"), std::string::npos);
    EXPECT_EQ(index.find("Sunset"), std::string::npos);
    std::string trip = ReadFileBytes(f.out + "/group1.html");
    EXPECT_NE(trip.find("<a href=\"group2.html\">Evening</a>"), std::string::npos);
    EXPECT_NE(trip.find("<a href=\"index.html\">Contents</a>"), std::string::npos);
    EXPECT_NE(ReadFileBytes(f.out + "/group2.html").find("Sunset"), std::string::npos);
}
