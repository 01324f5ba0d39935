#include "image/GifCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr size_t kHeaderSize = 13;
constexpr size_t kDescriptorSize = 9;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;

// Copies up to `count` bytes from `pos` on, zero-fills what the data does not
// hold, advances `pos` by the bytes copied and returns their number.
size_t ReadBytes(const uint8_t* data, size_t size, size_t& pos, uint8_t* out, size_t count)
{
    size_t available = pos < size ? size - pos : 0;
    size_t n = std::min(available, count);
    if (n)
        std::memcpy(out, data + pos, n);
    std::memset(out + n, 0, count - n);
    pos += n;
    return n;
}

void ReadColourTable(const uint8_t* data, size_t size, size_t& pos, uint8_t packed, GifColourTable& table)
{
    table = GifColourTable();
    table.nEntries = 2 << (packed & 7);
    ReadBytes(data, size, pos, table.rgb, 3 * static_cast<size_t>(table.nEntries));
}

// The position behind a chain of sub-blocks starting at `pos` (a length byte).
// Past the end of the data when the chain is cut short.
size_t SkipSubBlocks(const uint8_t* data, size_t size, size_t pos)
{
    while (pos < size) {
        uint8_t length = data[pos++];
        if (length == 0)
            break;
        pos += length;
    }
    return pos;
}

} // namespace

bool GifParseFile(const uint8_t* data, size_t size, GifFileInfo& info)
{
    info = GifFileInfo();
    if (size < 4 || std::memcmp(data, "GIF8", 4) != 0)
        return false;
    uint8_t header[kHeaderSize];
    size_t pos = 0;
    ReadBytes(data, size, pos, header, kHeaderSize);
    info.screenWidth = GetLE16(header + 6);
    info.screenHeight = GetLE16(header + 8);
    if (header[10] & 0x80)
        ReadColourTable(data, size, pos, header[10], info.globalTable);

    // A graphic control extension speaks for the one image that follows it.
    int transparent = -1;
    while (pos < size) {
        uint8_t introducer = data[pos++];
        if (introducer == kExtensionIntroducer) {
            if (pos >= size)
                break;
            uint8_t label = data[pos++];
            if (label == kGraphicControlLabel) {
                if (pos >= size)
                    break;
                uint8_t blockSize = data[pos++];
                uint8_t control[4];
                if (ReadBytes(data, size, pos, control, 4) != blockSize)
                    break;
                transparent = (control[0] & 1) ? control[3] : -1;
            }
            pos = SkipSubBlocks(data, size, pos);
        } else if (introducer == kImageSeparator) {
            if (size - pos < kDescriptorSize)
                break;
            const uint8_t* d = data + pos;
            pos += kDescriptorSize;
            GifImageInfo image;
            image.left = GetLE16(d);
            image.top = GetLE16(d + 2);
            image.width = GetLE16(d + 4);
            image.height = GetLE16(d + 6);
            image.bInterlaced = (d[8] & 0x40) != 0;
            image.bLocalTable = (d[8] & 0x80) != 0;
            if (image.bLocalTable)
                ReadColourTable(data, size, pos, d[8], info.lastLocalTable);
            image.transparentIndex = transparent;
            transparent = -1;
            image.dataOffset = pos;
            info.lastImage = image;
            ++info.imageCount;
            if (uint32_t(image.width) * image.height >= uint32_t(info.largestWidth) * info.largestHeight) {
                info.largestWidth = image.width;
                info.largestHeight = image.height;
            }
            // The walk goes on behind the image's data, however its decoding ends.
            if (pos < size)
                pos = SkipSubBlocks(data, size, pos + 1);
        } else {
            break; // the trailer, or a block this reader does not know
        }
    }
    return true;
}

const GifColourTable* GifTableFor(const GifFileInfo& info)
{
    if (info.imageCount > 0 && info.lastImage.bLocalTable)
        return &info.lastLocalTable;
    if (info.globalTable.nEntries > 0)
        return &info.globalTable;
    return nullptr;
}

std::vector<PaletteEntry> GifMakePalette(const GifColourTable& table, int transparentIndex)
{
    int n = std::clamp(table.nEntries, 0, 256);
    uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
    bool bWhite = false;
    for (int i = 0; i < n; ++i) {
        red[i] = table.rgb[3 * i];
        green[i] = table.rgb[3 * i + 1];
        blue[i] = table.rgb[3 * i + 2];
        if (red[i] == 255 && green[i] == 255 && blue[i] == 255)
            bWhite = true;
    }
    int count = n;
    if (transparentIndex >= 0 && transparentIndex < 256) {
        red[transparentIndex] = green[transparentIndex] = blue[transparentIndex] = 0;
        if (n < 256) {
            for (int i = n; i < 256; ++i)
                red[i] = green[i] = blue[i] = 255;
            bWhite = true;
        }
        if (!bWhite)
            red[255] = green[255] = blue[255] = 255;
        count = 256;
    }
    std::vector<PaletteEntry> palette(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        palette[i] = {red[i], green[i], blue[i], 0};
    return palette;
}

void GifStandardColours(RgbQuad table[256])
{
    static const uint8_t kColours[16][3] = {
        {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = kColours[i % 16];
        table[i] = {c[2], c[1], c[0], 0};
    }
}

// ---------------------------------------------------------------------------
// LZW decoding

namespace {

constexpr unsigned kMaxCodes = 4096;
constexpr unsigned kMaxCodeBits = 12;
constexpr size_t kWindowSize = 16384;

inline uint64_t Load64LE(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

inline void Store64LE(uint8_t* p, uint64_t v)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    std::memcpy(p, &v, sizeof v);
}

// The image data's sub-blocks, handed out as contiguous pieces.
struct BlockChain {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;        // next byte of the file to look at
    size_t blockLeft = 0;  // payload bytes left in the current sub-block
    bool bEnded = false;   // a zero block or the end of the file was met
};

// Fills `window` with up to kWindowSize payload bytes; returns their number.
size_t FillWindow(BlockChain& chain, uint8_t* window)
{
    size_t length = 0;
    while (length < kWindowSize && !chain.bEnded) {
        if (chain.blockLeft == 0) {
            if (chain.pos >= chain.size) {
                chain.bEnded = true;
                break;
            }
            chain.blockLeft = chain.data[chain.pos++];
            if (chain.blockLeft == 0) {
                chain.bEnded = true;
                break;
            }
        }
        size_t n = std::min({chain.blockLeft, kWindowSize - length, chain.size - chain.pos});
        if (n == 0) { // the file ends inside a sub-block
            chain.bEnded = true;
            break;
        }
        std::memcpy(window + length, chain.data + chain.pos, n);
        chain.pos += n;
        chain.blockLeft -= n;
        length += n;
    }
    return length;
}

// The working tables of one decoding. Besides each string's last character
// and the code of the rest (prefix), an entry holds the string's length and
// its first 8 characters (lowest byte first), so that short strings are
// written with one store and long ones need walking only past their 8th
// character. `stack` takes strings that cross the end of a line.
struct LzwDecoder {
    uint64_t head[kMaxCodes + 1];   // the last entry takes writes once the table is full
    uint16_t prefix[kMaxCodes + 1];
    uint8_t suffix[kMaxCodes + 1];
    uint16_t length[kMaxCodes + 1];
    uint8_t stack[kMaxCodes];
    uint8_t window[kWindowSize];
};

// Where decoded lines go: top-down rows, or the four passes of an interlaced image.
class RowWalk {
public:
    RowWalk(uint8_t* topRow, ptrdiff_t rowStep, uint32_t height, bool bInterlaced)
        : m_pTop(topRow), m_nStep(rowStep), m_nHeight(height), m_bInterlaced(bInterlaced),
          m_nRowInc(bInterlaced ? 8 : 1)
    {
    }
    uint8_t* Current() const { return m_pTop + static_cast<ptrdiff_t>(m_nRow) * m_nStep; }
    // Moves to the row of the next line; false when no line is stored any more.
    bool Next()
    {
        static const uint32_t kStart[4] = {0, 4, 2, 1};
        static const uint32_t kInc[4] = {8, 8, 4, 2};
        m_nRow += m_nRowInc;
        while (m_nRow >= m_nHeight) {
            if (!m_bInterlaced || ++m_nPass >= 4)
                return false;
            m_nRow = kStart[m_nPass];
            m_nRowInc = kInc[m_nPass];
        }
        return true;
    }

private:
    uint8_t* m_pTop;
    ptrdiff_t m_nStep;
    uint32_t m_nHeight;
    bool m_bInterlaced;
    uint32_t m_nRow = 0;
    uint32_t m_nRowInc;
    int m_nPass = 0;
};

#if defined(_MSC_VER)
#define GIF_NOINLINE __declspec(noinline)
#else
#define GIF_NOINLINE __attribute__((noinline))
#endif

// The bit reader's state, handed to the refill below and back. The byte at
// `in` belongs at bit `nBits` of `bits`; the bits above may already hold a
// copy of the bytes that follow, so loading them again changes nothing.
struct BitReader {
    uint64_t bits;
    unsigned nBits;
    const uint8_t* in;
    const uint8_t* inEnd;
};

// Tops the bits up byte by byte, refilling the window from the sub-blocks;
// fewer than 57 bits afterwards only at the end of the data.
GIF_NOINLINE void RefillBits(BitReader& r, BlockChain& chain, uint8_t* window)
{
    while (r.nBits <= 56) {
        if (r.in == r.inEnd) {
            r.in = window;
            r.inEnd = window + FillWindow(chain, window);
            if (r.in == r.inEnd)
                break;
        }
        r.bits |= uint64_t(*r.in++) << r.nBits;
        r.nBits += 8;
    }
}

// The decoding state the rare codes work on: clear and end codes, the first
// code after a clear, strings crossing a line's end, the next free code and
// bad codes. The fast path keeps its own copies in registers.
struct LzwContext {
    LzwDecoder* pTables;
    unsigned minSize, clearCode, endCode, newCodes;
    unsigned codeSize, mask, slot, topSlot;
    unsigned oldCode;
    unsigned firstChar;    // of the old code's string; the fast path does not keep it
    bool bAfterClear;      // until the first clear code the stream reads as if one had just come
    // Set by a code above the next free one: from then until the next clear
    // the table may hold circles and wrong lengths, so strings are walked one
    // by one onto a bounded stack instead of written by their lengths.
    bool bTainted;
    RowWalk rows;
    uint8_t* line;
    uint32_t column, width;
    GifDecodeResult result;

    bool FastPathOpen() const { return !bAfterClear && !bTainted; }

    void AddEntry(unsigned root, unsigned code)
    {
        LzwDecoder& s = *pTables;
        const unsigned n = s.length[oldCode];
        s.head[slot] = n < 8 ? s.head[oldCode] | uint64_t(root) << (8 * n) : s.head[oldCode];
        s.suffix[slot] = static_cast<uint8_t>(root);
        s.prefix[slot] = static_cast<uint16_t>(oldCode);
        s.length[slot] = static_cast<uint16_t>(s.length[oldCode] + 1);
        ++slot;
        firstChar = root;
        oldCode = code;
        if (slot >= topSlot && codeSize < kMaxCodeBits) {
            topSlot <<= 1;
            ++codeSize;
            mask = topSlot - 1;
        }
    }

    // Sends `n` bytes across as many lines as they fill; false when no line is left.
    bool Emit(const uint8_t* src, size_t n)
    {
        while (n) {
            size_t k = std::min<size_t>(width - column, n);
            std::memcpy(line + column, src, k);
            column += static_cast<uint32_t>(k);
            src += k;
            n -= k;
            if (column == width) {
                ++result.linesDone;
                if (!rows.Next()) {
                    result.end = GifDecodeEnd::AllRows;
                    return false;
                }
                line = rows.Current();
                column = 0;
            }
        }
        return true;
    }

    // False when decoding has ended (result.end says why).
    GIF_NOINLINE bool RareCode(unsigned code)
    {
        LzwDecoder& s = *pTables;
        if (code == clearCode) {
            codeSize = minSize + 1;
            mask = (1u << codeSize) - 1;
            slot = newCodes;
            topSlot = 1u << codeSize;
            bAfterClear = true; // further clear codes land here again
            bTainted = false;
            return true;
        }
        if (code == endCode) {
            result.end = GifDecodeEnd::EndCode;
            return false;
        }
        uint8_t* const stackEnd = s.stack + kMaxCodes;
        uint8_t* sp = stackEnd;
        if (bAfterClear) {
            bAfterClear = false;
            unsigned c = code >= slot ? 0 : code; // a code not yet defined counts as 0
            oldCode = firstChar = c;
            *--sp = static_cast<uint8_t>(c);
            return Emit(sp, 1);
        }
        if (!bTainted && code <= slot) {
            // A string crossing the end of the line, or the next free code:
            // the old code's string followed by its own first character.
            const bool bNext = code == slot;
            unsigned walk = bNext ? oldCode : code;
            const unsigned n = s.length[walk];
            if (n == 0 || n >= kMaxCodes) {
                result.end = GifDecodeEnd::Corrupt;
                return false;
            }
            if (bNext)
                --sp;
            sp -= n;
            for (unsigned i = n - 1; i != 0; --i) {
                sp[i] = s.suffix[walk];
                walk = s.prefix[walk];
            }
            sp[0] = static_cast<uint8_t>(walk);
            if (bNext)
                stackEnd[-1] = static_cast<uint8_t>(walk);
            if (slot < topSlot)
                AddEntry(walk, code);
            return Emit(sp, static_cast<size_t>(stackEnd - sp));
        }
        if (!bTainted) {
            // The fast path does not keep the first character: it is the
            // first of the old code's string, still trustworthy here.
            firstChar = static_cast<uint8_t>(s.head[oldCode]);
            bTainted = true;
        }
        // A code above the next free one (or any code while the table is in
        // doubt) is taken as the next free code.
        unsigned walk = code;
        if (walk >= slot) {
            if (walk > slot)
                ++result.badCodes;
            walk = oldCode;
            *--sp = static_cast<uint8_t>(firstChar);
        }
        while (walk >= newCodes) {
            if (sp == s.stack) {
                result.end = GifDecodeEnd::Corrupt;
                return false;
            }
            *--sp = s.suffix[walk];
            walk = s.prefix[walk];
        }
        if (sp == s.stack) {
            result.end = GifDecodeEnd::Corrupt;
            return false;
        }
        *--sp = static_cast<uint8_t>(walk);
        if (slot < topSlot)
            AddEntry(walk, code);
        return Emit(sp, static_cast<size_t>(stackEnd - sp));
    }
};

} // namespace

GifDecodeResult GifDecodeImage(const uint8_t* data, size_t size, const GifImageInfo& image,
                               uint8_t* topRow, ptrdiff_t rowStep)
{
    GifDecodeResult result;
    if (image.dataOffset >= size) {
        result.end = GifDecodeEnd::DataEnd;
        return result;
    }
    const unsigned minSize = data[image.dataOffset];
    if (minSize < 2 || minSize > 9) {
        result.end = GifDecodeEnd::BadCodeSize;
        return result;
    }
    const uint32_t width = image.width;
    if (width == 0 || image.height == 0) {
        result.end = GifDecodeEnd::AllRows;
        return result;
    }
    std::unique_ptr<LzwDecoder> state(new (std::nothrow) LzwDecoder);
    if (!state) {
        result.end = GifDecodeEnd::OutOfMemory;
        return result;
    }
    LzwDecoder& s = *state;
    const unsigned clearCode = 1u << minSize;
    std::memset(s.head, 0, sizeof s.head);
    std::memset(s.prefix, 0, sizeof s.prefix);
    std::memset(s.suffix, 0, sizeof s.suffix);
    std::memset(s.length, 0, sizeof s.length);
    for (unsigned i = 0; i < clearCode; ++i) {
        s.head[i] = static_cast<uint8_t>(i);
        s.length[i] = 1;
    }

    LzwContext ctx{&s,
                   minSize,
                   clearCode,
                   clearCode + 1,
                   clearCode + 2,
                   minSize + 1,
                   (2u << minSize) - 1,
                   clearCode + 2,
                   2u << minSize,
                   0,
                   0,
                   true,
                   false,
                   RowWalk(topRow, rowStep, image.height, image.bInterlaced),
                   nullptr,
                   0,
                   width,
                   GifDecodeResult()};
    ctx.line = ctx.rows.Current();

    BlockChain chain;
    chain.data = data;
    chain.size = size;
    chain.pos = image.dataOffset + 1;

    // The hot state, in locals. While the fast path is open `limit` is the
    // next free code plus one, while it is closed 0 (the context then holds
    // the next free code). `prevHead` and `prevLength` are the old code's.
    uint64_t bits = 0; // codes are taken from the low end
    unsigned nBits = 0;
    const uint8_t* in = s.window;
    const uint8_t* inEnd = s.window;
    unsigned codeSize = ctx.codeSize;
    unsigned mask = ctx.mask;
    unsigned limit = 0;
    unsigned oldCode = 0;
    uint64_t prevHead = 0;
    unsigned prevLength = 0;
    uint8_t* line = ctx.line;
    uint32_t column = 0;

    for (;;) {
        if (inEnd - in >= 8) {
            bits |= Load64LE(in) << nBits;
            in += (63 - nBits) >> 3;
            nBits |= 56;
        } else if (nBits < codeSize) {
            BitReader r{bits, nBits, in, inEnd};
            RefillBits(r, chain, s.window);
            bits = r.bits;
            nBits = r.nBits;
            in = r.in;
            inEnd = r.inEnd;
            if (nBits < codeSize) {
                ctx.result.end = GifDecodeEnd::DataEnd;
                return ctx.result;
            }
        }
        const unsigned code = static_cast<unsigned>(bits) & mask;
        bits >>= codeSize;
        nBits -= codeSize;

        // The common case: a known string, or the next free code, that fits
        // in the current line goes straight into the row.
        if (code < limit && code - clearCode >= 2) {
            const unsigned slot = limit - 1;
            uint64_t head = s.head[code];
            unsigned n = s.length[code];
            // The new entry: the old code's string and this string's first character.
            const unsigned first = static_cast<uint8_t>(code < slot ? head : prevHead);
            const uint64_t newHead = prevLength < 8 ? prevHead | uint64_t(first) << (8 * prevLength) : prevHead;
            if (code == slot) {
                head = newHead;
                n = prevLength + 1;
            }
            const uint32_t room = width - column;
            if (n <= room) {
                // A full table takes no more entries; its spare entry absorbs the writes.
                s.head[slot] = newHead;
                s.length[slot] = static_cast<uint16_t>(prevLength + 1);
                s.prefix[slot] = static_cast<uint16_t>(oldCode);
                s.suffix[slot] = static_cast<uint8_t>(first);
                uint8_t* dst = line + column;
                if (room >= 8) {
                    // Eight bytes at once: behind a shorter string they are 0,
                    // and the strings that follow write over them.
                    Store64LE(dst, head);
                    unsigned walk = code;
                    for (unsigned i = n; i > 8; --i) {
                        dst[i - 1] = s.suffix[walk];
                        walk = s.prefix[walk];
                    }
                } else {
                    for (unsigned i = 0; i < n; ++i)
                        dst[i] = static_cast<uint8_t>(head >> (8 * i));
                }
                oldCode = code;
                prevHead = head;
                prevLength = n;
                if (slot < kMaxCodes && ++limit == ctx.topSlot + 1 && codeSize < kMaxCodeBits) {
                    ctx.topSlot <<= 1;
                    ++codeSize;
                    mask = ctx.topSlot - 1;
                }
                column += n;
                if (column == width) {
                    ++ctx.result.linesDone;
                    if (!ctx.rows.Next()) {
                        ctx.result.end = GifDecodeEnd::AllRows;
                        return ctx.result;
                    }
                    line = ctx.rows.Current();
                    column = 0;
                }
                continue;
            }
        }

        if (limit)
            ctx.slot = limit - 1;
        ctx.codeSize = codeSize;
        ctx.mask = mask;
        ctx.oldCode = oldCode;
        ctx.line = line;
        ctx.column = column;
        if (!ctx.RareCode(code))
            return ctx.result;
        codeSize = ctx.codeSize;
        mask = ctx.mask;
        oldCode = ctx.oldCode;
        line = ctx.line;
        column = ctx.column;
        limit = ctx.FastPathOpen() ? ctx.slot + 1 : 0;
        prevHead = s.head[oldCode];
        prevLength = s.length[oldCode];
    }
}

// ---------------------------------------------------------------------------
// LZW encoding

namespace {

constexpr int kHashSize = 5003; // a prime somewhat above 4096
constexpr int kInitBits = 9;

// The working tables and bit state of one encoding.
struct LzwEncoder {
    int32_t hashKeys[kHashSize];  // -1 = empty
    uint16_t hashCodes[kHashSize];
    uint8_t packet[256];
    int packetCount = 0;
    uint32_t accumulator = 0;
    int accumulatorBits = 0;
    int codeBits = kInitBits;
    int maxCode = (1 << kInitBits) - 1;
    int freeCode = 0;
    int clearCode = 0;
    int endCode = 0;
    bool bClear = false;
    std::vector<uint8_t>* pOut = nullptr;

    void ClearHash() { std::fill(std::begin(hashKeys), std::end(hashKeys), -1); }

    void FlushPacket()
    {
        if (packetCount > 0) {
            pOut->push_back(static_cast<uint8_t>(packetCount));
            pOut->insert(pOut->end(), packet, packet + packetCount);
            packetCount = 0;
        }
    }

    void PutByte(uint8_t b)
    {
        packet[packetCount++] = b;
        if (packetCount >= 254)
            FlushPacket();
    }

    void Output(int code)
    {
        accumulator &= (1u << accumulatorBits) - 1;
        accumulator |= static_cast<uint32_t>(code) << accumulatorBits;
        accumulatorBits += codeBits;
        while (accumulatorBits >= 8) {
            PutByte(static_cast<uint8_t>(accumulator));
            accumulator >>= 8;
            accumulatorBits -= 8;
        }
        if (freeCode > maxCode || bClear) {
            if (bClear) {
                codeBits = kInitBits;
                maxCode = (1 << codeBits) - 1;
                bClear = false;
            } else {
                ++codeBits;
                maxCode = codeBits == static_cast<int>(kMaxCodeBits) ? static_cast<int>(kMaxCodes)
                                                                     : (1 << codeBits) - 1;
            }
        }
        if (code == endCode) {
            while (accumulatorBits > 0) {
                PutByte(static_cast<uint8_t>(accumulator));
                accumulator >>= 8;
                accumulatorBits -= 8;
            }
            FlushPacket();
        }
    }
};

} // namespace

void GifEncodeImageData(const uint8_t* topRow, ptrdiff_t rowStep, uint32_t width, uint32_t height,
                        std::vector<uint8_t>& out)
{
    out.push_back(8); // minimum code size
    if (width == 0 || height == 0) {
        out.push_back(0);
        return;
    }
    std::unique_ptr<LzwEncoder> state(new LzwEncoder);
    LzwEncoder& e = *state;
    e.pOut = &out;
    e.clearCode = 256;
    e.endCode = 257;
    e.freeCode = 258;
    // Doublings of the table size needed to reach 65536, taken from 8.
    int shift = 0;
    for (long f = kHashSize; f < 65536; f *= 2)
        ++shift;
    shift = 8 - shift;

    e.ClearHash();
    e.Output(e.clearCode);

    int current = topRow[0];
    uint32_t x = 1;
    const uint8_t* row = topRow;
    for (uint32_t y = 0; y < height; ++y, row += rowStep, x = 0) {
        for (; x < width; ++x) {
            int c = row[x];
            int32_t key = (static_cast<int32_t>(c) << kMaxCodeBits) + current;
            int i = (c << shift) ^ current;
            if (e.hashKeys[i] == key) {
                current = e.hashCodes[i];
                continue;
            }
            if (e.hashKeys[i] >= 0) {
                int displacement = i == 0 ? 1 : kHashSize - i;
                bool bFound = false;
                do {
                    i -= displacement;
                    if (i < 0)
                        i += kHashSize;
                    if (e.hashKeys[i] == key) {
                        bFound = true;
                        break;
                    }
                } while (e.hashKeys[i] > 0);
                if (bFound) {
                    current = e.hashCodes[i];
                    continue;
                }
            }
            e.Output(current);
            current = c;
            if (e.freeCode < static_cast<int>(kMaxCodes)) {
                e.hashCodes[i] = static_cast<uint16_t>(e.freeCode++);
                e.hashKeys[i] = key;
            } else {
                e.ClearHash();
                e.freeCode = 258;
                e.bClear = true;
                e.Output(e.clearCode);
            }
        }
    }
    e.Output(current);
    e.Output(e.endCode);
    out.push_back(0); // block terminator
}

bool GifEncode(const uint8_t* topRow, ptrdiff_t rowStep, uint32_t width, uint32_t height,
               const uint8_t rgb[768], std::vector<uint8_t>& out)
{
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF)
        return false;
    uint8_t header[kHeaderSize] = {'G', 'I', 'F', '8', '7', 'a'};
    PutLE16(header + 6, static_cast<uint16_t>(width));
    PutLE16(header + 8, static_cast<uint16_t>(height));
    header[10] = 0xE7; // global table of 256 entries, 8 bits of colour resolution
    header[11] = 0;    // background
    header[12] = 0;    // aspect
    out.assign(header, header + kHeaderSize);
    out.reserve(kHeaderSize + 768 + 10 + static_cast<size_t>(width) * height + 16);
    out.insert(out.end(), rgb, rgb + 768);
    uint8_t descriptor[10] = {kImageSeparator};
    PutLE16(descriptor + 5, static_cast<uint16_t>(width));
    PutLE16(descriptor + 7, static_cast<uint16_t>(height));
    out.insert(out.end(), descriptor, descriptor + 10);
    GifEncodeImageData(topRow, rowStep, width, height, out);
    out.push_back(kTrailer);
    return true;
}
