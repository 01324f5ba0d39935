// Writes seed inputs for every fuzz target into FOLDER/<target>/, made by our
// own writers so the fuzzers start from valid files.

#include "model/Archive.h"
#include "model/CorvaleDoc.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

void WriteSeed(const std::string& folder, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string StoreBook(CCorvaleDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

void PbkSeeds(const std::string& folder)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = "Trip";
    doc.m_strOwnerName = "Ann";
    doc.m_strOwnerEmail = "ann@example.org";
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = "Day 1";
    for (int i = 0; i < 3; ++i) {
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName("p" + std::to_string(i) + ".jpg");
        photo->m_strText = std::string(static_cast<size_t>(i) * 150, 't');
        auto media = std::make_unique<CMediaNode>();
        media->SetFileName("s" + std::to_string(i) + ".wav");
        photo->AddMedia(std::move(media));
        group->AddPhoto(std::move(photo));
    }
    doc.m_root.AddPhoto(std::move(group));
    WriteSeed(folder, "book.pbk", StoreBook(doc));

    CCorvaleDoc empty;
    WriteSeed(folder, "empty-root.pbk", StoreBook(empty));
    // The older layout: title, then a root body without version pairs.
    WriteSeed(folder, "old.pcs", std::string("\x04Trip\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 20));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    std::string root = argv[1];
    PbkSeeds(root + "/pbk_load");
    return 0;
}
