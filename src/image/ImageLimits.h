#pragma once
// How large a picture an image object may hold. A picture beyond either limit
// fails to load (or to be made) instead of exhausting memory; each image
// carries its own, so that pictures read side by side need share nothing.

#include <cstdint>

struct ImageLimits {
    static constexpr uint64_t kMaxPixels = uint64_t(1) << 28;
    // 384 MiB: a 24-bit picture of 128 million pixels, which leaves room for
    // a reader's working buffers beside it.
    static constexpr uint64_t kMaxBytes = uint64_t(3) << 27;

    uint64_t maxPixels = kMaxPixels;
    uint64_t maxBytes = kMaxBytes;
};
