#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "model/NodeHeap.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// A book of `groups` groups of 50 photographs, each with a sound clip: a few
// blocks' worth of nodes.
std::string StoredBook(int groups)
{
    CCorvaleDoc doc;
    for (int g = 0; g < groups; ++g) {
        auto group = std::make_unique<CPhotoNode>();
        group->m_bGroup = 1;
        group->m_strCaption = "Group " + std::to_string(g);
        for (int p = 0; p < 50; ++p) {
            auto photo = std::make_unique<CPhotoNode>();
            photo->SetFileName("photo" + std::to_string(p) + ".jpg");
            photo->m_strText = std::string(40, 't');
            auto clip = std::make_unique<CMediaNode>();
            clip->SetFileName("clip.wav");
            photo->AddMedia(std::move(clip));
            group->AddPhoto(std::move(photo));
        }
        doc.m_root.AddPhoto(std::move(group));
    }
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

std::string Stored(CCorvaleDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

} // namespace

TEST(NodeHeap, ABooksBlocksLastAsLongAsAnyOfItsNodesWhereverTheyGo)
{
    size_t before = NodeHeap::BlockCount();
    std::string bytes = StoredBook(200); // 20,201 nodes
    EXPECT_EQ(NodeHeap::BlockCount(), before); // nodes made by hand are the heap's

    auto doc = std::make_unique<CCorvaleDoc>();
    ASSERT_TRUE(doc->LoadFromBytes(bytes.data(), bytes.size()));
    EXPECT_GE(NodeHeap::BlockCount(), before + 2);
    EXPECT_EQ(Stored(*doc), bytes);

    // A group taken out of the book keeps its block alive after the book goes,
    // and lets it go on another thread.
    std::unique_ptr<CPhotoNode> kept = std::move(doc->m_root.m_photos.front());
    doc.reset();
    EXPECT_GT(NodeHeap::BlockCount(), before);
    EXPECT_EQ(kept->GetPhotoChild(49)->GetMediaChild(0)->m_strFileName, "clip.wav");
    std::thread([&kept] { kept.reset(); }).join();
    EXPECT_EQ(NodeHeap::BlockCount(), before);

    // A load that fails halfway keeps nothing.
    RecordingPrompter prompter;
    CCorvaleDoc damaged;
    EXPECT_FALSE(damaged.LoadFromBytes(bytes.data(), bytes.size() / 2));
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{MessageText(MessageId::UnexpectedFileFormat)});
    EXPECT_EQ(NodeHeap::BlockCount(), before);
}
