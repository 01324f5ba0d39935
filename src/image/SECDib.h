#pragma once
// Windows bitmap (BMP) pictures, kept with the file's own header, colour table
// and pixel bytes (compressed or not); also the class of display copies.

#include "image/SECImage.h"

#include <cstdint>

class SECDib : public SECImage {
public:
    static constexpr size_t kFileHeaderSize = 14;
    // Header and colour table together may not exceed this; anything larger
    // is not a bitmap header.
    static constexpr uint32_t kMaxHeaderBytes = 1u << 20;

    const char* GetClassName() const override { return "SECDib"; }
    bool DoLoadImage(CFile* file) override;
    bool DoSaveImage(CFile* file) override;
};
