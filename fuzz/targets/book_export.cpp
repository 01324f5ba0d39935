// Any Picture Book exported from a folder of real files: whatever its names
// and texts, the export writes only inside its own folder (or leaves none
// when it fails), takes no file from outside the book's folder, makes no
// links, gives every file a portable name, and every link of every page
// opens a file inside the export.

#include "exchange/BookExporter.h"
#include "exchange/UniqueNames.h"
#include "image/GifImage.h"
#include "image/SECPcx.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

const char kOutsideBytes[] = "bytes that must never leave their folder";

class YesPrompter : public Prompter {
public:
    PromptReply Ask(const std::string&, PromptButtons buttons, PromptIcon, const std::string&) override
    {
        return buttons == PromptButtons::YesNo ? PromptReply::Yes : NegativeReply(buttons);
    }
};

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A book folder with a picture of each kind the export converts or copies,
// a sub-folder and a file beside the folder; memory-backed when it can be.
struct Sandbox {
    fs::path base;
    fs::path book;
    fs::path out;

    Sandbox()
    {
        std::string pattern = (fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/fuzz-book-export-XXXXXX");
        if (!mkdtemp(pattern.data()))
            std::abort();
        base = pattern;
        book = base / "book";
        out = base / "out";
        fs::create_directories(book / "Sub");
        CGifImage gif;
        SECPcx pcx;
        for (SECImage* image : {static_cast<SECImage*>(&gif), static_cast<SECImage*>(&pcx)})
            if (!image->Create(4, 3, 8, 256))
                std::abort();
        if (!gif.SaveImage((book / "a.gif").string()) || !pcx.SaveImage((book / "Sub" / "b.pcx").string()))
            std::abort();
        Write(book / "s.wav", "RIFF");
        Write(base / "outside.wav", kOutsideBytes);
        static YesPrompter prompter;
        Prompter::SetCurrent(&prompter);
    }
};

std::string PercentDecoded(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsInside(const fs::path& path, const fs::path& folder)
{
    fs::path relative = path.lexically_normal().lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

void CheckPage(const Sandbox& box, const fs::path& page)
{
    static const std::regex kLink("(?:href|src)=\"([^\"]*)\"");
    std::string html = Read(page);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), kLink); it != std::sregex_iterator(); ++it) {
        std::string link = (*it)[1].str();
        if (link.rfind("mailto:", 0) == 0)
            continue;
        fs::path target = box.out / PercentDecoded(link);
        if (link.empty() || link[0] == '/' || !IsInside(target, box.out) || !fs::is_regular_file(target))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Sandbox box;
    std::error_code ec;
    fs::remove_all(box.out, ec);
    CCorvaleDoc doc;
    if (!doc.LoadFromBytes(data, size))
        return 0;

    YesPrompter prompter;
    BookExporter exporter(doc, box.book.string(), prompter);
    exporter.SetOnePageLimit(size % 2 ? 1 : BookExporter::kDefaultOnePageLimit);
    BookExporter::Result result = exporter.Export(box.base.string(), "out");

    for (const fs::directory_entry& entry : fs::directory_iterator(box.base)) {
        std::string name = entry.path().filename().string();
        if (name != "book" && name != "out" && name != "outside.wav")
            std::abort();
    }
    if (result != BookExporter::Result::Done) {
        if (fs::exists(box.out))
            std::abort();
        return 0;
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(box.out)) {
        if (entry.is_symlink() || !(entry.is_regular_file() || entry.is_directory()))
            std::abort();
        std::string name = entry.path().filename().string();
        if (PortableFileName(name) != name)
            std::abort();
        if (entry.is_regular_file()) {
            if (Read(entry.path()) == kOutsideBytes)
                std::abort();
            if (entry.path().extension() == ".html")
                CheckPage(box, entry.path());
        }
    }
    return 0;
}
