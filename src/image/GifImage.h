#pragma once
// GIF pictures: a file's last image read into an 8-bit picture with the file's
// palette, and 8-bit (or shallower) pictures written as GIF87a files.

#include "image/SECImage.h"

#include <cstdint>

class CGifImage : public SECImage {
public:
    // A file is read up to this many bytes; anything behind counts as cut off.
    static constexpr uint64_t kMaxFileBytes = uint64_t(512) << 20;

    const char* GetClassName() const override { return "CGifImage"; }
    // The reader builds the palette itself; nothing is left to do.
    bool CreatePalette() override { return true; }
    // True whenever the file starts with "GIF8" and any image in it fits in memory.
    bool DoLoadImage(CFile* file) override;
    bool DoSaveImage(CFile* file) override;

    int m_nTransparentIndex = -1; // of the picture read; -1 for none
    int m_nRowStride = 0;         // bytes from one row of the picture read to the next
};
