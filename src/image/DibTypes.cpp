#include "image/DibTypes.h"

BitmapInfoHeader BitmapInfoHeader::Read(const uint8_t* p)
{
    BitmapInfoHeader h;
    h.biSize = GetLE32(p);
    h.biWidth = static_cast<int32_t>(GetLE32(p + 4));
    h.biHeight = static_cast<int32_t>(GetLE32(p + 8));
    h.biPlanes = GetLE16(p + 12);
    h.biBitCount = GetLE16(p + 14);
    h.biCompression = GetLE32(p + 16);
    h.biSizeImage = GetLE32(p + 20);
    h.biXPelsPerMeter = static_cast<int32_t>(GetLE32(p + 24));
    h.biYPelsPerMeter = static_cast<int32_t>(GetLE32(p + 28));
    h.biClrUsed = GetLE32(p + 32);
    h.biClrImportant = GetLE32(p + 36);
    return h;
}

void BitmapInfoHeader::Write(uint8_t* p) const
{
    PutLE32(p, biSize);
    PutLE32(p + 4, static_cast<uint32_t>(biWidth));
    PutLE32(p + 8, static_cast<uint32_t>(biHeight));
    PutLE16(p + 12, biPlanes);
    PutLE16(p + 14, biBitCount);
    PutLE32(p + 16, biCompression);
    PutLE32(p + 20, biSizeImage);
    PutLE32(p + 24, static_cast<uint32_t>(biXPelsPerMeter));
    PutLE32(p + 28, static_cast<uint32_t>(biYPelsPerMeter));
    PutLE32(p + 32, biClrUsed);
    PutLE32(p + 36, biClrImportant);
}
