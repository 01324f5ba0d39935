#include "BookBytes.h"
#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "model/OldCorvaleDoc.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

std::string Hex(const std::string& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

std::string Store(CCorvaleDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

std::string StoreText(const std::string& text)
{
    CArchive ar;
    ar.WriteText(text);
    return ar.TakeStoredBytes();
}

// Loads `bytes` as a Picture Book file would be; returns the messages shown.
std::vector<std::string> LoadMessages(const std::string& bytes, bool oldLayout = false)
{
    TempDir dir;
    std::string path = dir.File(oldLayout ? "book.pcs" : "book.pbk");
    WriteFileBytes(path, bytes);
    RecordingPrompter prompter;
    std::unique_ptr<CCorvaleDoc> doc;
    if (oldLayout)
        doc = std::make_unique<COldCorvaleDoc>();
    else
        doc = std::make_unique<CCorvaleDoc>();
    bool ok = doc->OnOpenDocument(path);
    EXPECT_EQ(ok, prompter.m_entries.empty());
    return prompter.Texts();
}

const std::vector<std::string> kFormatError = {"Unexpected file format."};

// Hands out `bytes` a few at a time, however many are asked for, and counts
// what it was asked for.
class DribblingSource : public CArchiveSource {
public:
    DribblingSource(const std::string& bytes, size_t step) : m_bytes(bytes), m_nStep(step) {}
    size_t Read(char* data, size_t size) override
    {
        size_t n = std::min({size, m_nStep, m_bytes.size() - m_nPos});
        std::memcpy(data, m_bytes.data() + m_nPos, n);
        m_nPos += n;
        return n;
    }
    std::string m_bytes;
    size_t m_nStep;
    size_t m_nPos = 0;
};

// The worked example: title "Trip", one group "Trip" holding one photograph a.jpg.
void BuildTrip(CCorvaleDoc& doc)
{
    doc.m_strBookTitle = "Trip";
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = "Trip";
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName("a.jpg");
    group->AddPhoto(std::move(photo));
    doc.m_root.AddPhoto(std::move(group));
}

} // namespace

TEST(ArchiveText, LengthFormsAtTheirBoundaries)
{
    EXPECT_EQ(StoreText(std::string(254, 'x')).substr(0, 1), std::string("\xFE", 1));
    EXPECT_EQ(StoreText(std::string(254, 'x')).size(), 255u);
    EXPECT_EQ(StoreText(std::string(255, 'x')).substr(0, 3), std::string("\xFF\xFF\x00", 3));
    EXPECT_EQ(StoreText(std::string(65533, 'x')).substr(0, 3), std::string("\xFF\xFD\xFF", 3));
    EXPECT_EQ(StoreText(std::string(65534, 'x')).substr(0, 7),
              std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7));

    for (size_t length : {0u, 1u, 254u, 255u, 65533u, 65534u, 70000u}) {
        std::string text(length, 'q');
        std::string bytes = StoreText(text);
        CArchive ar(bytes.data(), bytes.size());
        std::string back;
        ar.ReadText(back);
        EXPECT_EQ(back, text) << length;
        EXPECT_EQ(ar.Remaining(), 0u);
    }
}

TEST(ArchiveText, WideTextIsConvertedToTheCodePage)
{
    // "a", e-acute, euro sign; then a character with no 8-bit form.
    std::string bytes("\xFF\xFE\xFF\x04" "a\x00\xE9\x00\xAC\x20\x3A\x04", 12);
    CArchive ar(bytes.data(), bytes.size());
    std::string text;
    ar.ReadText(text);
    EXPECT_EQ(text, std::string("a\xE9\x80?"));

    std::string cut("\xFF\xFE\xFF\x03" "a\x00b\x00", 8);
    CArchive short_(cut.data(), cut.size());
    EXPECT_THROW(short_.ReadText(text), CArchiveException);
}

TEST(ArchiveText, LengthBeyondTheDataIsRefusedBeforeAllocating)
{
    std::string bytes("\xFF\xFF\xFF\xF0\xFF\xFF\xFF" "abc", 10);
    CArchive ar(bytes.data(), bytes.size());
    std::string text;
    EXPECT_THROW(ar.ReadText(text), CArchiveException);
}

TEST(ArchiveFormat, WorkedExampleComesOutByteForByte)
{
    CCorvaleDoc doc;
    BuildTrip(doc);
    std::string bytes = Store(doc);

    BookBytes expected;
    expected.DocHead("Trip").PhotoHead("", "", "", 1).Int32(1);
    expected.NewClass("CPhotoNode").PhotoHead("", "Trip", "", 1).Int32(1);
    expected.Word(0x8001).PhotoHead("a.jpg", "", "", 0).Int32(0).Int32(0);
    expected.Int32(0).Int32(0);
    ASSERT_EQ(bytes.size(), 135u);
    EXPECT_EQ(Hex(bytes), Hex(expected.Str()));
}

TEST(ArchiveFormat, ClassesAndObjectsShareOneNumbering)
{
    // root -> photo P1 (with media M1) and photo P2. Indexes: CPhotoNode 1,
    // P1 2, CMediaNode 3 (the next free index, not 2), M1 4, P2 5 with tag 0x8001.
    CCorvaleDoc doc;
    auto p1 = std::make_unique<CPhotoNode>();
    auto m1 = std::make_unique<CMediaNode>();
    m1->SetFileName("s.wav");
    p1->AddMedia(std::move(m1));
    doc.m_root.AddPhoto(std::move(p1));
    doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    std::string bytes = Store(doc);

    BookBytes expected;
    expected.DocHead("").PhotoHead("", "", "", 1).Int32(2);
    expected.NewClass("CPhotoNode").PhotoHead("", "", "", 0).Int32(0).Int32(1);
    expected.NewClass("CMediaNode").MediaBody("s.wav", 1);
    expected.Word(0x8001).PhotoHead("", "", "", 0).Int32(0).Int32(0);
    expected.Int32(0);
    EXPECT_EQ(Hex(bytes), Hex(expected.Str()));

    // A further multimedia item refers to class 3.
    CCorvaleDoc again;
    ASSERT_TRUE(again.OnNewDocument());
    CArchive ar(bytes.data(), bytes.size());
    again.Serialize(ar);
    again.m_root.GetPhotoChild(1)->AddMedia(std::make_unique<CMediaNode>());
    std::string more = Store(again);
    EXPECT_NE(more.find(std::string("\x03\x80", 2)), std::string::npos);
}

TEST(ArchiveFormat, LongTagsFromIndex0x7FFFOn)
{
    // 40000 photographs: the objects past index 0x7FFE still use the short class
    // tag (the class index is 1); loading and storing again is byte-identical.
    CCorvaleDoc doc;
    for (int i = 0; i < 40000; ++i)
        doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    std::string bytes = Store(doc);
    CCorvaleDoc loaded;
    CArchive ar(bytes.data(), bytes.size());
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.m_root.GetPhotoCount(), 40000);
    EXPECT_EQ(Store(loaded), bytes);

    // A new object named by the long class form 0x7FFF + (0x80000000 | 1).
    BookBytes b;
    b.DocHead("").PhotoHead("", "", "", 1).Int32(2);
    b.NewClass("CPhotoNode").PhotoHead("", "", "", 0).Int32(0).Int32(0);
    b.Word(0x7FFF).Dword(0x80000001u).PhotoHead("x.gif", "", "", 0).Int32(0).Int32(0);
    b.Int32(0);
    EXPECT_TRUE(LoadMessages(b.Str()).empty());
}

TEST(ArchiveFormat, LoadingRestoresTheTreeAndTrimsOnlyFileNames)
{
    BookBytes b;
    b.DocHead("Holiday", "Ann", "ann@example.org").PhotoHead("", "", "", 1).Int32(1);
    b.NewClass("CPhotoNode").PhotoHead("  \tbeach.gif \r\n", "  Beach  ", " sand \n", 0);
    b.Int32(0).Int32(1);
    b.NewClass("CMediaNode").MediaBody(" waves.WAV ", 0);
    b.Int32(0);
    b.Raw("trailing bytes are never read");

    TempDir dir;
    WriteFileBytes(dir.File("h.pbk"), b.Str());
    RecordingPrompter prompter;
    CCorvaleDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("h.pbk")));
    EXPECT_TRUE(prompter.m_entries.empty());
    EXPECT_EQ(doc.m_strBookTitle, "Holiday");
    EXPECT_EQ(doc.m_strOwnerName, "Ann");
    EXPECT_EQ(doc.m_strOwnerEmail, "ann@example.org");
    EXPECT_EQ(doc.m_strBookFolder, dir.Path());
    CPhotoNode* photo = doc.m_root.GetPhotoChild(0);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->m_pParent, &doc.m_root);
    EXPECT_EQ(photo->m_strFileName, "beach.gif");
    EXPECT_EQ(photo->m_strCaption, "  Beach  ");
    EXPECT_EQ(photo->m_strText, " sand \n");
    CMediaNode* media = photo->GetMediaChild(0);
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(media->m_pParent, photo);
    EXPECT_EQ(media->m_strFileName, "waves.WAV");
    EXPECT_EQ(media->m_nMediaType, 0); // the stored type is taken, even 0
    EXPECT_FALSE(doc.IsModified());
}

TEST(ArchiveFormat, StoreAfterLoadIsByteIdentical)
{
    CCorvaleDoc doc;
    BuildTrip(doc);
    doc.m_strOwnerName = "O'Neil \"Jo\"";
    doc.m_root.GetPhotoChild(0)->m_strText = std::string(300, 'T') + "\r\n\xE9";
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName("tune.mid");
    media->m_strText = std::string(70000, 'm');
    doc.m_root.GetPhotoChild(0)->GetPhotoChild(0)->AddMedia(std::move(media));
    std::string bytes = Store(doc);

    CCorvaleDoc loaded;
    CArchive ar(bytes.data(), bytes.size());
    loaded.Serialize(ar);
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(ArchiveWindow, LoadingThroughAWindowGivesWhatLoadingFromMemoryGives)
{
    // Texts longer than the window, a wide one among them, between short fields.
    CCorvaleDoc doc;
    BuildTrip(doc);
    doc.m_root.GetPhotoChild(0)->m_strText = std::string(200000, 'T');
    doc.m_root.GetPhotoChild(0)->GetPhotoChild(0)->m_strCaption = std::string(65533, 'c');
    std::string bytes = Store(doc);
    for (size_t step : {size_t(1), size_t(7), size_t(4096), size_t(1) << 20}) {
        DribblingSource source(bytes, step);
        CCorvaleDoc loaded;
        CArchive ar(source, bytes.size());
        loaded.Serialize(ar);
        EXPECT_EQ(Store(loaded), bytes) << step;
        EXPECT_EQ(ar.Remaining(), 0u) << step;
    }

    std::string units;
    for (int i = 0; i < 40000; ++i)
        units += i % 2 ? std::string("\xE9\x00", 2) : std::string("a\x00", 2);
    std::string wide = std::string("\xFF\xFE\xFF\xFF\xFF\xFF", 6) + std::string("\x40\x9C\x00\x00", 4) + units;
    DribblingSource source(wide + "x", 999);
    CArchive ar(source, wide.size() + 1);
    std::string text;
    ar.ReadText(text);
    EXPECT_EQ(text.size(), 40000u);
    EXPECT_EQ(text.substr(0, 4), "a\xE9" "a\xE9");
    EXPECT_EQ(ar.ReadByte(), 'x');
}

TEST(ArchiveWindow, ASourceThatEndsEarlyOrATextLongerThanTheWholeIsRefused)
{
    CCorvaleDoc doc;
    BuildTrip(doc);
    doc.m_root.GetPhotoChild(0)->m_strText = std::string(100000, 'T');
    std::string bytes = Store(doc);
    // The file said it was longer than what can be read of it.
    for (size_t cut : {bytes.size() / 3, bytes.size() - 1}) {
        DribblingSource source(bytes.substr(0, cut), 5000);
        CCorvaleDoc loaded;
        CArchive ar(source, bytes.size());
        EXPECT_THROW(loaded.Serialize(ar), CArchiveException) << cut;
    }

    // A length no file of this size holds is refused before it is read or made.
    std::string huge("\xFF\xFF\xFF\xF0\xFF\xFF\xFF", 7);
    DribblingSource source(huge + std::string(200000, 'z'), 100000);
    CArchive ar(source, huge.size() + 200000);
    std::string text;
    EXPECT_THROW(ar.ReadText(text), CArchiveException);
    EXPECT_LE(source.m_nPos, 100000u);
}

TEST(ArchiveDamage, EveryCutOfAValidFileIsAFormatError)
{
    CCorvaleDoc doc;
    BuildTrip(doc);
    std::string bytes = Store(doc);
    for (size_t cut = 1; cut < bytes.size(); ++cut)
        EXPECT_EQ(LoadMessages(bytes.substr(0, cut)), kFormatError) << "cut at " << cut;
}

TEST(ArchiveDamage, WrongClassesAndSchemasAreRefused)
{
    auto withFirstChild = [](const std::function<void(BookBytes&)>& child) {
        BookBytes b;
        b.DocHead("").PhotoHead("", "", "", 1).Int32(1);
        child(b);
        return b.Str();
    };
    auto photoBody = [](BookBytes& b) { b.PhotoHead("", "", "", 0).Int32(0).Int32(0); };

    // A multimedia record in a photograph list.
    EXPECT_EQ(LoadMessages(withFirstChild([](BookBytes& b) {
                  b.NewClass("CMediaNode").MediaBody("a.wav", 1);
              })),
              kFormatError);
    // A photograph in a multimedia list.
    {
        BookBytes b;
        b.DocHead("").PhotoHead("", "", "", 1).Int32(0).Int32(1);
        b.NewClass("CPhotoNode").PhotoHead("", "", "", 0).Int32(0).Int32(0);
        EXPECT_EQ(LoadMessages(b.Str()), kFormatError);
    }
    // Schema 2, a name in upper case, the base class, an unknown name, a 64-byte name.
    for (const auto& entry : std::vector<std::pair<std::string, uint16_t>>{
             {"CPhotoNode", 2}, {"CPHOTONODE", 1}, {"CBaseNode", 1}, {"CPhoto", 1},
             {std::string(64, 'C'), 1}}) {
        const std::string& name = entry.first;
        uint16_t schema = entry.second;
        EXPECT_EQ(LoadMessages(withFirstChild([&](BookBytes& b) {
                      b.NewClass(name, schema);
                      photoBody(b);
                  })),
                  kFormatError)
            << name << " schema " << schema;
    }
}

TEST(ArchiveDamage, TagsThatNameNoNewNodeAreRefused)
{
    // Two children: the first is a valid new photograph (class 1, object 2);
    // the second entry's tag is the case under test.
    auto second = [](uint16_t tag, bool withDword = false, uint32_t dword = 0) {
        BookBytes b;
        b.DocHead("").PhotoHead("", "", "", 1).Int32(2);
        b.NewClass("CPhotoNode").PhotoHead("", "", "", 0).Int32(0).Int32(0);
        b.Word(tag);
        if (withDword)
            b.Dword(dword);
        b.PhotoHead("", "", "", 0).Int32(0).Int32(0).Int32(0);
        return b.Str();
    };
    EXPECT_EQ(LoadMessages(second(0x0000)), kFormatError);  // null entry
    EXPECT_EQ(LoadMessages(second(0x0002)), kFormatError);  // node already placed
    EXPECT_EQ(LoadMessages(second(0x0001)), kFormatError);  // reference names a class
    EXPECT_EQ(LoadMessages(second(0x0009)), kFormatError);  // beyond the objects read
    EXPECT_EQ(LoadMessages(second(0x8000)), kFormatError);  // class index 0
    EXPECT_EQ(LoadMessages(second(0x8002)), kFormatError);  // class index names an object
    EXPECT_EQ(LoadMessages(second(0x8007)), kFormatError);  // class index beyond
    EXPECT_EQ(LoadMessages(second(0x7FFF, true, 2)), kFormatError);
    EXPECT_EQ(LoadMessages(second(0x7FFF, true, 0x80000005u)), kFormatError);
    EXPECT_TRUE(LoadMessages(second(0x8001)).empty());
}

TEST(ArchiveDamage, HugeCountsFailBeforeAnythingIsAllocated)
{
    for (int32_t count : {0x7FFFFFFF, 1000000, 2}) {
        BookBytes b;
        b.DocHead("").PhotoHead("", "", "", 1).Int32(count);
        b.NewClass("CPhotoNode").PhotoHead("", "", "", 0).Int32(0).Int32(0);
        b.Int32(0);
        EXPECT_EQ(LoadMessages(b.Str()), kFormatError) << count;
    }
    // Counts of zero or below read no entries.
    BookBytes b;
    b.DocHead("").PhotoHead("", "", "", 1).Int32(-5).Int32(-1);
    EXPECT_TRUE(LoadMessages(b.Str()).empty());
}

TEST(ArchiveDamage, NestingIsLimitedInsteadOfOverflowingTheStack)
{
    auto nested = [](int depth) {
        BookBytes b;
        b.DocHead("").PhotoHead("", "", "", 1).Int32(1);
        b.NewClass("CPhotoNode").PhotoHead("", "", "", 1);
        for (int i = 1; i < depth; ++i)
            b.Int32(1).Word(0x8001).PhotoHead("", "", "", 1);
        for (int i = 0; i < depth; ++i)
            b.Int32(0).Int32(0);
        b.Int32(0);
        return b.Str();
    };
    EXPECT_TRUE(LoadMessages(nested(CArchive::kMaxDepth)).empty());
    EXPECT_EQ(LoadMessages(nested(CArchive::kMaxDepth + 1)), kFormatError);
    EXPECT_EQ(LoadMessages(nested(200000)), kFormatError);
}
