#include "exchange/ZipImporter.h"
#include "model/BookBytes.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SystemFolders.h"
#include "support/KilledWriter.h"
#include "support/TestEnvironment.h"
#include "support/ZipFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Everything the progress display was told, and whether it is up.
struct ProgressLog {
    bool alive = false;
    bool waitCursor = false;
    bool cancelled = false;
    int created = 0;
    std::vector<std::string> phases; // message line at each refresh, repeats dropped
    std::vector<std::string> fileNames;
    std::string filesText, bytesText, message;
    int filesPercent = 0, bytesPercent = 0, inputs = 0;
    std::function<void()> onInput;
    std::function<void()> onRefresh;
};

class FakeProgress : public ImportProgress {
public:
    explicit FakeProgress(ProgressLog& log) : m_log(log)
    {
        m_log.alive = true;
        ++m_log.created;
    }
    ~FakeProgress() override { m_log.alive = false; }
    void SetMessage(const std::string& text) override { m_log.message = text; }
    void SetFileName(const std::string& text) override
    {
        if (m_log.fileNames.empty() || m_log.fileNames.back() != text)
            m_log.fileNames.push_back(text);
    }
    void SetFilesText(const std::string& text) override { m_log.filesText = text; }
    void SetBytesText(const std::string& text) override { m_log.bytesText = text; }
    void SetFilesPercent(int percent) override { m_log.filesPercent = Checked(percent); }
    void SetBytesPercent(int percent) override { m_log.bytesPercent = Checked(percent); }
    void Refresh() override
    {
        if (m_log.phases.empty() || m_log.phases.back() != m_log.message)
            m_log.phases.push_back(m_log.message);
        if (m_log.onRefresh)
            m_log.onRefresh();
    }
    bool IsCancelled() const override { return m_log.cancelled; }
    void ProcessInput() override
    {
        ++m_log.inputs;
        if (m_log.onInput)
            m_log.onInput();
    }
    void SetWaitCursor(bool on) override { m_log.waitCursor = on; }
    void Linger(int) override {}

private:
    static int Checked(int percent)
    {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        return percent;
    }
    ProgressLog& m_log;
};

// Notes for each message whether the progress display was still up.
class ImportPrompter : public RecordingPrompter {
public:
    explicit ImportPrompter(ProgressLog& log) : m_log(log) {}
    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& caption) override
    {
        if (buttons == PromptButtons::Ok) {
            EXPECT_FALSE(m_log.alive) << text;
        }
        return RecordingPrompter::Ask(text, buttons, icon, caption);
    }

private:
    ProgressLog& m_log;
};

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const char kScript[] = "[Strings]\r\nPHOTOS_OWNER_EMAIL=\"ann@example.org\"\r\nPHOTOS_OWNER=\"Ann\"\r\n";

struct ImportFixture {
    ScopedRegistry registry;
    TempDir dir;
    TempDir root;
    ProgressLog log;
    ImportPrompter prompter{log};
    std::vector<std::string> opened;

    ImportFixture() { Settings::Profile().WriteString(SettingKey::PictureBookRootPath, root.Path()); }

    bool Import(const std::string& archive, ZipImporter* importer = nullptr)
    {
        ZipImporter own(Settings::Profile(), dir.Path());
        ZipImporter& z = importer ? *importer : own;
        z.SetProgressFactory([this] { return std::make_unique<FakeProgress>(log); });
        z.SetOpenBook([this](const std::string& path) { opened.push_back(path); });
        bool ok = z.ImportZipArchive(archive);
        EXPECT_FALSE(log.alive);
        EXPECT_FALSE(log.waitCursor);
        // The import's own temporary folder never outlives it.
        for (const std::string& name : Listing(SystemFolders::TempFolder()))
            EXPECT_EQ(name.find("corvale-import-"), std::string::npos) << name;
        return ok;
    }
    std::string Owner(const std::string& title, const char* key)
    {
        return Settings::Profile().GetProfileString(PictureBookSection(title), key, "<none>");
    }
};

} // namespace

TEST(ZipImport, ExtractsWhatTheNodesNameIntoAFolderNamedAfterTheTitle)
{
    ImportFixture fx;
    std::string photo(200000, 'p');
    ASSERT_TRUE(WriteZip(fx.dir.File("trip.zip"),
                         {{"readme.txt", "not named"},
                          {"Trip.pbk", PictureBookBytes("Summer \x80", {"a.jpg", "pics\\B.JPG", "gone.jpg"},
                                                        {"s.wav"})},
                          {"a.jpg", photo},
                          {"photos/b.jpg", "bee"},
                          {"s.wav", "wave"},
                          {"setup/CORVALE.INF", kScript}}));
    ASSERT_TRUE(fx.Import(fx.dir.File("trip.zip")));

    std::string folder = fx.root.File("Summer \xE2\x82\xAC");
    EXPECT_EQ(Listing(fx.root.Path()), std::vector<std::string>{"Summer \xE2\x82\xAC"});
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"Trip.pbk", "a.jpg", "b.jpg", "s.wav"}));
    EXPECT_EQ(ReadFileBytes(folder + "/a.jpg"), photo);
    EXPECT_EQ(fx.opened, std::vector<std::string>{folder + "/Trip.pbk"});
    EXPECT_TRUE(fx.prompter.m_entries.empty());
    EXPECT_EQ(fx.Owner("Summer \x80", "OwnerName"), "Ann");
    EXPECT_EQ(fx.Owner("Summer \x80", "OwnerEmail"), "ann@example.org");

    EXPECT_EQ(fx.log.created, 1);
    EXPECT_EQ(fx.log.phases,
              (std::vector<std::string>{"Extracting Picture Book Data...", "Preparing a new folder...",
                                        "Gathering file list for extraction...", "Importing Picture Book...",
                                        "Opening new Picture Book..."}));
    // The file line names the entry being written: the marked ones, in order.
    EXPECT_EQ(fx.log.fileNames, (std::vector<std::string>{"a.jpg", "photos/b.jpg", "s.wav"}));
    EXPECT_EQ(fx.log.filesText, "3 files (out of 3) imported");
    EXPECT_EQ(fx.log.bytesText, "200007 bytes imported");
    EXPECT_EQ(fx.log.filesPercent, 100);
    EXPECT_EQ(fx.log.bytesPercent, 100);
}

TEST(ZipImport, ArchivesWithoutAReadableBookSayWhy)
{
    ImportFixture fx;
    ZipImporter importer(Settings::Profile(), fx.dir.Path());
    ASSERT_TRUE(WriteZip(fx.dir.File("a.zip"), {{"x.txt", ""}, {"OLD.PCS", ""}, {"new.pbk", ""}}));
    EXPECT_EQ(importer.FindPictureBookEntry(fx.dir.File("a.zip")), 1);
    EXPECT_EQ(importer.FindPictureBookEntry(fx.dir.File("none.zip")), 0);
    ASSERT_TRUE(WriteZip(fx.dir.File("b.zip"), {{"x.pbk.txt", ""}, {"pbk", ""}}));
    EXPECT_FALSE(fx.Import(fx.dir.File("b.zip")));
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"This zip file has no Picture Book."});
    EXPECT_EQ(fx.log.created, 0);

    std::string book = PictureBookBytes("T", {"a.jpg"});
    ASSERT_TRUE(WriteZip(fx.dir.File("good.zip"), {{"T.pbk", book, true}, {"a.jpg", "a"}}));
    std::string good = ReadFileBytes(fx.dir.File("good.zip"));
    WriteFileBytes(fx.dir.File("cut.zip"), good.substr(0, good.size() / 2));
    WriteFileBytes(fx.dir.File("empty.zip"), "");
    WriteFileBytes(fx.dir.File("crc.zip"), good);
    ASSERT_TRUE(DamageEntryData(fx.dir.File("crc.zip"), "T.pbk"));
    ASSERT_TRUE(WriteZip(fx.dir.File("junk.zip"), {{"T.pbk", "no book at all"}}));

    for (const char* name : {"cut.zip", "empty.zip", "missing.zip", "crc.zip"}) {
        fx.prompter.m_entries.clear();
        EXPECT_FALSE(fx.Import(fx.dir.File(name)));
        EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"Could not extract Picture Book data."})
            << name;
    }
    fx.prompter.m_entries.clear();
    EXPECT_FALSE(fx.Import(fx.dir.File("junk.zip")));
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"Unexpected file format."});
    EXPECT_TRUE(Listing(fx.root.Path()).empty());
    EXPECT_TRUE(fx.opened.empty());
}

TEST(ZipImport, ImportedAgainGoesToNumberedFoldersAfterOneQuestion)
{
    ImportFixture fx;
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"),
                         {{"t.pbk", PictureBookBytes("Trip", {"a.jpg"})}, {"a.jpg", "a"}}));
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_TRUE(fx.prompter.m_entries.empty());
    for (int round = 1; round <= 2; ++round) {
        fx.prompter.m_entries.clear();
        fx.prompter.QueueReply(PromptReply::Yes);
        ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
        ASSERT_EQ(fx.prompter.m_entries.size(), 1u);
        EXPECT_EQ(fx.prompter.m_entries[0].text,
                  "This folder already exists:\n\nTrip\n\nYou may already have these photos.\n\n"
                  "Do you want to import under a different folder name?");
        EXPECT_EQ(fx.prompter.m_entries[0].buttons, PromptButtons::YesNo);
        EXPECT_EQ(fx.prompter.m_entries[0].icon, PromptIcon::Question);
    }
    EXPECT_EQ(Listing(fx.root.Path()), (std::vector<std::string>{"Trip", "Trip(1)", "Trip(2)"}));
    EXPECT_EQ(Listing(fx.root.File("Trip(2)")), (std::vector<std::string>{"a.jpg", "t.pbk"}));

    // No: nothing more is said or made; the sender is recorded all the same.
    fx.prompter.m_entries.clear();
    fx.opened.clear();
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"t.pbk", PictureBookBytes("Trip", {"a.jpg"})},
                                                 {"corvale.inf", kScript}}));
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.prompter.m_entries.size(), 1u);
    EXPECT_EQ(Listing(fx.root.Path()).size(), 3u);
    EXPECT_TRUE(fx.opened.empty());
    EXPECT_EQ(fx.Owner("Trip", "OwnerName"), "Ann");

    // What an import killed half-way left in a folder goes when it is met again.
    std::string stale = LeaveKilledWriterTemporary(fx.root.File("Trip/a.jpg"));
    ASSERT_NE(stale, "");
    fx.prompter.QueueReply(PromptReply::Yes);
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_FALSE(FileExistsAt(fx.root.File("Trip/" + stale)));
}

TEST(ZipImport, TargetFolderProblems)
{
    ImportFixture fx;
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"t.pbk", PictureBookBytes("Trip", {})}}));
    WriteFileBytes(fx.root.File("Trip"), "a file");
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{fx.root.File("Trip") + " is not a directory !"});

    // The root lies under a file: it cannot be made.
    fx.prompter.m_entries.clear();
    Settings::Profile().WriteString(SettingKey::PictureBookRootPath, fx.root.File("Trip/books"));
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.prompter.Texts(),
              std::vector<std::string>{"Failed to create " + fx.root.File("Trip/books/Trip")});

    // Without a root setting or "My Photos", the book goes straight into the installation folder.
    fx.prompter.m_entries.clear();
    Settings::Profile().WriteString(SettingKey::PictureBookRootPath, "");
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.opened, std::vector<std::string>{fx.dir.File("Trip/t.pbk")});
}

TEST(ZipImport, NothingNamedMeansNothingMovesAndCancelIsIgnored)
{
    ImportFixture fx;
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"t.pbk", PictureBookBytes("T", {"elsewhere.jpg"})},
                                                 {"other.jpg", "o"}}));
    // Raised once the data file is out, Cancel has nothing left to stop.
    int inputsThen = -1;
    fx.log.onRefresh = [&] {
        if (fx.log.message == "Gathering file list for extraction..." && !fx.log.cancelled) {
            fx.log.cancelled = true;
            inputsThen = fx.log.inputs;
        }
    };
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.log.inputs, inputsThen);
    EXPECT_TRUE(fx.log.fileNames.empty());
    EXPECT_EQ(fx.log.filesText, "0 files (out of 0) imported");
    EXPECT_EQ(Listing(fx.root.File("T")), std::vector<std::string>{"t.pbk"});
}

TEST(ZipImport, CancelEndsWithImportFailedAndKeepsWhatWasWritten)
{
    ImportFixture fx;
    std::string big(300000, 'b');
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"t.pbk", PictureBookBytes("T", {"1.jpg", "2.jpg"})},
                                                 {"1.jpg", big},
                                                 {"2.jpg", big}}));
    fx.log.onInput = [&] {
        if (fx.log.filesText == "1 files (out of 2) imported")
            fx.log.cancelled = true;
    };
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"Import failed"});
    EXPECT_EQ(Listing(fx.root.File("T")), std::vector<std::string>{"1.jpg"});
    EXPECT_TRUE(fx.opened.empty());
}

TEST(ZipImport, TheDataFileIsBoundedAndCancelWorksWhileItIsExtracted)
{
    ImportFixture fx;
    // Several pieces of data file, so that the dialog is served in between.
    std::string book = PictureBookBytes("T", {"a.jpg"});
    book += std::string(3 << 20, '\0');
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"t.pbk", book}, {"a.jpg", "a"}}));
    fx.log.onInput = [&] { fx.log.cancelled = true; };
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.log.inputs, 1);
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"Import failed"});
    EXPECT_TRUE(Listing(fx.root.Path()).empty());

    // A data file declared larger than any book is refused before it is written.
    fx.prompter.m_entries.clear();
    fx.log = ProgressLog();
    ASSERT_TRUE(PatchDeclaredSize(fx.dir.File("t.zip"), "t.pbk", (256u << 20) + 1));
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"Failed to open document."});
    EXPECT_EQ(fx.log.inputs, 0);
}

TEST(ZipImport, HostileNamesAndTitlesStayInsideTheRoot)
{
    ImportFixture fx;
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"),
                         {{"../../evil.pbk",
                           PictureBookBytes("../../outside", {"a.jpg", "b.jpg", "C:\\c.jpg", ".."})},
                          {"../a.jpg", "a"},
                          {"/etc/b.jpg", "b"},
                          {"..\\..\\c.jpg", "c"},
                          {"..", "dots"}}));
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(Listing(fx.root.Path()), std::vector<std::string>{".._.._outside"});
    EXPECT_EQ(Listing(fx.root.File(".._.._outside")),
              (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "evil.pbk"}));
    EXPECT_EQ(Listing(fx.dir.Path()), std::vector<std::string>{"t.zip"});

    for (const char* title : {"..", "", "a/b\\c"}) {
        ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"Named.pbk", PictureBookBytes(title, {})}}));
        fx.prompter.QueueReply(PromptReply::Yes);
        ASSERT_TRUE(fx.Import(fx.dir.File("t.zip"))) << title;
    }
    EXPECT_EQ(Listing(fx.root.Path()),
              (std::vector<std::string>{".._.._outside", "Named", "Named(1)", "a_b_c"}));
}

TEST(ZipImport, DamagedPhotosAndLyingSizesFailTheExtraction)
{
    ImportFixture fx;
    std::string data(5000, 'd');
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{"t.pbk", PictureBookBytes("T", {"ok.jpg", "bad.jpg"})},
                                                 {"ok.jpg", "fine"},
                                                 {"bad.jpg", data, true}}));
    std::string good = ReadFileBytes(fx.dir.File("t.zip"));
    ASSERT_TRUE(DamageEntryData(fx.dir.File("t.zip"), "bad.jpg"));
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_EQ(fx.prompter.Texts(), std::vector<std::string>{"Import failed"});
    EXPECT_EQ(Listing(fx.root.File("T")), std::vector<std::string>{"ok.jpg"});

    // Sizes far beyond 32 bits are added up without overflowing.
    fx.prompter.m_entries.clear();
    WriteFileBytes(fx.dir.File("t.zip"), good);
    ASSERT_TRUE(PatchDeclaredSize(fx.dir.File("t.zip"), "ok.jpg", 0xFFFFFFF0u));
    ASSERT_TRUE(PatchDeclaredSize(fx.dir.File("t.zip"), "bad.jpg", 0xFFFFFFF0u));
    fx.prompter.QueueReply(PromptReply::Yes);
    ZipImporter importer(Settings::Profile(), fx.dir.Path());
    EXPECT_FALSE(fx.Import(fx.dir.File("t.zip"), &importer));
    EXPECT_EQ(importer.State().selectedBytes, 2 * int64_t(0xFFFFFFF0u));
    EXPECT_EQ(fx.prompter.Texts().back(), "Import failed");
    EXPECT_EQ(Listing(fx.root.File("T(1)")), std::vector<std::string>{});
}

TEST(ZipImport, NamesOfUpTo255BytesAreImported)
{
    ImportFixture fx;
    const std::string book = std::string(246, 'b') + ".pbk", photo = std::string(251, 'p') + ".jpg";
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"), {{book, PictureBookBytes("T", {photo})}, {photo, "jpg"}}));
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_TRUE(fx.prompter.m_entries.empty());
    EXPECT_EQ(Listing(fx.root.File("T")), (std::vector<std::string>{book, photo}));
}

TEST(ZipImport, OlderCollectionsImportToo)
{
    ImportFixture fx;
    BookBytes b;
    b.Text("Old Days");
    b.Text("").Text("").Text("").Int32(1).Int32(1);
    b.NewClass("CPhotoNode").Text("p.pcx").Text("P").Text("").Int32(0).Int32(0).Int32(0);
    b.Int32(0);
    ASSERT_TRUE(WriteZip(fx.dir.File("o.zip"),
                         {{"Days.PCS", b.Str()}, {"P.PCX", "pcx"}, {"corvale.inf", kScript}}));
    ASSERT_TRUE(fx.Import(fx.dir.File("o.zip")));
    EXPECT_EQ(Listing(fx.root.File("Old Days")), (std::vector<std::string>{"Days.PCS", "P.PCX"}));
    EXPECT_EQ(fx.Owner("Old Days", "OwnerEmail"), "ann@example.org");
}

TEST(ZipImport, OneImportAtATime)
{
    ImportFixture fx;
    ASSERT_TRUE(WriteZip(fx.dir.File("t.zip"),
                         {{"t.pbk", PictureBookBytes("T", {"a.jpg"})}, {"a.jpg", "a"}}));
    bool inner = true;
    fx.log.onInput = [&] {
        ZipImporter other(Settings::Profile(), fx.dir.Path());
        inner = other.ImportZipArchive(fx.dir.File("t.zip"));
    };
    ASSERT_TRUE(fx.Import(fx.dir.File("t.zip")));
    EXPECT_FALSE(inner);
    EXPECT_TRUE(fx.prompter.m_entries.empty());
}
