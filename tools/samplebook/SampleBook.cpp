// Writes the sample Picture Book "Demo" (groups, sub-groups, photographs and
// multimedia items with captions and texts) into the folder given.

#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

CPhotoNode* AddGroup(CPhotoNode& parent, const std::string& caption, const std::string& text)
{
    auto group = std::make_unique<CPhotoNode>();
    group->m_bGroup = 1;
    group->m_strCaption = caption;
    group->m_strText = text;
    return parent.AddPhoto(std::move(group));
}

CPhotoNode* AddPhoto(CPhotoNode& parent, const std::string& file, const std::string& caption,
                     const std::string& text)
{
    auto photo = std::make_unique<CPhotoNode>();
    photo->SetFileName(file);
    photo->m_strCaption = caption;
    photo->m_strText = text;
    return parent.AddPhoto(std::move(photo));
}

void AddMedia(CPhotoNode& parent, const std::string& file, const std::string& caption)
{
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName(file);
    media->m_strCaption = caption;
    parent.AddMedia(std::move(media));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: samplebook FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);

    CCorvaleDoc doc;
    doc.m_strBookTitle = "Demo";
    doc.m_strOwnerName = "Corvale Samples";
    doc.m_strOwnerEmail = "samples@example.org";
    CPhotoNode& root = doc.m_root;
    root.m_strText = "A sample Picture Book made by the Corvale build.";

    CPhotoNode* coast = AddGroup(root, "At the Coast", "Three days by the sea.");
    CPhotoNode* harbour = AddPhoto(*coast, "harbour.jpg", "The Harbour",
                                   "Boats in the morning light.\r\nThe tide was out.");
    AddMedia(*harbour, "gulls.wav", "Gulls");
    AddPhoto(*coast, "lighthouse.gif", "Lighthouse", "The old lighthouse on the cliff.");
    CPhotoNode* evening = AddGroup(*coast, "Evening", "");
    AddPhoto(*evening, "sunset.bmp", "Sunset", "");
    AddPhoto(*evening, "pier.pcx", "The Pier", "Lanterns along the pier.");

    CPhotoNode* town = AddGroup(root, "In Town", "A walk through the old town.");
    CPhotoNode* square = AddPhoto(*town, "square.tif", "Market Square", "Market day.");
    AddMedia(*square, "tune.mid", "Street Tune");
    AddPhoto(*town, "fountain.jpg", "Fountain", "");

    if (!doc.OnSaveDocument(folder + "/Demo.pbk"))
        return 1;
    return 0;
}
