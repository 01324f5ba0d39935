#pragma once
// The JPEG image class: decodes and encodes JPEG files with libjpeg over the
// image's file object; colour pictures are held as 24-bit blue, green, red.

#include "image/SECImage.h"

#include <string>

struct jpeg_decompress_struct;
struct jpeg_compress_struct;

class SECJpeg : public SECImage {
public:
    SECJpeg();
    const char* GetClassName() const override { return "SECJpeg"; }

    // Reads a JPEG into a 24-bit picture, or into an 8-bit picture with a
    // 256-entry colour table when quantising for a screen of 8 bits or fewer.
    // Any library error fails the load; data that ends early is completed
    // with an end-of-image marker and loads.
    bool DoLoadImage(CFile* file) override;
    // Writes 1-, 4-, 8- and 24-bit pictures as baseline colour JPEG with the
    // library's default quality; the picture is unchanged afterwards.
    bool DoSaveImage(CFile* file) override;

    // The library's last error or warning of the latest load or save, kept
    // for diagnosis only: it is never shown to the user.
    const std::string& GetLibraryMessage() const { return m_strLibraryMessage; }

    // Set at construction when the screen shows 256 colours or fewer.
    bool m_bQuantize = false;
    // Kept for callers; the library's default quality applies.
    int m_nQuality = 75;

private:
    static void RunLoad(void* job);
    static void RunSave(void* job);
    // Both run inside the library's error guard: no local may need a destructor.
    bool ReadJpeg(jpeg_decompress_struct& cinfo);
    bool WriteJpeg(jpeg_compress_struct& cinfo);

    std::string m_strLibraryMessage;
};
