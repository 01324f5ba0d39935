#pragma once
// PCX pictures: reads run-length files of 1-bit monochrome, 1-bit planar (up
// to 16 colours), 8-bit indexed and 24-bit colour, and writes 8-bit ones.

#include "image/SECImage.h"

#include <cstdint>

class SECPcx : public SECImage {
public:
    // The 128-byte file header, little-endian in the file.
    struct FileHeader {
        uint8_t manufacturer = 10;
        uint8_t version = 5;
        uint8_t encoding = 1;
        uint8_t bitsPerPixel = 8; // per plane
        uint16_t xMin = 0;
        uint16_t yMin = 0;
        uint16_t xMax = 0;
        uint16_t yMax = 0;
        uint16_t hRes = 640;
        uint16_t vRes = 480;
        uint8_t palette[48] = {}; // 16 entries of red, green, blue
        uint8_t reserved = 0;
        uint8_t planes = 1;
        uint16_t bytesPerLine = 0; // per plane
        uint16_t paletteInfo = 2;
        uint16_t hScreenSize = 0;
        uint16_t vScreenSize = 0;
        uint8_t filler[54] = {};

        static constexpr size_t kSize = 128;
        static FileHeader Read(const uint8_t* p); // p holds kSize bytes
        void Write(uint8_t* p) const;
    };

    // The read and write cache size.
    static constexpr size_t kCacheSize = 60000;

    const char* GetClassName() const override { return "SECPcx"; }
    bool DoLoadImage(CFile* file) override;
    // Writes 8-bit samples whatever the depth (1 and 4 bits included); fails
    // for deeper pictures. The picture is left as it was.
    bool DoSaveImage(CFile* file) override;

    // The header last read or written.
    const FileHeader& GetFileHeader() const { return m_pcxHeader; }

private:
    bool ReadPalette(uint8_t* chunk, size_t chunkSize, size_t& pos, size_t& len);
    bool WritePixels();

    FileHeader m_pcxHeader;
};
