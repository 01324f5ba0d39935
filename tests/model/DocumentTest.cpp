#include "BookBytes.h"
#include "model/CorvaleDoc.h"
#include "model/NodeDescription.h"
#include "model/OldCorvaleDoc.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "support/KilledWriter.h"
#include "support/NamedPipe.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Records every message it receives.
class ListeningRouter : public CRouter {
public:
    explicit ListeningRouter(std::vector<std::string>* log = nullptr, std::string name = "",
                             bool noReceive = false, MessageBus* bus = nullptr)
        : CRouter(noReceive), m_pLog(log), m_strName(std::move(name))
    {
        JoinBus(bus);
    }
    void OnMessage(const RouterMessage& message) override
    {
        m_received.push_back(message);
        if (m_pLog)
            m_pLog->push_back(m_strName);
    }
    std::vector<RouterMessage> m_received;
    std::vector<std::string>* m_pLog;
    std::string m_strName;
};

// root: group G (media M on photo P inside G), photo with empty file name E.
struct SampleBook {
    CCorvaleDoc doc;
    CPhotoNode* group;
    CPhotoNode* photo;
    CMediaNode* media;
    CPhotoNode* unnamed;
    SampleBook()
    {
        auto g = std::make_unique<CPhotoNode>();
        g->m_bGroup = 1;
        auto p = std::make_unique<CPhotoNode>();
        p->SetFileName("p.gif");
        auto m = std::make_unique<CMediaNode>();
        m->SetFileName("m.wav");
        media = p->AddMedia(std::move(m));
        photo = g->AddPhoto(std::move(p));
        group = doc.m_root.AddPhoto(std::move(g));
        unnamed = doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    }
};

} // namespace

TEST(Router, DeliversInOrderToEveryReceiverButTheSender)
{
    std::vector<std::string> log;
    MessageBus bus;
    ListeningRouter a(&log, "a", false, &bus), b(&log, "b", false, &bus), mute(&log, "mute", true, &bus),
        c(&log, "c", false, &bus);
    MessageBus otherBook;
    ListeningRouter other(&log, "other", false, &otherBook); // another book's bus: hears nothing of this one
    ListeningRouter elsewhere(&log, "elsewhere"); // on no bus: hears nothing, sends nothing
    elsewhere.Send(RouterMessage::BookClosing(), nullptr);
    EXPECT_TRUE(log.empty());
    a.Send(RouterMessage::BookClosing(), &a);
    EXPECT_EQ(log, (std::vector<std::string>{"b", "c"}));

    log.clear();
    a.Send(RouterMessage::BookClosing(), nullptr); // a null sender hears itself
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));

    log.clear();
    mute.Send(RouterMessage::BookClosing(), nullptr); // a send-only router never hears
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(Router, ARouterDestroyedDuringDeliveryIsNotCalled)
{
    std::vector<std::string> log;
    MessageBus bus;
    auto victim = std::make_unique<ListeningRouter>(&log, "victim", false, &bus);
    struct Killer : CRouter {
        std::unique_ptr<ListeningRouter>* target;
        void OnMessage(const RouterMessage&) override { target->reset(); }
    } killer;
    killer.JoinBus(&bus);
    killer.target = &victim;
    // killer was registered after victim, so move victim behind it.
    victim = std::make_unique<ListeningRouter>(&log, "victim", false, &bus);
    killer.Send(RouterMessage::BookClosing(), nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(victim, nullptr);
}

TEST(Document, SelectionAndUp)
{
    SampleBook book;
    ListeningRouter pane(nullptr, "", false, &book.doc.Bus());
    EXPECT_EQ(book.doc.GetCurrent(), &book.doc.m_root);

    book.doc.Bus().Send(RouterMessage::SelectNode(book.media), nullptr);
    EXPECT_EQ(book.doc.GetCurrent(), book.media);
    EXPECT_TRUE(book.doc.CanCopyNode());

    pane.m_received.clear();
    book.doc.OnUp(); // a multimedia item's parent is its photograph
    EXPECT_EQ(book.doc.GetCurrent(), book.photo);
    ASSERT_EQ(pane.m_received.size(), 1u);
    EXPECT_EQ(pane.m_received[0].m_nCode, RM_SELECT_NODE);
    EXPECT_EQ(pane.m_received[0].m_pNode, book.photo);

    book.doc.Bus().Send(RouterMessage::SelectNode(nullptr), nullptr); // null selects the root
    EXPECT_EQ(book.doc.GetCurrent(), &book.doc.m_root);
    EXPECT_FALSE(book.doc.CanCopyNode());
    pane.m_received.clear();
    book.doc.OnUp(); // nothing above the root
    EXPECT_EQ(book.doc.GetCurrent(), &book.doc.m_root);
    EXPECT_TRUE(pane.m_received.empty());
}

TEST(Document, WalkVisitsNamedNodesAndGroupsMediaFirst)
{
    SampleBook book;
    auto second = std::make_unique<CPhotoNode>();
    second->SetFileName("q.bmp");
    book.photo->AddPhoto(std::move(second));

    std::vector<std::pair<std::string, int>> seen;
    book.doc.WalkNodes([&](CCorvaleDoc* doc, CBaseNode* node, int depth) {
        EXPECT_EQ(doc, &book.doc);
        seen.emplace_back(node == &book.doc.m_root ? "root" : node->m_strFileName, depth);
    });
    std::vector<std::pair<std::string, int>> expected = {
        {"root", 0}, {"", 1}, {"p.gif", 2}, {"m.wav", 3}, {"q.bmp", 3}};
    EXPECT_EQ(seen, expected); // the unnamed photograph is skipped
}

TEST(Nodes, MediaTypesAndDescriptions)
{
    EXPECT_EQ(MediaTypeFromFileName("  song.wav  "), MEDIA_SOUND);
    EXPECT_EQ(MediaTypeFromFileName("x.Au"), MEDIA_SOUND);
    EXPECT_EQ(MediaTypeFromFileName("tune.RmI"), MEDIA_MIDI);
    EXPECT_EQ(MediaTypeFromFileName("clip.mpg"), MEDIA_VIDEO);
    EXPECT_EQ(MediaTypeFromFileName("clip.mpeg"), MEDIA_UNKNOWN);

    CMediaNode media;
    media.SetFileName(" film.AVI\t");
    EXPECT_EQ(media.m_strFileName, "film.AVI");
    EXPECT_EQ(media.m_nMediaType, MEDIA_VIDEO);
    media.SetFileName("other.wav"); // an already known type is kept
    EXPECT_EQ(media.m_nMediaType, MEDIA_VIDEO);

    EXPECT_STREQ(DescribeDataFormat("photo.jpeg"), "Unknown data format");
    EXPECT_STREQ(DescribeDataFormat("photo.jpg"), "JPEG Image");
    EXPECT_STREQ(DescribeDataFormat("a.au"), "AU Sound Clip");
    EXPECT_STREQ(DescribeDataFormat("a.rmi"), "MIDI Music Sequence");
    EXPECT_STREQ(DescribeDataFormat(""), "Unknown data format");

    SampleBook book;
    EXPECT_STREQ(DescribeNodeKind(&book.doc.m_root), "Overall Picture Book");
    EXPECT_STREQ(DescribeNodeKind(book.group), "Picture Book Sub-group");
    EXPECT_STREQ(DescribeNodeKind(book.photo), "Photograph Item");
    EXPECT_STREQ(DescribeNodeKind(book.media), "Multimedia Item");

    EXPECT_EQ(book.photo->GetPhotoChild(-1), nullptr);
    EXPECT_EQ(book.photo->GetMediaChild(1), nullptr);
}

TEST(Document, OpeningAnnouncesTheBookAndAnEmptyFileIsAnEmptyBook)
{
    TempDir dir;
    WriteFileBytes(dir.File("empty.pbk"), "");
    RecordingPrompter prompter;
    ListeningRouter pane;
    CCorvaleDoc doc;
    pane.JoinBus(&doc.Bus());
    const std::filesystem::path workingFolder = std::filesystem::current_path();
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("empty.pbk")));
    EXPECT_TRUE(prompter.m_entries.empty());
    EXPECT_TRUE(doc.m_strBookTitle.empty());
    EXPECT_EQ(doc.m_root.GetPhotoCount(), 0);
    EXPECT_EQ(doc.m_root.m_bGroup, 1);
    ASSERT_EQ(pane.m_received.size(), 1u);
    EXPECT_EQ(pane.m_received[0].m_nCode, RM_BOOK_LOADED);
    EXPECT_EQ(pane.m_received[0].m_pNode, &doc.m_root);
    // The announcement names the book; its pictures are found in its folder,
    // and the process's working folder is left alone.
    EXPECT_EQ(pane.m_received[0].m_pDocument, &doc);
    EXPECT_EQ(doc.GetPictureSource().folder, dir.Path());
    EXPECT_EQ(std::filesystem::current_path(), workingFolder);

    doc.OnCloseDocument();
    EXPECT_EQ(pane.m_received.back().m_nCode, RM_BOOK_CLOSING);
}

TEST(Document, AnItemPlaysThroughItsOwnBookAndAPathGoesToItsOwnBooksList)
{
    CCorvaleDoc first, second;
    std::vector<std::string> played, recent;
    first.SetMediaPlayer([&played](CMediaNode& item) { played.push_back("first " + item.m_strFileName); });
    second.SetMediaPlayer([&played](CMediaNode& item) { played.push_back("second " + item.m_strFileName); });
    CPhotoNode* photo = first.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    CMediaNode* item = photo->AddMedia(std::make_unique<CMediaNode>());
    item->SetFileName("a.wav");
    CMediaNode loose; // of no book: nothing plays it
    loose.SetFileName("b.wav");
    item->Play();
    loose.Play();
    EXPECT_EQ(played, std::vector<std::string>{"first a.wav"});

    first.SetRecentFileList([&recent](const std::string& path) { recent.push_back(path); });
    first.SetPathName("/books/a.pbk");
    second.SetPathName("/books/b.pbk");
    first.SetPathName("/books/c.pbk", false);
    EXPECT_EQ(recent, std::vector<std::string>{"/books/a.pbk"});
}

TEST(Document, OpenFailuresShowTheirMessageAndAnnounceNothing)
{
    TempDir dir;
    RecordingPrompter prompter;
    ListeningRouter pane;
    {
        CCorvaleDoc doc;
        pane.JoinBus(&doc.Bus());
        EXPECT_FALSE(doc.OnOpenDocument(dir.File("missing.pbk")));
    }
    {
        CCorvaleDoc doc;
        pane.JoinBus(&doc.Bus());
        EXPECT_FALSE(doc.OnOpenDocument(dir.Path()));
    }
    {
        WriteFileBytes(dir.File("bad.pbk"), "not a picture book at all");
        CCorvaleDoc doc;
        pane.JoinBus(&doc.Bus());
        EXPECT_FALSE(doc.OnOpenDocument(dir.File("bad.pbk")));
        EXPECT_EQ(doc.m_root.GetPhotoCount(), 0);
        EXPECT_TRUE(doc.m_strBookTitle.empty());
    }
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string>{dir.File("missing.pbk") + " was not found.",
                                        "Access to " + dir.Path() + " was denied.",
                                        "Unexpected file format."}));
    for (const auto& e : prompter.m_entries) {
        EXPECT_EQ(e.icon, PromptIcon::Exclamation);
        EXPECT_EQ(e.buttons, PromptButtons::Ok);
    }
    EXPECT_TRUE(pane.m_received.empty());
}

TEST(Document, ADocumentGivenAPrompterTellsThatOneAndNoOther)
{
    TempDir dir;
    RecordingPrompter given;
    RecordingPrompter inForce; // the one in force from here on
    CCorvaleDoc doc;
    doc.SetPrompter(&given);
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("missing.pbk")));
    EXPECT_EQ(given.Texts(), std::vector<std::string>{dir.File("missing.pbk") + " was not found."});
    EXPECT_TRUE(inForce.m_entries.empty());
}

TEST(Document, APipeOrDeviceIsRefusedAsAFolderIs)
{
    TempDir dir;
    NamedPipe pipe(dir.File("pipe.pbk"));
    RecordingPrompter prompter;
    for (const std::string& path : {pipe.Path(), std::string("/dev/urandom"), std::string("/dev/null")}) {
        CCorvaleDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path)) << path;
    }
    EXPECT_EQ(prompter.Texts(), (std::vector<std::string>{"Access to " + pipe.Path() + " was denied.",
                                                          "Access to /dev/urandom was denied.",
                                                          "Access to /dev/null was denied."}));
}

TEST(Document, AFileLargerThanAnyBookIsRefusedUnread)
{
    TempDir dir;
    RecordingPrompter prompter;
    WriteFileBytes(dir.File("huge.pbk"), "");
    std::filesystem::resize_file(dir.File("huge.pbk"), (uint64_t(256) << 20) + 1);
    CCorvaleDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("huge.pbk")));
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Failed to open document."});
}

TEST(Document, OpeningABookRemovesWhatAKilledSaveLeftBesideIt)
{
    TempDir dir;
    RecordingPrompter prompter;
    WriteFileBytes(dir.File("book.pbk"), "");
    std::string stale = LeaveKilledWriterTemporary(dir.File("book.pbk"));
    ASSERT_NE(stale, "");
    CCorvaleDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("book.pbk")));
    EXPECT_FALSE(FileExistsAt(dir.File(stale)));
    EXPECT_TRUE(FileExistsAt(dir.File("book.pbk")));
    doc.OnCloseDocument();
}

TEST(Document, SaveReplacesTheFileOnlyWhenEverythingWasWritten)
{
    TempDir dir;
    std::string path = dir.File("book.pbk");
    std::string original(100000, 'o');
    WriteFileBytes(path, original);

    CCorvaleDoc doc;
    doc.m_strBookTitle = std::string(200000, 't');
    RecordingPrompter prompter;

    // Let the disk "fill up" part-way: writes past 64 KiB fail.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = {65536, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    bool saved = doc.OnSaveDocument(path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    ASSERT_EQ(prompter.m_entries.size(), 1u);
    EXPECT_NE(prompter.m_entries[0].text.find(path), std::string::npos);

    ASSERT_TRUE(doc.OnSaveDocument(path));
    CCorvaleDoc reloaded;
    ASSERT_TRUE(reloaded.OnOpenDocument(path));
    EXPECT_EQ(reloaded.m_strBookTitle, doc.m_strBookTitle);
}

TEST(Document, SaveUnderANewNameThatFailsLeavesNoFile)
{
    TempDir dir;
    CCorvaleDoc doc;
    doc.SetPathName(dir.File("old.pbk"), false);
    RecordingPrompter prompter;
    prompter.m_saveReplies.push_back(dir.File("no-such-folder/new.pbk"));
    EXPECT_FALSE(doc.DoSave(""));
    EXPECT_FALSE(FileExistsAt(dir.File("no-such-folder")));
    EXPECT_EQ(doc.GetPathName(), dir.File("old.pbk"));
    EXPECT_EQ(prompter.m_nWaitDepth, 0);
}

TEST(OldCollection, LoadsTheOlderLayoutWithTheOwnerFromTheSettings)
{
    ScopedRegistry registry;
    Settings::Profile().WriteProfileString("PictureBooks\\Trips\\1999", "OwnerName", "Bea");
    Settings::Profile().WriteProfileString("PictureBooks\\Trips\\1999", "OwnerEmail", "b@x.org");

    BookBytes b;
    b.Text("Trips\\1999");
    b.Text("").Text("").Text("").Int32(1).Int32(1);           // root
    b.NewClass("CPhotoNode").Text(" a.pcx ").Text("A").Text("").Int32(0).Int32(0).Int32(1);
    b.NewClass("CMediaNode").Text("s.snd").Text("").Text("").Int32(0).Int32(1);
    b.Int32(0);

    TempDir dir;
    WriteFileBytes(dir.File("old.PCS"), b.Str());
    RecordingPrompter prompter;
    COldCorvaleDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("old.PCS")));
    doc.SetPathName(dir.File("old.PCS"), false);
    EXPECT_EQ(doc.m_strBookTitle, "Trips\\1999");
    EXPECT_EQ(doc.m_strOwnerName, "Bea");
    EXPECT_EQ(doc.m_strOwnerEmail, "b@x.org");
    CPhotoNode* photo = doc.m_root.GetPhotoChild(0);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->m_strFileName, "a.pcx");
    EXPECT_EQ(photo->GetMediaChild(0)->m_nMediaType, MEDIA_SOUND);

    // Saved as .pbk beside it, the notice once, after the file exists.
    ASSERT_TRUE(doc.DoSave(dir.File("old.PCS")));
    EXPECT_EQ(doc.GetPathName(), dir.File("old.pbk"));
    EXPECT_TRUE(FileExistsAt(dir.File("old.PCS")));
    ASSERT_EQ(prompter.m_entries.size(), 1u);
    EXPECT_EQ(prompter.m_entries[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompter.m_entries[0].text.substr(0, 44), "This PCS file is an older format of storage.");
    ASSERT_TRUE(doc.DoSave(doc.GetPathName()));
    EXPECT_EQ(prompter.m_entries.size(), 1u);

    // The new file opens as a Picture Book with the sender inside it.
    CCorvaleDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(dir.File("old.pbk")));
    EXPECT_EQ(reopened.m_strOwnerEmail, "b@x.org");
    EXPECT_EQ(reopened.m_root.GetPhotoChild(0)->GetMediaChild(0)->m_strFileName, "s.snd");
}

TEST(OldCollection, EmptyFileAndDamagedFile)
{
    TempDir dir;
    RecordingPrompter prompter;
    WriteFileBytes(dir.File("empty.pcs"), "");
    COldCorvaleDoc empty;
    EXPECT_TRUE(empty.OnOpenDocument(dir.File("empty.pcs")));
    EXPECT_TRUE(empty.m_strOwnerName.empty());

    // A .pbk read as an older collection does not parse.
    BookBytes b;
    b.DocHead("T").PhotoHead("", "", "", 1).Int32(0).Int32(0);
    WriteFileBytes(dir.File("wrong.pcs"), b.Str());
    COldCorvaleDoc wrong;
    EXPECT_FALSE(wrong.OnOpenDocument(dir.File("wrong.pcs")));
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Unexpected file format."});
}

TEST(OldCollection, ProposedSaveNames)
{
    TempDir dir;
    RecordingPrompter prompter;
    COldCorvaleDoc doc;
    doc.SetTitle("My Trip #2");
    prompter.m_saveReplies.push_back(""); // cancel
    EXPECT_FALSE(doc.DoSave(""));
    doc.SetPathName(dir.File("Coll.PCS"), false);
    prompter.m_saveReplies.push_back("");
    EXPECT_FALSE(doc.DoSave(""));
    EXPECT_EQ(prompter.m_saveProposals,
              (std::vector<std::string>{"My.pbk", dir.File("Coll.pbk")}));
}
