#pragma once
// The cover of a Picture Book as a file manager shows it: the first picture
// of the book in tree order, fitted into a square, as the bytes of a PNG file.

#include "image/DisplayCopy.h"
#include "image/ImageLimits.h"

#include <cstdint>
#include <string>

enum class ThumbnailResult {
    Made,
    BookUnreadable, // the book cannot be read, or is damaged
    NoPicture,      // no node names a picture that can be loaded
    OutOfMemory,    // the fitted picture could not be made or encoded
};

// The nodes are tried depth first, each group or photograph before its
// children; multimedia items are passed over, and so is a node whose picture
// is missing or does not load. A picture already inside the square keeps its
// size. `png` is empty unless the result is Made. The user's messages for
// the book and its pictures go to the current Prompter. The pictures are read
// within `limits`.
ThumbnailResult MakeBookThumbnail(const std::string& bookPath, uint32_t size, std::string& png,
                                  const ImageLimits& limits = ImageLimits());
