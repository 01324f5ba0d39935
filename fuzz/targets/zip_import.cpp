// Whole ZIP archives through the import, with Yes to every question. Whatever
// the archive holds, the import leaves nothing outside the Picture Book root
// (its temporary folder is gone again), makes no links, and a book it hands
// over to be opened lies inside the root.

#include "exchange/ZipImporter.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Answers every question with its positive button, as a trusting user would.
class YesPrompter : public Prompter {
public:
    PromptReply Ask(const std::string&, PromptButtons buttons, PromptIcon,
                    const std::string&) override
    {
        switch (buttons) {
        case PromptButtons::Ok:
        case PromptButtons::OkCancel: return PromptReply::Ok;
        case PromptButtons::RetryCancel: return PromptReply::Cancel;
        default: return PromptReply::Yes;
        }
    }
};

// A private folder for the whole run: the registry, the temporary folder,
// the archive and the Picture Book root all live inside it.
struct Sandbox {
    fs::path base;
    fs::path root;
    fs::path temp;
    fs::path archive;

    Sandbox()
    {
        // In memory where the machine has it: every input writes files, and a
        // disk's journal would set the pace.
        std::string where = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string made = where + "/fuzz-zip-import-XXXXXX";
        char* pattern = made.data();
        if (!mkdtemp(pattern))
            std::abort();
        base = pattern;
        root = base / "root";
        temp = base / "tmp";
        archive = base / "in" / "book.zip";
        fs::create_directories(base / "registry");
        fs::create_directories(temp);
        fs::create_directories(archive.parent_path());
        setenv("CORVALE_REGISTRY_DIR", (base / "registry").c_str(), 1);
        setenv("TMPDIR", temp.c_str(), 1);
        setenv("HOME", base.c_str(), 1);
        Prompter::SetCurrent(&prompter);
    }

    YesPrompter prompter;
};

bool IsInside(const fs::path& path, const fs::path& folder)
{
    fs::path relative = path.lexically_normal().lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Sandbox box;
    std::error_code ec;
    fs::remove_all(box.root, ec);
    fs::create_directories(box.root);
    {
        std::ofstream out(box.archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    ZipImporter importer(Settings::Profile(), (box.base / "install").string());
    importer.SetRootFolder(box.root.string());
    bool imported = importer.ImportZipArchive(box.archive.string());

    // Only the root, the registry, the archive's folder and the (empty)
    // temporary folder may be there.
    for (const fs::directory_entry& entry : fs::directory_iterator(box.base)) {
        std::string name = entry.path().filename().string();
        if (name != "root" && name != "registry" && name != "in" && name != "tmp")
            std::abort();
    }
    if (!fs::is_empty(box.temp))
        std::abort();
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(box.root)) {
        if (entry.is_symlink() || !(entry.is_regular_file() || entry.is_directory()))
            std::abort();
    }
    if (imported && !IsInside(importer.NewDataFile(), box.root))
        std::abort();
    return 0;
}
