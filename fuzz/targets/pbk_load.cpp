// The Picture Book loader on arbitrary bytes, in both layouts. When a load
// succeeds, storing gives bytes that load again to the same bytes, and every
// node hangs below exactly its parent.

#include "model/Archive.h"
#include "model/OldCorvaleDoc.h"
#include "platform/Prompter.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class SilentPrompter : public Prompter {
public:
    PromptReply Ask(const std::string&, PromptButtons buttons, PromptIcon, const std::string&) override
    {
        return NegativeReply(buttons);
    }
};

void CheckParents(const CPhotoNode* node)
{
    for (const auto& child : node->m_photos) {
        if (child->m_pParent != node)
            std::abort();
        CheckParents(child.get());
    }
    for (const auto& media : node->m_media)
        if (media->m_pParent != node)
            std::abort();
}

std::string Store(CCorvaleDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

void CheckLayout(CCorvaleDoc& doc, const uint8_t* data, size_t size)
{
    if (!doc.LoadFromBytes(data, size))
        return;
    if (doc.m_root.m_pParent)
        std::abort();
    CheckParents(&doc.m_root);
    std::string first = Store(doc);
    CCorvaleDoc again;
    if (!again.LoadFromBytes(first.data(), first.size()))
        std::abort();
    if (Store(again) != first)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentPrompter prompter;
    static bool installed = (Prompter::SetCurrent(&prompter), true);
    (void)installed;
    {
        CCorvaleDoc doc;
        CheckLayout(doc, data, size);
    }
    {
        COldCorvaleDoc doc;
        // The older layout reads the sender from the settings; point them nowhere real.
        static bool isolated = (setenv("CORVALE_REGISTRY_DIR", "/nonexistent/corvale-fuzz", 1), true);
        (void)isolated;
        CheckLayout(doc, data, size);
    }
    return 0;
}
