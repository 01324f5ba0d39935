// A book made from a folder tree that the input describes: any names, folder
// nesting, pictures good and damaged, texts in any encoding. The maker
// writes nothing but the book, and a book it makes loads, stores again to
// the same bytes, and names only files of the tree that are there.
//
// Input: records of one byte each saying what comes: 0 and 1 a file (a name,
// then a content byte: 0 a JPEG, 1 a GIF, 2 a PCX, else that many raw bytes
// follow), 2 a folder entered (a name), 3 the folder left. A name is a
// length byte and that many bytes.

#include "exchange/BookMaker.h"
#include "image/GifImage.h"
#include "image/SECJpeg.h"
#include "image/SECPcx.h"
#include "model/Archive.h"
#include "platform/PathResolver.h"
#include "platform/Prompter.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SilentPrompter : public Prompter {
public:
    PromptReply Ask(const std::string&, PromptButtons buttons, PromptIcon, const std::string&) override
    {
        return NegativeReply(buttons);
    }
};

std::string Encoded(SECImage& image, int depth)
{
    if (!image.Create(5, 4, depth, depth == 8 ? 256 : 0))
        std::abort();
    CMemFile file;
    if (!image.SaveImage(&file))
        std::abort();
    return std::string(file.Bytes().begin(), file.Bytes().end());
}

struct Sandbox {
    fs::path base;
    fs::path in;
    std::string pictures[3];

    Sandbox()
    {
        std::string pattern = (fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/fuzz-book-make-XXXXXX");
        if (!mkdtemp(pattern.data()))
            std::abort();
        base = pattern;
        in = base / "in";
        SECJpeg jpeg;
        CGifImage gif;
        SECPcx pcx;
        pictures[0] = Encoded(jpeg, 24);
        pictures[1] = Encoded(gif, 8);
        pictures[2] = Encoded(pcx, 8);
        static SilentPrompter prompter;
        Prompter::SetCurrent(&prompter);
    }
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool AtEnd() const { return m_pos >= m_size; }
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::string Bytes(size_t count)
    {
        count = std::min(count, m_size - std::min(m_pos, m_size));
        std::string out(reinterpret_cast<const char*>(m_data + m_pos), count);
        m_pos += count;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A name the file system takes as one entry, or "".
std::string EntryName(std::string name)
{
    for (char& c : name)
        if (c == '/' || c == '\0')
            c = '_';
    return name == "." || name == ".." ? std::string() : name;
}

bool CreateFile(const fs::path& path, const std::string& bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return ok;
}

std::set<std::string> Listing(const fs::path& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).string());
    return names;
}

void CheckNames(const CPhotoNode& node, const std::string& folder)
{
    auto check = [&folder](const std::string& stored) {
        std::string path = PathResolver::Resolve(stored, folder);
        if (path.empty() || path.compare(0, folder.size() + 1, folder + "/") != 0 || !fs::is_regular_file(path))
            std::abort();
    };
    for (const auto& media : node.m_media)
        check(media->m_strFileName);
    for (const auto& child : node.m_photos) {
        if (!child->m_bGroup)
            check(child->m_strFileName);
        CheckNames(*child, folder);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Sandbox box;
    std::error_code ec;
    fs::remove_all(box.in, ec);
    fs::create_directories(box.in);

    Reader reader(data, size);
    fs::path folder = box.in;
    int depth = 0;
    for (int records = 0; !reader.AtEnd() && records < 48; ++records) {
        uint8_t what = reader.Byte() % 4;
        if (what == 3) {
            if (depth > 0) {
                folder = folder.parent_path();
                --depth;
            }
            continue;
        }
        std::string name = EntryName(reader.Bytes(reader.Byte()));
        if (name.empty())
            continue;
        if (what == 2) {
            if (depth < 12 && fs::create_directory(folder / name, ec)) {
                folder /= name;
                ++depth;
            }
            continue;
        }
        uint8_t content = reader.Byte();
        CreateFile(folder / name, content < 3 ? box.pictures[content] : reader.Bytes(content));
    }

    std::set<std::string> before = Listing(box.in);
    before.erase("b.pbk");
    BookMaker maker(box.in.string(), (box.in / "b.pbk").string());
    BookMakerOptions options;
    options.title = std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 40));
    BookMaker::Result result = maker.Make(options);
    std::set<std::string> after = Listing(box.in);
    after.erase("b.pbk");
    if (after != before)
        std::abort();
    if (result == BookMaker::Result::NothingToShow ||
        (result == BookMaker::Result::WriteFailed && fs::is_directory(box.in / "b.pbk")))
        return 0;
    if (result != BookMaker::Result::Made)
        std::abort();

    std::string bytes;
    {
        std::ifstream file(box.in / "b.pbk", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    CCorvaleDoc doc;
    if (!doc.LoadFromBytes(bytes.data(), bytes.size()))
        std::abort();
    CArchive ar;
    doc.Serialize(ar);
    if (ar.TakeStoredBytes() != bytes)
        std::abort();
    CheckNames(doc.m_root, box.in.string());
    return 0;
}
