#pragma once
// The TIFF image class: reads TIFF files through libtiff (by name, or from
// memory) into the displayable form, and writes 1-, 4-, 8- and 24-bit pictures.

#include "image/SECImage.h"

#include <string>

struct tiff;

class SECTiff : public SECImage {
public:
    SECTiff();
    const char* GetClassName() const override { return "SECTiff"; }

    // libtiff opens the file itself. A failed load keeps the picture held
    // before. Content the reader cannot convert loads as a black picture;
    // only an unreadable file, 16 bits per pixel, an impossible size or a
    // lack of memory fail.
    bool LoadImage(const std::string& fileName) override;
    using SECImage::LoadImage;
    // Writes one strip with the compression held in m_nFormatValue (1 none,
    // 5 LZW, 8 Deflate, 32773 PackBits, ...). 16- and 32-bit pictures are
    // not written. The picture is unchanged afterwards.
    bool SaveImage(const std::string& fileName) override;
    using SECImage::SaveImage;
    // TIFF files are read and written by name only.
    bool DoLoadImage(CFile*) override { return false; }
    bool DoSaveImage(CFile*) override { return false; }

    // Reads a TIFF held in memory exactly as LoadImage reads a file.
    bool LoadFromMemory(const uint8_t* data, size_t size);

    // libtiff's last error or warning of the latest load or save, kept for
    // diagnosis only: it is never shown to the user.
    const std::string& GetLibraryMessage() const { return m_strLibraryMessage; }

private:
    struct Plan;
    bool LoadOpened(tiff* tif);
    bool ReadTiff(tiff* tif);
    void Convert(tiff* tif, const Plan& plan);
    void ConvertStrips(tiff* tif, const Plan& plan);
    void ConvertTiles(tiff* tif, const Plan& plan);
    void ConvertThroughRgba(tiff* tif, const Plan& plan);
    void PutBand(const Plan& plan, const uint8_t* data, size_t size, uint64_t rowBytes, uint32_t x0,
                 uint32_t y0, uint32_t columns, uint32_t rows, int plane);
    bool WriteTiff(const std::string& fileName);
    bool WriteOpened(tiff* tif);

    std::string m_strLibraryMessage;
};
