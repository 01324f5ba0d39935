#pragma once
// The shrunken display copy of a photograph: whether and to what size the
// display settings shrink a picture, and the halftone-quality (area-average)
// reduction that makes the 24-bit copy.

#include <cstddef>
#include <cstdint>

class SECImage;

class DisplayCopy {
public:
    enum class Action {
        Keep,     // shrinking is off: leave any display copy as it is
        NoShrink, // discard any display copy; the picture is shown at its own size
        Shrink,   // make a display copy of the chosen size
    };

    // The size threshold of ImageShrinkSize 0..3; false for any other value.
    static bool ShrinkLimit(int shrinkSize, uint32_t& limitWidth, uint32_t& limitHeight);
    // The fixed fraction of ImageShrinkFactor 1..5 (3/4, 2/3, 1/2, 1/3, 1/4);
    // false for any other value (0 chooses among them, see Decide).
    static bool ShrinkFraction(int shrinkFactor, uint32_t& numerator, uint32_t& denominator);

    // The display size of a width x height picture under the display settings.
    // A picture is shrunk only when it reaches the threshold in both
    // directions. Factor 0 takes the first of 3/4, 2/3, 1/2, 1/3, 1/4 that
    // fits inside the threshold (none fitting: the picture's own size);
    // factors 1..5 are those fractions fixed. All fractions truncate
    // (w * n / d). A size or factor outside the known values means no
    // shrinking. displayWidth/Height get the size to show in every case.
    static Action Decide(uint32_t width, uint32_t height, bool shrinkLargeImages, int shrinkSize,
                         int shrinkFactor, uint32_t& displayWidth, uint32_t& displayHeight);

    // Makes `target` a 24-bit, bottom-up, padded picture of width x height,
    // each pixel the rounded average of the source area it covers (partly
    // covered source pixels count by their covered fraction), as DibRenderer
    // would draw the source. False, with `target` emptied, when the source
    // is refused, a size is 0 or beyond the picture limits, or memory runs
    // out; false with nothing touched when the target is the source.
    static bool Scale(const SECImage& source, uint32_t width, uint32_t height, SECImage& target);
    static bool Scale(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
                      uint32_t width, uint32_t height, SECImage& target);
};

// The largest width x height of the picture's proportions that fits a square
// of `size` (rounded, each side at least 1), never larger than the picture.
void FitIntoSquare(uint32_t width, uint32_t height, uint32_t size, uint32_t& fitWidth, uint32_t& fitHeight);
