#include "app/CommandTable.h"
#include "app/DroppedFiles.h"
#include "app/RecentFileList.h"
#include "app/ViewTexts.h"
#include "app/WindowPlacement.h"
#include "model/CorvaleDoc.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

struct Book {
    CCorvaleDoc doc;
    CPhotoNode* group;
    CPhotoNode* photo;
    CMediaNode* media;
    Book()
    {
        doc.SetPathName("/books/Trip.pbk", false);
        doc.m_strBookTitle = "Trip";
        doc.m_strOwnerName = "Ann";
        doc.m_strOwnerEmail = "ann@example.org";
        auto g = std::make_unique<CPhotoNode>();
        g->m_bGroup = 1;
        g->m_strCaption = "Day 1";
        auto p = std::make_unique<CPhotoNode>();
        p->SetFileName("beach.gif");
        p->m_strCaption = "Beach";
        auto m = std::make_unique<CMediaNode>();
        m->SetFileName("waves.wav");
        media = p->AddMedia(std::move(m));
        photo = g->AddPhoto(std::move(p));
        group = doc.m_root.AddPhoto(std::move(g));
    }
};

} // namespace

TEST(PlaceholderText, ByKindOfNode)
{
    Book b;
    EXPECT_EQ(BuildPlaceholderText(b.doc, &b.doc.m_root, &b.doc.m_root),
              "Picture Book:\n/books/Trip.pbk\nTrip\n\nSent by: Ann (ann@example.org)");
    b.doc.m_strOwnerEmail.clear();
    EXPECT_EQ(BuildPlaceholderText(b.doc, &b.doc.m_root, &b.doc.m_root),
              "Picture Book:\n/books/Trip.pbk\nTrip\n\nSent by: Ann");
    b.doc.m_strOwnerName.clear();
    b.doc.m_strBookTitle.clear();
    EXPECT_EQ(BuildPlaceholderText(b.doc, &b.doc.m_root, &b.doc.m_root),
              "Picture Book:\n/books/Trip.pbk");
    b.doc.m_strBookTitle = "Trip";

    EXPECT_EQ(BuildPlaceholderText(b.doc, b.group, b.group), "Day 1\nTrip");
    EXPECT_EQ(BuildPlaceholderText(b.doc, b.photo, b.photo),
              "Current node is \nbeach.gif\nTrip\n** Photo Failed to load **");
    EXPECT_EQ(BuildPlaceholderText(b.doc, nullptr, nullptr), "Current node is N/A\nTrip");

    EXPECT_EQ(ShownNodeFor(b.media), b.photo);
    EXPECT_EQ(PhotoWindowTitle(b.doc, b.photo), "Beach");
    b.photo->m_strCaption.clear();
    EXPECT_EQ(PhotoWindowTitle(b.doc, b.photo), "Trip");
}

TEST(StatusSize, SixSpacesOrThePictureSize)
{
    Book b;
    EXPECT_EQ(StatusSizeText(nullptr), "      ");
    EXPECT_EQ(StatusSizeText(&b.doc), "      "); // the root is a group
    b.doc.m_pCurrent = b.photo;
    EXPECT_EQ(StatusSizeText(&b.doc), "0x0");
    b.photo->m_sizePicture = {640, 480};
    EXPECT_EQ(StatusSizeText(&b.doc), "640x480");
    b.photo->m_sizeDisplay = {640, 480};
    EXPECT_EQ(StatusSizeText(&b.doc), "640x480");
    b.photo->m_sizeDisplay = {320, 240};
    EXPECT_EQ(StatusSizeText(&b.doc), "640x480  (displayed: 320x240)");
}

TEST(Properties, FieldsByKindOfNode)
{
    TempDir dir;
    Book b;
    WriteFileBytes(dir.File("Trip.pbk"), std::string(1234, 'x'));
    WriteFileBytes(dir.File("Beach.GIF"), std::string(77, 'g'));
    b.doc.SetPathName(dir.File("Trip.pbk"), false);
    b.doc.m_strBookFolder = dir.Path();

    PropertiesValues root = FillProperties(b.doc, &b.doc.m_root);
    EXPECT_EQ(root.kind, "Overall Picture Book");
    EXPECT_EQ(root.fileName, "Trip.pbk");
    EXPECT_EQ(root.formatLabel, "Sent by");
    EXPECT_EQ(root.formatValue, "Ann (ann@example.org)");
    EXPECT_EQ(root.fileSize, 1234);
    EXPECT_EQ(root.sizes, "");

    PropertiesValues group = FillProperties(b.doc, b.group);
    EXPECT_EQ(group.kind, "Picture Book Sub-group");
    EXPECT_EQ(group.formatLabel, "Internal Data Format");
    EXPECT_EQ(group.formatValue, "Unknown data format");
    EXPECT_EQ(group.fileSize, 0);
    EXPECT_EQ(group.sizes, "Actual size: 0x0  Displayed size: 0x0");

    b.photo->m_sizePicture = {1000, 800};
    b.photo->m_sizeDisplay = {500, 400};
    PropertiesValues photo = FillProperties(b.doc, b.photo);
    EXPECT_EQ(photo.formatValue, "GIF Image");
    EXPECT_EQ(photo.fileSize, 77); // found whatever the letter case
    EXPECT_EQ(photo.sizes, "Actual size: 1000x800  Displayed size: 500x400");

    PropertiesValues media = FillProperties(b.doc, b.media);
    EXPECT_EQ(media.kind, "Multimedia Item");
    EXPECT_EQ(media.formatValue, "WAV Sound Clip");
    EXPECT_EQ(media.sizes, "");

    b.doc.m_strOwnerName.clear();
    PropertiesValues noOwner = FillProperties(b.doc, &b.doc.m_root);
    EXPECT_EQ(noOwner.formatLabel, "Internal Data Format");
    EXPECT_EQ(noOwner.formatValue, "");
    EXPECT_EQ(FillProperties(b.doc, nullptr).formatLabel, "");
}

TEST(DroppedFiles, FirstBookOrArchiveWins)
{
    auto c = ChooseDroppedFile({"/a/notes.txt", "/a/Trip.pbk", "/a/Other.pbk"});
    EXPECT_EQ(c.action, DropAction::Open);
    EXPECT_EQ(c.path, "/a/Trip.pbk");
    c = ChooseDroppedFile({"/a/photos.zip", "/a/Trip.PCS"});
    EXPECT_EQ(c.action, DropAction::Import);
    EXPECT_EQ(c.path, "/a/photos.zip");
    EXPECT_EQ(ChooseDroppedFile({"/a/x.txt", "/a/pbk"}).action, DropAction::None);
    EXPECT_EQ(ChooseDroppedFile({}).action, DropAction::None);
}

TEST(RecentFiles, NewestFirstFourAtMostRemembered)
{
    ScopedRegistry registry;
    Settings settings = Settings::Profile();
    RecentFileList list;
    for (const char* p : {"/a.pbk", "/b.pbk", "/c.pbk", "/d.pbk", "/e.pbk", "/c.pbk"})
        list.Add(p);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/c.pbk", "/e.pbk", "/d.pbk", "/b.pbk"}));
    list.Save(settings);
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File1"), "/c.pbk");

    list.Remove(0);
    list.Remove(0);
    list.Save(settings);
    RecentFileList loaded;
    loaded.Load(settings);
    EXPECT_EQ(loaded.Items(), (std::vector<std::string>{"/d.pbk", "/b.pbk"}));
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File3"), "");
}

TEST(RecentFiles, LongPathsKeepTheirNameAndWhatFitsOfTheirFolders)
{
    // Thirty characters or fewer stay whole.
    EXPECT_EQ(AbbreviatePath("/home/ann/Photos/Trip.pbk", 30), "/home/ann/Photos/Trip.pbk");
    // The first folder, "...", then the last folders that fit beside the name.
    EXPECT_EQ(AbbreviatePath("/home/ann/Pictures/My Photos/Holidays/Trip.pbk", 30),
              "/home/.../Holidays/Trip.pbk");
    EXPECT_EQ(AbbreviatePath("C:\\Program Files\\Corvale\\My Photos\\Trip\\Trip.pbk", 30),
              "C:\\Program Files\\...\\Trip.pbk");
    EXPECT_EQ(AbbreviatePath("\\\\server\\share\\books\\family\\Trip.pbk", 30),
              "\\\\server\\share\\...\\Trip.pbk");
    // No room for even one folder beside a long name: the name alone.
    EXPECT_EQ(AbbreviatePath("/home/ann/Photos/A very long book title.pbk", 30),
              "A very long book title.pbk");
    EXPECT_EQ(AbbreviatePath("/srv/An even longer title of a Picture Book.pbk", 30),
              "An even longer title of a Picture Book.pbk");
    // Characters are counted, not bytes: thirty-five fit in thirty-five.
    EXPECT_EQ(AbbreviatePath("/home/ann/Fotos/Sommerfest Köln.pbk", 35), "/home/ann/Fotos/Sommerfest Köln.pbk");

    RecentFileList list;
    list.Add("/home/ann/Pictures/My Photos/Holidays/Tom & Jerry.pbk");
    list.Add("/b.pbk");
    EXPECT_EQ(list.MenuText(0), "&1 /b.pbk");
    EXPECT_EQ(list.MenuText(1), "&2 /home/.../Tom && Jerry.pbk");
}

TEST(Placement, DefaultsAndRoundTrip)
{
    ScopedRegistry registry;
    Settings settings = Settings::Profile();
    PlacementRect main = ReadMainPlacement(settings, kFallbackWorkArea);
    EXPECT_EQ(main.left, 8);
    EXPECT_EQ(main.top, 8);
    EXPECT_EQ(main.Width(), 464);
    EXPECT_EQ(main.Height(), 584);
    WriteMainPlacement(settings, {10, 20, 810, 620});
    main = ReadMainPlacement(settings, kFallbackWorkArea);
    EXPECT_EQ(main.left, 10);
    EXPECT_EQ(main.Height(), 600);

    EXPECT_EQ(ReadChildOffset(settings, ChildKind::Photo).x, 0);
    EXPECT_EQ(ReadChildOffset(settings, ChildKind::Media).y, 24);
    WriteChildOffset(settings, ChildKind::Media, {30, 40});
    EXPECT_EQ(settings.GetProfileInt("Settings", "HorizMediaPos", 0), 31);
    EXPECT_EQ(ReadChildOffset(settings, ChildKind::Media).y, 40);
}

TEST(Placement, ATitleBarOffEveryScreenIsBroughtBack)
{
    const std::vector<PlacementRect> screens{{0, 0, 1280, 800}, {1280, 0, 2304, 768}};
    // Reachable places stay, also on the second screen or partly off the left.
    for (PlacementRect place : {PlacementRect{8, 8, 1272, 792}, PlacementRect{1300, 700, 1900, 1500},
                                PlacementRect{-500, 0, 60, 400}})
        EXPECT_EQ(KeepTitleBarOnScreen(place, screens).top, place.top);

    PlacementRect up = KeepTitleBarOnScreen({8, -92, 1272, 692}, screens); // walked off the top
    EXPECT_EQ(up.left, 8);
    EXPECT_EQ(up.top, 0);
    EXPECT_EQ(up.Height(), 784);
    PlacementRect below = KeepTitleBarOnScreen({1500, 780, 2000, 1180}, screens); // under the shorter screen
    EXPECT_EQ(below.left, 1500);
    EXPECT_EQ(below.top, 368);
    PlacementRect huge = KeepTitleBarOnScreen({-3000, -3000, 9000, -2000}, screens); // nearer the second
    EXPECT_EQ(huge.left, 1280);
    EXPECT_EQ(huge.top, 0);
    EXPECT_EQ(huge.Width(), 1024);
    EXPECT_EQ(huge.Height(), 768);
    EXPECT_EQ(KeepTitleBarOnScreen({0, -50, 10, 10}, {}).top, -50);
}

TEST(CommandTable, MenusAndTexts)
{
    const MenuBar& none = GetMenuBar(IDR_MAINFRAME);
    ASSERT_EQ(none.size(), 4u);
    EXPECT_STREQ(none[0].text, "&File");
    const MenuBar& open = GetMenuBar(IDR_BOOK_MENU);
    ASSERT_EQ(open.size(), 6u);
    EXPECT_STREQ(open[4].text, "&Window");
    EXPECT_EQ(open[0].submenu[2].id, ID_FILE_CLOSE);
    EXPECT_EQ(CommandText(ID_SEND_EMAIL), "Send &Email to Owner...\tCtrl+E");
    EXPECT_EQ(PlainMenuText(CommandText(ID_SEND_EMAIL)), "Send Email to Owner...");
    EXPECT_STREQ(GetContextMenu(CM_TREE_MEDIA).submenu[1].text, "&Up to Parent Photo");
    const MenuItem& media = GetContextMenu(CM_MEDIA);
    EXPECT_STREQ(media.text, "Media");
    ASSERT_EQ(media.submenu.size(), 6u);
    EXPECT_EQ(media.submenu[0].id, ID_PLAY);
    EXPECT_EQ(media.submenu[5].id, ID_PROPERTIES);
    EXPECT_EQ(CommandPrompt(ID_VIEW_MEDIA_PLAYER), "Show the Media Player Window\nShow Media Player");
    EXPECT_EQ(CommandPrompt(ID_SEND_EMAIL), "");
    EXPECT_EQ(GetAccelerators(false).size() + 2, GetAccelerators(true).size());
}
