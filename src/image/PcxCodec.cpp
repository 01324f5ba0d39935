#include "image/PcxCodec.h"

bool PcxDecodeInit(PcxDecodeState& state, PcxLayout layout, uint32_t width, uint32_t height,
                   uint32_t planes, uint32_t bytesPerLine, size_t outSize)
{
    state = PcxDecodeState();
    switch (layout) {
    case PcxLayout::Bytes:
        // A fourth plane (alpha) is read and dropped.
        if (planes != 1 && planes != 3 && planes != 4)
            return false;
        state.bytesPerPixel = planes == 1 ? 1 : 3;
        break;
    case PcxLayout::Planar:
        if (planes < 2 || planes > 4)
            return false;
        state.bytesPerPixel = 1;
        break;
    case PcxLayout::Monochrome:
        if (planes != 1)
            return false;
        state.bytesPerPixel = 1;
        break;
    default:
        return false;
    }
    if (width == 0 || height == 0 || bytesPerLine == 0)
        return false;
    state.rowBytes = uint64_t(width) * state.bytesPerPixel;
    if (state.rowBytes > outSize || height > outSize / state.rowBytes)
        return false;
    state.layout = layout;
    state.width = width;
    state.height = height;
    state.planes = planes;
    state.bytesPerLine = bytesPerLine;
    return true;
}

namespace {

// Puts one sample of the current plane line into the output and moves on.
inline void StoreSample(PcxDecodeState& s, uint8_t sample, uint8_t* out)
{
    uint8_t* row = out + uint64_t(s.line) * s.rowBytes;
    switch (s.layout) {
    case PcxLayout::Bytes:
        if (s.column < s.width) {
            if (s.bytesPerPixel == 1)
                row[s.column] = sample;
            else if (s.plane < 3) // planes red, green, blue become bytes blue, green, red
                row[uint64_t(s.column) * 3 + (2 - s.plane)] = sample;
        }
        break;
    case PcxLayout::Planar: {
        uint64_t x = uint64_t(s.column) * 8;
        uint8_t bit = static_cast<uint8_t>(1u << s.plane);
        for (int k = 0; k < 8 && x < s.width; ++k, ++x)
            if (sample & (0x80u >> k))
                row[x] |= bit;
        break;
    }
    case PcxLayout::Monochrome: {
        uint64_t x = uint64_t(s.column) * 8;
        for (int k = 0; k < 8 && x < s.width; ++k, ++x)
            row[x] = (sample & (0x80u >> k)) ? 255 : 0;
        break;
    }
    }
    if (++s.column == s.bytesPerLine) {
        s.column = 0;
        if (++s.plane == s.planes) {
            s.plane = 0;
            ++s.line;
        }
    }
}

} // namespace

size_t PcxDecode(PcxDecodeState& s, const uint8_t* data, size_t size, uint8_t* out)
{
    size_t i = 0;
    while (i < size && !PcxDecodeDone(s)) {
        uint8_t b = data[i++];
        if (s.bRunPending) {
            s.bRunPending = false;
            for (unsigned n = s.runCount; n > 0 && !PcxDecodeDone(s); --n)
                StoreSample(s, b, out);
        } else if (b >= 0xC0) {
            s.runCount = b & 0x3F;
            s.bRunPending = true;
        } else {
            StoreSample(s, b, out);
        }
    }
    return i;
}

size_t PcxEncodeRow(const uint8_t* samples, size_t count, uint8_t* out)
{
    size_t written = 0;
    size_t i = 0;
    while (i < count) {
        uint8_t value = samples[i];
        size_t run = 1;
        while (run < kPcxMaxRun && i + run < count && samples[i + run] == value)
            ++run;
        out[written++] = static_cast<uint8_t>(0xC0 + run);
        out[written++] = value;
        i += run;
    }
    return written;
}
