#pragma once
// A width and height in pixels, as pictures and windows measure them.

#include <cstdint>

struct CSize {
    int32_t cx = 0;
    int32_t cy = 0;

    bool operator==(const CSize& other) const { return cx == other.cx && cy == other.cy; }
    bool operator!=(const CSize& other) const { return !(*this == other); }
};
