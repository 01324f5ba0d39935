#pragma once
// What every picture fuzz target does after a load: draw the result through
// the renderer, as the viewer would, so a picture that loads can also be shown.

#include "image/DibRenderer.h"
#include "image/SECImage.h"
#include "platform/Prompter.h"

#include <string>
#include <vector>

class SilentFuzzPrompter : public Prompter {
public:
    PromptReply Ask(const std::string&, PromptButtons buttons, PromptIcon, const std::string&) override
    {
        return NegativeReply(buttons);
    }
    static void Install()
    {
        static SilentFuzzPrompter prompter;
        static bool installed = (Prompter::SetCurrent(&prompter), true);
        (void)installed;
    }
};

// Lower limits than the viewer's, so the fuzzer spends its time on the
// readers' logic rather than on zero-filling giant buffers.
inline const ImageLimits kFuzzLimits{uint64_t(1) << 16, uint64_t(1) << 18};

// Large pictures are drawn a few rows at a time: the fuzzer's memory limit is
// for the readers, not for a full-size drawing of a picture they accepted.
inline void RenderLoaded(const SECImage& image)
{
    if (!image.HasPicture())
        return;
    DibRenderer::Layout layout;
    if (!DibRenderer::ReadLayout(image.GetHeaderBlock(), image.GetHeaderSize(), layout))
        return;
    if (uint64_t(layout.width) * layout.height <= (uint64_t(1) << 22)) {
        std::vector<uint32_t> pixels;
        DibRenderer::Render(layout, image.GetBits(), image.GetBitsSize(), pixels);
        return;
    }
    std::vector<uint32_t> row(layout.width);
    for (uint32_t y : {0u, layout.height / 2, layout.height - 1})
        DibRenderer::RenderRow(layout, image.GetBits(), image.GetBitsSize(), y, row.data());
}
