#pragma once
// The orientation a camera records in a JPEG file's Exif block: how the
// stored rows must be turned and mirrored to show the picture upright.

#include <cstddef>
#include <cstdint>

// The Exif and TIFF orientation values: 1 upright, 2 mirrored left to right,
// 3 turned half round, 4 mirrored top to bottom, 5 mirrored along the
// leading diagonal, 6 to be turned a quarter clockwise, 7 mirrored along the
// other diagonal, 8 to be turned a quarter anticlockwise.
enum class Orientation : uint8_t {
    Upright = 1,
    MirrorAcross,
    HalfTurn,
    MirrorDown,
    Transpose,
    QuarterClockwise,
    Transverse,
    QuarterAnticlockwise,
};

// Upright for anything but 2..8.
Orientation OrientationFromTag(unsigned value);
// Whether the shown picture's width is the stored height (values 5 to 8).
bool SwapsSides(Orientation orientation);

// The orientation in the Exif block of a JPEG file held in memory; Upright
// when the file has none, or a damaged one. Reads only the headers before the
// picture data, every offset checked against `size`.
Orientation ReadJpegOrientation(const uint8_t* data, size_t size);
