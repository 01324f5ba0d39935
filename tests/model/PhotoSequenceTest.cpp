#include "model/PhotoNode.h"
#include "model/PhotoSequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CPhotoNode* Add(CPhotoNode& parent, const std::string& caption, bool group = false)
{
    auto node = std::make_unique<CPhotoNode>();
    node->m_strCaption = caption;
    node->m_bGroup = group;
    return parent.AddPhoto(std::move(node));
}

CMediaNode* AddMedia(CPhotoNode& parent, const std::string& caption)
{
    auto node = std::make_unique<CMediaNode>();
    node->m_strCaption = caption;
    return parent.AddMedia(std::move(node));
}

std::vector<std::string> Walk(const CPhotoNode& root, bool forward)
{
    std::vector<std::string> seen;
    CPhotoNode* node = forward ? FirstPhotograph(root) : LastPhotograph(root);
    while (node && seen.size() < 20) {
        seen.push_back(node->m_strCaption);
        node = forward ? NextPhotograph(root, *node) : PreviousPhotograph(root, *node);
    }
    return seen;
}

} // namespace

// Root group: A (sound a1, photo A1), group G (B, empty group H, C), D.
TEST(PhotoSequence, StepsThroughPhotographsInTreeOrderPassingOverGroupsAndMedia)
{
    CPhotoNode root;
    root.m_bGroup = true;
    CPhotoNode* a = Add(root, "A");
    CMediaNode* sound = AddMedia(*a, "a1");
    CPhotoNode* a1 = Add(*a, "A1");
    CPhotoNode* g = Add(root, "G", true);
    Add(*g, "B");
    CPhotoNode* h = Add(*g, "H", true);
    Add(*g, "C");
    Add(root, "D");

    EXPECT_EQ(Walk(root, true), (std::vector<std::string>{"A", "A1", "B", "C", "D"}));
    EXPECT_EQ(Walk(root, false), (std::vector<std::string>{"D", "C", "B", "A1", "A"}));
    // From a multimedia item: its photograph is before it, the photograph's children after.
    EXPECT_EQ(NextPhotograph(root, *sound), a1);
    EXPECT_EQ(PreviousPhotograph(root, *sound), a);
    // From groups, even an empty one.
    EXPECT_EQ(NextPhotograph(root, *g)->m_strCaption, "B");
    EXPECT_EQ(PreviousPhotograph(root, *g), a1);
    EXPECT_EQ(NextPhotograph(root, *h)->m_strCaption, "C");
    EXPECT_EQ(NextPhotograph(root, root), a);
    EXPECT_EQ(PreviousPhotograph(root, root), nullptr);
    // Steps stay inside the tree they are asked about.
    EXPECT_EQ(Walk(*g, true), (std::vector<std::string>{"B", "C"}));
}

TEST(PhotoSequence, BooksWithoutPhotographsAndARootThatIsOne)
{
    CPhotoNode empty;
    empty.m_bGroup = true;
    Add(*Add(empty, "G", true), "H", true);
    EXPECT_EQ(FirstPhotograph(empty), nullptr);
    EXPECT_EQ(LastPhotograph(empty), nullptr);

    // A damaged book may store its root without the group flag.
    CPhotoNode root;
    Add(root, "B");
    EXPECT_EQ(Walk(root, true), (std::vector<std::string>{"", "B"}));
    EXPECT_EQ(Walk(root, false), (std::vector<std::string>{"B", ""}));
}
