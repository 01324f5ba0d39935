#pragma once
// The pictures an export makes for browsers: a small JPEG thumbnail of each
// photograph, and for the formats browsers do not show (PCX, TIFF) a copy at
// full size, PNG for palette pictures (every colour kept) and JPEG for
// deeper ones (photographs).

#include <cstdint>
#include <string>

class SECImage;

// True for file names whose pictures a browser cannot show (".pcx", ".tif").
bool NeedsBrowserCopy(const std::string& fileName);

struct BrowserCopy {
    std::string bytes;
    const char* extension = ""; // ".png" or ".jpg"
};
// The picture as drawn, at its own size. False when it cannot be drawn or
// encoded (memory running out).
bool MakeBrowserCopy(const SECImage& picture, BrowserCopy& copy);

// The picture fitted into a square of `size`, never enlarged, as JPEG bytes;
// `width` and `height` receive its size. False when it cannot be made.
bool MakeThumbnail(const SECImage& picture, uint32_t size, std::string& jpeg, uint32_t& width,
                   uint32_t& height);
