#include "BookFiles.h"
#include "exchange/BookMaker.h"
#include "model/Archive.h"
#include "model/DocTemplates.h"
#include "platform/PathResolver.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string Captions(const CPhotoNode& node)
{
    std::string out;
    for (const auto& media : node.m_media)
        out += "~" + media->m_strCaption + " ";
    for (const auto& child : node.m_photos)
        out += child->m_bGroup ? "[" + child->m_strCaption + ": " + Captions(*child) + "] "
                               : child->m_strCaption + (child->m_media.empty() ? "" : "(" + Captions(*child) + ")") + " ";
    return out;
}

// Every photograph and multimedia item of the tree, loaded as the viewer
// opens the book: each name found, each picture drawn.
void ExpectEveryFileFound(CCorvaleDoc& doc, CPhotoNode& node, int& files)
{
    for (const auto& media : node.m_media) {
        EXPECT_FALSE(PathResolver::Resolve(media->m_strFileName, doc.m_strBookFolder).empty())
            << media->m_strFileName;
        ++files;
    }
    for (const auto& child : node.m_photos) {
        if (!child->m_bGroup) {
            EXPECT_TRUE(child->LoadPicture(doc.GetPictureSource())) << child->m_strFileName;
            ++files;
        }
        ExpectEveryFileFound(doc, *child, files);
    }
}

} // namespace

TEST(BookMaker, GroupsInNaturalOrderWithTextsAndMediaThatLoadAndRoundTrip)
{
    TempDir dir;
    fs::create_directories(dir.File("Day 10"));
    fs::create_directories(dir.File("day 9"));
    for (const char* name : {"img10.jpg", "img2.GIF", "img1.bmp", "Day 10/z.pcx", "day 9/a.tif"})
        ASSERT_TRUE(WritePicture(dir.File(name)));
    WriteFileBytes(dir.File("img2.wav"), "RIFF");
    WriteFileBytes(dir.File("tune.MID"), "MThd");
    WriteFileBytes(dir.File("img2.TXT"), "\xEF\xBB\xBF" "Caf\xC3\xA9 \xE2\x98\x95\nline 2\r\n\n");
    WriteFileBytes(dir.File("Day 10.txt"), "ten");

    BookMaker maker(dir.Path(), dir.File("Trip.pbk"));
    BookMakerOptions options;
    options.ownerName = "Ann \xC3\xA9";
    options.ownerEmail = "ann@example.org";
    ASSERT_EQ(maker.Make(options), BookMaker::Result::Made) << maker.ErrorText();
    EXPECT_EQ(maker.Notes(),
              std::vector<std::string>{"img2.TXT: characters the Picture Book's code page cannot hold "
                                       "became \"?\" (1)"});

    std::unique_ptr<CCorvaleDoc> doc = OpenBookFile(dir.File("Trip.pbk"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->m_strBookTitle, fs::path(dir.Path()).filename().string());
    EXPECT_EQ(doc->m_strOwnerName, "Ann \xE9");
    EXPECT_EQ(Captions(doc->m_root), "~tune [day 9: a ] [Day 10: z ] img1 img2(~img2 ) img10 ");
    const CPhotoNode* img2 = doc->m_root.GetPhotoChild(3);
    EXPECT_EQ(img2->m_strFileName, "img2.GIF");
    EXPECT_EQ(img2->m_strText, "Caf\xE9 ?\r\nline 2");
    EXPECT_EQ(img2->GetMediaChild(0)->m_strText, "");
    EXPECT_EQ(img2->GetMediaChild(0)->m_nMediaType, MEDIA_SOUND);
    EXPECT_EQ(doc->m_root.GetPhotoChild(1)->m_strText, "ten");
    EXPECT_EQ(doc->m_root.GetPhotoChild(1)->GetPhotoChild(0)->m_strFileName, "Day 10\\z.pcx");
    int files = 0;
    RecordingPrompter quiet;
    ExpectEveryFileFound(*doc, doc->m_root, files);
    EXPECT_EQ(files, 7);
    EXPECT_TRUE(quiet.m_entries.empty());

    CArchive ar;
    doc->Serialize(ar);
    EXPECT_EQ(ar.TakeStoredBytes(), ReadFileBytes(dir.File("Trip.pbk")));
}

TEST(BookMaker, LeavesOutAndReportsWhatTheViewerCannotShow)
{
    TempDir dir;
    fs::create_directories(dir.File("empty/deeper"));
    fs::create_directories(dir.File(".hidden"));
    ASSERT_TRUE(WritePicture(dir.File("good.jpg")));
    WriteFileBytes(dir.File("broken.jpg"), "not a JPEG");
    WriteFileBytes(dir.File("photo.jpeg"), "");
    WriteFileBytes(dir.File("notes.txt"), "nobody's");
    WriteFileBytes(dir.File(".DS_Store"), "");
    ASSERT_EQ(mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);
    fs::create_directory_symlink(dir.File("empty"), dir.File("link"));
    std::string deep = dir.Path();
    for (int i = 0; i < BookMaker::kMaxDepth; ++i) {
        deep += "/d";
        fs::create_directories(deep);
    }
    ASSERT_TRUE(WritePicture(deep + "/lost.bmp"));

    BookMaker maker(dir.Path(), dir.File("b.pbk"));
    BookMakerOptions options;
    options.title = "T\xE2\x82\xAC \xE2\x98\x95";
    ASSERT_EQ(maker.Make(options), BookMaker::Result::Made);
    std::vector<std::string> notes = maker.Notes();
    std::sort(notes.begin() + 1, notes.end());
    std::string tooDeep = "d";
    for (int i = 1; i < BookMaker::kMaxDepth - 1; ++i)
        tooDeep += "/d";
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "the title: characters the Picture Book's code page cannot hold became \"?\" (1)",
                         "broken.jpg: the viewer could not load this picture; left out",
                         tooDeep + "/d: too many folders deep; left out",
                         "d: holds no pictures or multimedia files; left out",
                         "empty: holds no pictures or multimedia files; left out",
                         "link: a link to a folder; left out",
                         "notes.txt: no picture, multimedia file or folder of the same name; left out",
                         "photo.jpeg: not a picture or multimedia file the viewer shows; left out",
                         "pipe.jpg: not a plain file; left out",
                     }));
    EXPECT_EQ(maker.Doc().m_strBookTitle, "T\x80 ?");
    EXPECT_EQ(Captions(const_cast<CCorvaleDoc&>(maker.Doc()).m_root), "good ");
}

TEST(BookMaker, HostileNamesAreFoundByTheBookOrReported)
{
    TempDir dir;
    std::vector<std::string> named = {" lead.jpg", "C:x.jpg", "q\"u'o<script>.jpg", "new\nline.jpg",
                                      std::string(251, 'n') + ".jpg", "\xE6\x9D\xB1.jpg", "a..b.jpg",
                                      "caf\xC3\xA9.jpg", "caf\xE9.jpg"};
    for (const std::string& name : named)
        ASSERT_TRUE(WritePicture(dir.File(name), 8, 8)) << name;
    for (const char* name : {"trail.jpg ", "back\\slash.jpg"})
        ASSERT_TRUE(WritePicture(dir.File(name), 8, 8)) << name;
    fs::create_directories(dir.File(" C:\\"));
    ASSERT_TRUE(WritePicture(dir.File(" C:\\/in.jpg"), 8, 8));

    BookMaker maker(dir.Path(), dir.File("h.pbk"));
    ASSERT_EQ(maker.Make({}), BookMaker::Result::Made);
    std::vector<std::string> notes = maker.Notes();
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, (std::vector<std::string>{
                         " C:\\: a Picture Book cannot name this file; left out",
                         "back\\slash.jpg: a Picture Book cannot name this file; left out",
                         "trail.jpg : not a picture or multimedia file the viewer shows; left out",
                         "\xE6\x9D\xB1.jpg: characters the Picture Book's code page cannot hold became \"?\" (1)",
                     }));
    std::unique_ptr<CCorvaleDoc> doc = ReadBookFile(dir.File("h.pbk"));
    ASSERT_TRUE(doc);
    std::vector<std::string> found;
    for (const auto& photo : doc->m_root.m_photos)
        found.push_back(fs::path(PathResolver::Resolve(photo->m_strFileName, dir.Path())).filename().string());
    std::sort(found.begin(), found.end());
    std::sort(named.begin(), named.end());
    EXPECT_EQ(found, named);
}

TEST(BookMaker, RefusesWhatCannotBecomeABook)
{
    TempDir dir;
    WriteFileBytes(dir.File("file"), "x");
    EXPECT_EQ(BookMaker(dir.File("file"), dir.File("b.pbk")).Make({}), BookMaker::Result::NotAFolder);

    fs::create_directories(dir.File("pics"));
    ASSERT_TRUE(WritePicture(dir.File("pics/a.jpg")));
    BookMaker elsewhere(dir.File("pics"), dir.File("b.pbk"));
    EXPECT_EQ(elsewhere.Make({}), BookMaker::Result::NotBeside);
    EXPECT_EQ(elsewhere.ErrorText(),
              "The Picture Book must be written directly in " + dir.File("pics") + ", beside its pictures.");
    EXPECT_FALSE(FileExistsAt(dir.File("b.pbk")));

    fs::create_directories(dir.File("pics/b.pbk"));
    BookMaker onFolder(dir.File("pics"), dir.File("pics/b.pbk"));
    EXPECT_EQ(onFolder.Make({}), BookMaker::Result::WriteFailed);
    EXPECT_EQ(onFolder.ErrorText(), dir.File("pics/b.pbk") + " is a folder, not a Picture Book.");

    fs::create_directories(dir.File("none"));
    WriteFileBytes(dir.File("none/a.doc"), "x");
    BookMaker nothing(dir.File("none"), dir.File("none/b.pbk"));
    EXPECT_EQ(nothing.Make({}), BookMaker::Result::NothingToShow);
    EXPECT_EQ(nothing.ErrorText(), dir.File("none") + " holds no pictures or multimedia files the viewer can show.");
    EXPECT_FALSE(FileExistsAt(dir.File("none/b.pbk")));
}
