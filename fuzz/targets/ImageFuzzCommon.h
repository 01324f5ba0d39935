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

inline void RenderLoaded(const SECImage& image)
{
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    if (image.HasPicture())
        DibRenderer::Render(image, pixels, width, height);
}
