#pragma once
// The image object: one picture held in displayable DIB form (a 40-byte
// BITMAPINFOHEADER, a colour table, bottom-up rows padded to 4 bytes) with the
// machinery all picture formats share: loading and saving through a file
// object, the palette, row padding, vertical flipping and a read/write cache.
// Each format class supplies DoLoadImage and DoSaveImage.

#include "image/DibPicture.h"
#include "image/DibTypes.h"
#include "image/ImageLimits.h"
#include "platform/File.h"
#include "platform/MessageTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SECImage {
public:
    // The most any image may be allowed (see ImageLimits).
    static constexpr uint64_t kMaxPixels = ImageLimits::kMaxPixels;
    static constexpr uint64_t kMaxImageBytes = ImageLimits::kMaxBytes;

    SECImage();
    virtual ~SECImage();
    SECImage(const SECImage&) = delete;
    SECImage& operator=(const SECImage&) = delete;

    // The run-time class name: "SECDib", "CGifImage", "SECJpeg", "SECPcx", "SECTiff".
    virtual const char* GetClassName() const = 0;

    virtual bool CreatePalette();
    virtual bool LoadImage(const std::string& fileName);
    // Loading into an image that holds a picture never loses it on failure.
    virtual bool LoadImage(CFile* file);
    virtual bool SaveImage(const std::string& fileName);
    virtual bool SaveImage(CFile* file);
    virtual bool FreeImage();
    virtual bool FinishLoad();
    virtual bool BeforeSave() { return true; }
    virtual bool AfterSave() { return true; }
    virtual bool DoSaveImage(CFile* file) = 0;
    virtual bool DoLoadImage(CFile* file) = 0;
    virtual void CloseFiles();

    // What the user should be told about the last load or save that failed,
    // when its format has more to say than that it failed; empty otherwise.
    // The image never shows it: the program showing pictures does.
    const std::string& GetFailureText() const { return m_strFailure; }

    bool Padbits();
    bool UnpadBits();
    bool FlipVert();

    // Makes an empty (zero-filled) picture of the given size and depth with a
    // colour table of `colours` entries and a filled-in header, padded rows.
    // False when the size is out of bounds or memory runs out.
    bool Create(uint32_t width, uint32_t height, int bitsPerPixel, uint16_t colours);

    // The read/write cache used by the readers and writers (mode 1 reads, 2 writes).
    bool InitCache(size_t size, int mode);
    size_t CacheRead(void* buffer, size_t count);
    bool CacheWrite(const void* buffer, size_t count);
    bool CacheFlush();
    void ReleaseCache();

    // ((width * bits + 31) / 32) * 4 and (width * bits - 1) / 8 + 1, for this picture.
    uint64_t PaddedRowLength() const { return PaddedRowLength(m_picture.width, m_picture.bitsPerPixel); }
    uint64_t UnpaddedRowLength() const { return UnpaddedRowLength(m_picture.width, m_picture.bitsPerPixel); }
    static uint64_t PaddedRowLength(uint64_t width, int bitsPerPixel);
    static uint64_t UnpaddedRowLength(uint64_t width, int bitsPerPixel);
    // Padded size of a picture; false when it is larger than the limits allow.
    // Readers pass their image's own limits.
    static bool CheckedImageSize(uint64_t width, uint64_t height, int bitsPerPixel, size_t& bytes,
                                 const ImageLimits& limits = ImageLimits());
    // True when a picture of this many pixels is within the pixel limit.
    static bool PixelCountAllowed(uint64_t width, uint64_t height, const ImageLimits& limits = ImageLimits());
    // True when a pixel buffer of this many bytes is within the byte limit.
    static bool ByteCountAllowed(uint64_t bytes, const ImageLimits& limits = ImageLimits());

    // The most that a format's coding can make of its file: `decoded` bytes
    // of pixels (at the picture's own bits per pixel) from `coded` bytes.
    // Each reader works its bound out from the coding (the longest string of
    // one code, the longest run, the fewest bits for a block).
    struct CodingBound {
        uint64_t decoded;
        uint64_t coded;
    };
    // False when a width x height picture of `bitsPerPixel` bits would take
    // more than twice the bytes that `fileBytes` coded bytes can hold: the
    // size is then a lie (early-ending data would be filled in), not a
    // photograph, and nothing is allocated for it. The margin of two covers
    // what a reckoning leaves out; real photographs stay far below it.
    static bool InProportion(uint64_t width, uint64_t height, int bitsPerPixel, uint64_t fileBytes,
                             CodingBound bound, const ImageLimits& limits = ImageLimits());
    // The limits this image loads and makes pictures within; they can only be
    // lowered below the constants (fuzzing does, so that the same checks run
    // at many more inputs a second).
    void SetLimits(const ImageLimits& limits);
    const ImageLimits& GetLimits() const { return m_limits; }

    bool HasPicture() const
    {
        return !m_picture.bits.IsEmpty() && m_picture.width && m_picture.height && !m_picture.header.IsEmpty();
    }
    uint32_t GetWidth() const { return m_picture.width; }
    uint32_t GetHeight() const { return m_picture.height; }
    int GetBitsPerPixel() const { return m_picture.bitsPerPixel; }
    uint16_t GetColourCount() const { return m_picture.colours; }
    // True once the rows are padded to 4 bytes, as a loaded picture's always are.
    bool IsPadded() const { return m_picture.padded; }
    uint8_t* GetBits() { return m_picture.bits.Data(); }
    const uint8_t* GetBits() const { return m_picture.bits.Data(); }
    size_t GetBitsSize() const { return m_picture.bits.Size(); }
    uint8_t* GetHeaderBlock() { return m_picture.header.Data(); }
    const uint8_t* GetHeaderBlock() const { return m_picture.header.Data(); }
    size_t GetHeaderSize() const { return m_picture.header.Size(); }
    // The header block's BITMAPINFOHEADER (all zero when there is no block).
    BitmapInfoHeader GetInfoHeader() const;
    void SetInfoHeader(const BitmapInfoHeader& header);
    // Colour-table entry `index`, or null when the header block does not hold it.
    RgbQuad* GetColour(size_t index);
    const RgbQuad* GetColour(size_t index) const;
    const std::vector<PaletteEntry>& GetPalette() const { return m_picture.palette; }
    bool HasPalette() const { return m_picture.hasPalette; }

    // The screen the pictures are for; deep screens (the default) draw every
    // picture through its colour table.
    static void SetScreenFormat(int bitsPerPixel, int planes);

    int m_nDisplayBitsPerPixel = 0;
    int m_nDisplayPlanes = 1;
    uint16_t m_wDisplayColors = 0;
    CFile* m_pCurFile = nullptr; // not owned
    int m_nBitPos = 0;
    int m_nColumn = 0;
    int m_nBitOrder = 1;
    int64_t m_nFormatValue = 0;

protected:
    // Notes the message for GetFailureText; false, for the failing reader or writer to return.
    bool Fail(MessageId message);

    // Holds the palette built from `entries` (an empty list releases it).
    void SetPalette(std::vector<PaletteEntry> entries);
    void ReleasePalette();

    DibPicture m_picture;

    ImageLimits m_limits;

    MemBlock m_cache;
    size_t m_nCacheSize = 0;
    size_t m_nCacheFill = 0;
    size_t m_nCachePos = 0;

    std::vector<std::unique_ptr<CFile>> m_openedFiles;
    std::string m_strFailure;

private:
    bool OpenFileByName(const std::string& fileName, unsigned flags, CFile*& file);
};
