#pragma once
// A generated Picture Book of ordinary shape for the benchmarks: groups of 20
// photographs under the root, every fourth photograph with a sound clip, and
// captions and texts of everyday length.

#include "model/CorvaleDoc.h"

#include <memory>
#include <string>

inline std::unique_ptr<CCorvaleDoc> MakeBenchBook(int nodes)
{
    auto doc = std::make_unique<CCorvaleDoc>();
    doc->m_strBookTitle = "Summer holidays";
    doc->m_strOwnerName = "Ann Example";
    doc->m_strOwnerEmail = "ann@example.org";
    int made = 1;
    CPhotoNode* group = nullptr;
    for (int i = 0; made < nodes; ++i) {
        if (i % 20 == 0) {
            auto g = std::make_unique<CPhotoNode>();
            g->m_bGroup = 1;
            g->m_strCaption = "Day " + std::to_string(i / 20 + 1);
            g->m_strText = "What we did that day, in a sentence or two.";
            group = doc->m_root.AddPhoto(std::move(g));
            ++made;
        }
        auto p = std::make_unique<CPhotoNode>();
        p->SetFileName("IMG_" + std::to_string(10000 + i) + ".JPG");
        p->m_strCaption = "Photograph number " + std::to_string(i);
        p->m_strText = "A short description of the photograph, of ordinary length for a caption.";
        if (i % 4 == 0) {
            auto m = std::make_unique<CMediaNode>();
            m->SetFileName("clip" + std::to_string(i) + ".wav");
            m->m_strCaption = "Voice note";
            p->AddMedia(std::move(m));
            ++made;
        }
        group->AddPhoto(std::move(p));
        ++made;
    }
    return doc;
}
