#pragma once
// Writes pictures as PNG files in memory: 8-bit RGB, no transparency (a
// Picture Book's pictures have none), compressed with zlib.

#include <cstdint>
#include <string>
#include <vector>

// `pixels` holds width * height 0xAARRGGBB values, top row first, as
// DibRenderer makes them; alpha is ignored. False, with `png` emptied, for a
// size of 0, a pixel count that does not match, or memory running out.
bool EncodePng(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height, std::string& png);
