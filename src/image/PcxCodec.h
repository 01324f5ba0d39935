#pragma once
// PCX run-length coding over byte buffers: a resumable decoder that lays the
// plane lines of a file out as top-down, unpadded 8-bit or 24-bit rows, and
// the encoder for one row of 8-bit samples.

#include <cstddef>
#include <cstdint>

// How the samples of a file's plane lines make up its pixels.
enum class PcxLayout {
    Bytes,      // 8 bits per plane: one plane gives colour indices, three or four give blue, green, red
    Planar,     // 1 bit per plane, 2 to 4 planes: bit i of a pixel's index comes from plane i
    Monochrome, // 1 bit, 1 plane: set bits become 255, clear bits 0
};

// Everything the decoder needs between two pieces of input.
struct PcxDecodeState {
    PcxLayout layout = PcxLayout::Bytes;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t planes = 0;
    uint32_t bytesPerLine = 0; // per plane
    uint32_t bytesPerPixel = 0; // of the output rows: 1, or 3 for colour
    uint64_t rowBytes = 0;      // width * bytesPerPixel

    uint32_t line = 0;   // line being filled; height when decoding is complete
    uint32_t plane = 0;  // plane being filled within the line
    uint32_t column = 0; // sample position within the plane's line
    bool bRunPending = false; // a count byte has been read, its value byte has not
    uint8_t runCount = 0;
};

// Prepares `state` for decoding into an output of `outSize` bytes. False when
// the geometry is not one the decoder handles or the output cannot hold
// height rows of width * bytes-per-pixel bytes.
bool PcxDecodeInit(PcxDecodeState& state, PcxLayout layout, uint32_t width, uint32_t height,
                   uint32_t planes, uint32_t bytesPerLine, size_t outSize);

// Decodes `size` bytes of run-length data into `out` (the buffer given to
// PcxDecodeInit, zero-filled beforehand) and returns how many were consumed:
// all of them, or fewer when the last line was completed on the way. A run
// that reaches past the last line is cut there. Samples beyond the width of a
// plane line are dropped, so padding never reaches another line.
size_t PcxDecode(PcxDecodeState& state, const uint8_t* data, size_t size, uint8_t* out);

inline bool PcxDecodeDone(const PcxDecodeState& state) { return state.line >= state.height; }

// The longest run the encoder writes.
constexpr size_t kPcxMaxRun = 63;

// Encodes one row of 8-bit samples into `out`, which must hold 2 * count
// bytes: runs of equal samples of at most 63, each written as 0xC0 + length
// followed by the value, even a run of one. Returns the bytes written.
size_t PcxEncodeRow(const uint8_t* samples, size_t count, uint8_t* out);
