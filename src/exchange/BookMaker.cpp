#include "exchange/BookMaker.h"

#include "image/ImageFactory.h"
#include "image/SECImage.h"
#include "model/Archive.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "platform/RegistryTree.h"

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string Stem(const std::string& name)
{
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Names as people sort them: runs of digits by their value ("2" before
// "10"), letters without regard to case; names that still tie keep the
// order of their bytes, so the order never depends on the listing.
bool NaturalLess(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t si = i, sj = j;
            while (si < a.size() && a[si] == '0')
                ++si;
            while (sj < b.size() && b[sj] == '0')
                ++sj;
            size_t ei = si, ej = sj;
            while (ei < a.size() && IsDigit(a[ei]))
                ++ei;
            while (ej < b.size() && IsDigit(b[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            int order = a.compare(si, ei - si, b, sj, ej - sj);
            if (order != 0)
                return order < 0;
            i = ei;
            j = ej;
            continue;
        }
        char ca = static_cast<char>(std::tolower(static_cast<unsigned char>(a[i])));
        char cb = static_cast<char>(std::tolower(static_cast<unsigned char>(b[j])));
        if (ca != cb)
            return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size();
    return a < b;
}

void SortNaturally(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), NaturalLess);
}

// One name part in the book's code page when it can be held there and read
// back as the same name; else its own bytes, which the book keeps as they are.
std::string CodePageComponent(const std::string& name)
{
    size_t lost = 0;
    std::string cp1252 = Utf8ToCp1252(name, &lost);
    return lost == 0 && Cp1252ToUtf8(cp1252) == name ? cp1252 : name;
}

// Line breaks as the book's texts hold them (CR LF), without a final one.
std::string BookLines(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    size_t end = out.find_last_not_of(" \t\r\n");
    out.erase(end == std::string::npos ? 0 : end + 1);
    return out;
}

} // namespace

struct BookMaker::Entry {
    enum class Kind { Folder, LinkedFolder, File, Other };
    std::string name;
    Kind kind;
};

BookMaker::BookMaker(std::string folder, std::string bookPath)
{
    std::error_code ec;
    m_folder = fs::absolute(folder, ec).lexically_normal();
    if (m_folder.filename().empty())
        m_folder = m_folder.parent_path();
    m_book = fs::absolute(bookPath, ec).lexically_normal();
}

BookMaker::Result BookMaker::Make(const BookMakerOptions& options)
{
    std::string shownFolder = AnyTextToUtf8(m_folder.string());
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec)) {
        m_strError = FormatMessageText(MessageId::MakeNotAFolder, {shownFolder});
        return Result::NotAFolder;
    }
    if (m_book.filename().empty() || !fs::equivalent(m_book.parent_path(), m_folder, ec)) {
        m_strError = FormatMessageText(MessageId::MakeNotBeside, {shownFolder});
        return Result::NotBeside;
    }
    if (fs::is_directory(m_book, ec)) {
        m_strError = FormatMessageText(MessageId::MakeBookIsAFolder, {AnyTextToUtf8(m_book.string())});
        return Result::WriteFailed;
    }

    m_doc.DeleteContents();
    std::string title = options.title.empty() ? AnyTextToUtf8(m_folder.filename().string()) : options.title;
    m_doc.m_strBookTitle = ToCodePage(title, MessageText(MessageId::MakeTitleField));
    m_doc.m_strOwnerName = ToCodePage(options.ownerName, MessageText(MessageId::MakeSenderField));
    m_doc.m_strOwnerEmail = ToCodePage(options.ownerEmail, MessageText(MessageId::MakeEmailField));
    ScanFolder(m_folder, std::string(), std::string(), m_doc.m_root, 0);
    if (m_doc.m_root.m_photos.empty() && m_doc.m_root.m_media.empty()) {
        m_strError = FormatMessageText(MessageId::MakeNothingToShow, {shownFolder});
        return Result::NothingToShow;
    }

    CArchive ar;
    m_doc.Serialize(ar);
    int err = 0;
    if (!WriteFileAtomically(m_book.string(), ar.TakeStoredBytes(), err)) {
        m_strError = FormatMessageText(FileErrorMessage(FileErrorCauseFromErrno(err)),
                                       {AnyTextToUtf8(m_book.string())});
        return Result::WriteFailed;
    }
    return Result::Made;
}

void BookMaker::ScanFolder(const fs::path& folder, const std::string& relative,
                           const std::string& storedPrefix, CPhotoNode& group, int depth)
{
    auto shown = [&relative](const std::string& name) {
        return AnyTextToUtf8(relative.empty() ? name : relative + "/" + name);
    };
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        // Hidden files are the system's or a program's, never the user's pictures.
        if (name.empty() || name[0] == '.')
            continue;
        if (depth == 0 && name == m_book.filename().string())
            continue;
        std::error_code kindError;
        bool link = it->is_symlink(kindError);
        fs::file_status status = it->status(kindError);
        Entry::Kind kind = fs::is_directory(status)      ? (link ? Entry::Kind::LinkedFolder : Entry::Kind::Folder)
                         : fs::is_regular_file(status) ? Entry::Kind::File
                                                       : Entry::Kind::Other;
        entries.push_back({name, kind});
    }
    if (ec) {
        Note(MessageId::MakeCannotList, AnyTextToUtf8(relative.empty() ? folder.string() : relative));
        return;
    }

    std::vector<std::string> folders, pictures, media;
    std::map<std::string, std::pair<std::string, bool>> texts; // lower-cased name: name, used
    for (const Entry& entry : entries) {
        switch (entry.kind) {
        case Entry::Kind::Folder: folders.push_back(entry.name); break;
        case Entry::Kind::LinkedFolder: Note(MessageId::MakeLinkedFolder, shown(entry.name)); break;
        case Entry::Kind::Other: Note(MessageId::MakeNotAFile, shown(entry.name)); break;
        case Entry::Kind::File:
            if (CreateImageForFileName(entry.name))
                pictures.push_back(entry.name);
            else if (MediaTypeFromFileName(entry.name) != MEDIA_UNKNOWN)
                media.push_back(entry.name);
            else if (HasFileEnding(entry.name, ".txt"))
                texts[LowerAscii(entry.name)] = {entry.name, false};
            else
                Note(MessageId::MakeUnsupported, shown(entry.name));
            break;
        }
    }
    SortNaturally(folders);
    SortNaturally(pictures);
    SortNaturally(media);

    auto textFor = [&](const std::string& name) {
        auto found = texts.find(LowerAscii(name + ".txt"));
        if (found == texts.end() || found->second.second)
            return std::string();
        found->second.second = true;
        return ReadText(folder / found->second.first, shown(found->second.first));
    };

    for (const std::string& name : folders) {
        std::string component = CodePageComponent(name);
        if (depth + 1 >= kMaxDepth) {
            Note(MessageId::MakeTooDeep, shown(name));
            continue;
        }
        if (component.find('\\') != std::string::npos) {
            Note(MessageId::MakeUnnamable, shown(name));
            continue;
        }
        auto child = std::make_unique<CPhotoNode>();
        child->m_bGroup = 1;
        child->m_strCaption = ToCodePage(AnyTextToUtf8(name), shown(name));
        std::string rel = relative.empty() ? name : relative + "/" + name;
        size_t mark = m_notes.size();
        ScanFolder(folder / name, rel, storedPrefix + component + "\\", *child, depth + 1);
        if (child->m_photos.empty() && child->m_media.empty()) {
            // Said once, of the outermost folder that goes.
            for (size_t i = m_notes.size(); i-- > mark;) {
                if (m_emptyFolderNote[i]) {
                    m_notes.erase(m_notes.begin() + static_cast<std::ptrdiff_t>(i));
                    m_emptyFolderNote.erase(m_emptyFolderNote.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
            Note(MessageId::MakeEmptyFolder, shown(name));
            m_emptyFolderNote.back() = true;
            continue;
        }
        child->m_strText = textFor(name);
        group.AddPhoto(std::move(child));
    }

    std::map<std::string, CPhotoNode*> photoByStem;
    for (const std::string& name : pictures) {
        std::string stored;
        if (!StoredName(storedPrefix, name, relative.empty() ? name : relative + "/" + name, stored)) {
            Note(MessageId::MakeUnnamable, shown(name));
            continue;
        }
        // Loaded as the viewer loads it, by the class its name calls for.
        std::unique_ptr<SECImage> image = CreateImageForFileName(stored);
        if (!image || !image->LoadImage((folder / name).string()) || !image->HasPicture()) {
            Note(MessageId::MakeDamaged, shown(name));
            continue;
        }
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName(stored);
        photo->m_strCaption = ToCodePage(AnyTextToUtf8(Stem(name)), shown(name));
        photo->m_strText = textFor(Stem(name));
        photoByStem.emplace(LowerAscii(Stem(name)), group.AddPhoto(std::move(photo)));
    }

    for (const std::string& name : media) {
        std::string stored;
        if (!StoredName(storedPrefix, name, relative.empty() ? name : relative + "/" + name, stored)) {
            Note(MessageId::MakeUnnamable, shown(name));
            continue;
        }
        auto item = std::make_unique<CMediaNode>();
        item->SetFileName(stored);
        item->m_strCaption = ToCodePage(AnyTextToUtf8(Stem(name)), shown(name));
        item->m_strText = textFor(Stem(name));
        auto owner = photoByStem.find(LowerAscii(Stem(name)));
        (owner == photoByStem.end() ? group : *owner->second).AddMedia(std::move(item));
    }

    for (const auto& text : texts)
        if (!text.second.second)
            Note(MessageId::MakeUnusedText, shown(text.second.first));
}

bool BookMaker::StoredName(const std::string& storedPrefix, const std::string& name,
                           const std::string& relative, std::string& stored)
{
    if (name.find('\\') != std::string::npos)
        return false;
    const std::string expected = m_folder.string() + "/" + relative;
    // A name that starts with white space or looks like a drive is kept
    // whole behind ".\"; one that ends with white space cannot be kept.
    for (const std::string& component : {CodePageComponent(name), name}) {
        for (const char* lead : {"", ".\\"}) {
            std::string candidate = lead + storedPrefix + component;
            TrimWhiteSpace(candidate);
            if (PathResolver::Resolve(candidate, m_folder.string()) == expected) {
                stored = candidate;
                return true;
            }
        }
    }
    return false;
}

std::string BookMaker::ToCodePage(const std::string& utf8, const std::string& where)
{
    size_t lost = 0;
    std::string text = Utf8ToCp1252(utf8, &lost);
    if (lost) {
        m_notes.push_back(FormatMessageText(MessageId::MakeCharactersReplaced, {where, std::to_string(lost)}));
        m_emptyFolderNote.push_back(false);
    }
    return text;
}

std::string BookMaker::ReadText(const fs::path& file, const std::string& relative)
{
    std::string bytes;
    if (ReadFileUpTo(file.string(), kMaxTextBytes, bytes) != BoundedRead::Read) {
        Note(MessageId::MakeTextUnreadable, relative);
        return std::string();
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return ToCodePage(BookLines(AnyTextToUtf8(bytes)), relative);
}

void BookMaker::Note(MessageId message, const std::string& relative)
{
    m_notes.push_back(FormatMessageText(message, {relative}));
    m_emptyFolderNote.push_back(false);
}
