#include "image/DisplayCopy.h"

#include "image/DibRenderer.h"
#include "image/SECImage.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define CORVALE_SSE2 1
#endif

namespace {

// Fixed-point scales of the area-average path: coverage weights sum to
// 1 << kWeightBits on each axis, and the horizontal pass keeps kTmpBits
// fractional bits per sample (255 << 7 and the weights both fit int16, so
// the vertical products fit int32 with room to spare).
constexpr int kWeightBits = 14;
constexpr int kTmpBits = 7;
constexpr int kHorizontalShift = kWeightBits - kTmpBits;
constexpr int kVerticalShift = kWeightBits + kTmpBits;
// Up to this many source pixels per target pixel along an axis, the rounding
// of the 14-bit weights stays well under one level even for the worst
// pattern (alternating columns); wider windows are summed exactly.
constexpr uint32_t kMaxFixedTaps = 32;

// Source rows as blue, green, red bytes, counted from the bottom line up
// (the memory order of a bottom-up picture, and of the target).
class SourceRows {
public:
    static constexpr int kSlots = 4;

    bool Init(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize)
    {
        m_layout.reset(new DibRenderer::Layout);
        if (!DibRenderer::ReadLayout(header, headerSize, *m_layout))
            return false;
        const DibRenderer::Layout& l = *m_layout;
        m_pBits = bits;
        m_nBitsSize = bits ? bitsSize : 0;
        m_nWidth = l.width;
        m_nHeight = l.height;
        m_bDirect = l.bitCount == 24 && l.compression == BI_RGB;
        m_bIndexed = l.bitCount == 8 && l.compression == BI_RGB;
        if (l.compression == BI_RLE8 || l.compression == BI_RLE4) {
            if (!DibRenderer::Render(l, bits, m_nBitsSize, m_rendered))
                return false;
        }
        if (m_bIndexed)
            for (int i = 0; i < 256; ++i)
                SetBgr(m_bgr[i], l.colours[i]);
        if (!m_bDirect && !m_bIndexed && m_rendered.empty())
            m_row32.assign(m_nWidth, 0);
        return true;
    }

    uint32_t Width() const { return m_nWidth; }
    uint32_t Height() const { return m_nHeight; }

    // Row `row` from the bottom; the pointer stays valid until `slot` is reused.
    const uint8_t* Row(uint32_t row, int slot)
    {
        const DibRenderer::Layout& l = *m_layout;
        uint32_t top = m_nHeight - 1 - row; // picture row counted from the top
        const size_t len = size_t(m_nWidth) * 3;
        if (m_bDirect || m_bIndexed) {
            uint64_t stored = l.topDown ? top : row;
            uint64_t offset = stored * l.stride;
            uint64_t avail = offset < m_nBitsSize ? m_nBitsSize - offset : 0;
            const uint8_t* p = m_pBits + (avail ? offset : 0);
            if (m_bDirect) {
                if (avail >= len)
                    return p;
                // A short buffer: the bytes it has, black after them.
                uint8_t* out = Scratch(slot);
                std::memset(out, 0, len);
                if (avail)
                    std::memcpy(out, p, (avail / 3) * 3);
                return out;
            }
            uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(m_nWidth, avail));
            uint8_t* out = Scratch(slot);
            uint32_t x = 0;
            for (; x + 4 <= n; x += 4) {
                uint8_t* o = out + 3 * size_t(x);
                std::memcpy(o, m_bgr[p[x]], 4);
                std::memcpy(o + 3, m_bgr[p[x + 1]], 4);
                std::memcpy(o + 6, m_bgr[p[x + 2]], 4);
                std::memcpy(o + 9, m_bgr[p[x + 3]], 4);
            }
            for (; x < n; ++x)
                std::memcpy(out + 3 * size_t(x), m_bgr[p[x]], 4);
            std::memset(out + 3 * size_t(n), 0, len - 3 * size_t(n));
            return out;
        }
        const uint32_t* px;
        if (!m_rendered.empty()) {
            px = m_rendered.data() + size_t(top) * m_nWidth;
        } else {
            DibRenderer::RenderRow(l, m_pBits, m_nBitsSize, top, m_row32.data());
            px = m_row32.data();
        }
        uint8_t* out = Scratch(slot);
        for (uint32_t x = 0; x < m_nWidth; ++x)
            SetBgr(out + 3 * size_t(x), px[x]);
        return out;
    }

private:
    // A row buffer, made on first use; one spare byte lets the palette path
    // store four bytes per pixel.
    uint8_t* Scratch(int slot)
    {
        if (m_scratch[slot].empty())
            m_scratch[slot].assign(size_t(m_nWidth) * 3 + 1, 0);
        return m_scratch[slot].data();
    }

    static void SetBgr(uint8_t* out, uint32_t argb)
    {
        out[0] = static_cast<uint8_t>(argb);
        out[1] = static_cast<uint8_t>(argb >> 8);
        out[2] = static_cast<uint8_t>(argb >> 16);
    }

    std::unique_ptr<DibRenderer::Layout> m_layout;
    const uint8_t* m_pBits = nullptr;
    size_t m_nBitsSize = 0;
    uint32_t m_nWidth = 0, m_nHeight = 0;
    bool m_bDirect = false, m_bIndexed = false;
    uint8_t m_bgr[256][4] = {}; // blue, green, red, 0: stored four at a time
    std::vector<uint8_t> m_scratch[kSlots];
    std::vector<uint32_t> m_row32;
    std::vector<uint32_t> m_rendered; // run-length pictures, drawn once
};

// acc[i] (= 0 when `first`) += the bytes of N rows, for len bytes. The rows
// are unrolled so that their loads are independent and overlap; a loop over
// a row array here runs at a third of the memory speed.
template <int N>
void SumRows(uint16_t* acc, const uint8_t* const* rows, size_t len, bool first)
{
    size_t i = 0;
#ifdef CORVALE_SSE2
    const __m128i zero = _mm_setzero_si128();
    const uint8_t* r0 = rows[0];
    const uint8_t* r1 = N > 1 ? rows[1] : r0;
    const uint8_t* r2 = N > 2 ? rows[2] : r0;
    const uint8_t* r3 = N > 3 ? rows[3] : r0;
    auto add = [&zero](__m128i& lo, __m128i& hi, __m128i v) {
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
        hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
    };
    for (; i + 16 <= len; i += 16) {
        __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + i));
        __m128i v1 = N > 1 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + i)) : zero;
        __m128i v2 = N > 2 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(r2 + i)) : zero;
        __m128i v3 = N > 3 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(r3 + i)) : zero;
        __m128i lo = first ? zero : _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
        __m128i hi = first ? zero : _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 8));
        add(lo, hi, v0);
        if (N > 1)
            add(lo, hi, v1);
        if (N > 2)
            add(lo, hi, v2);
        if (N > 3)
            add(lo, hi, v3);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 8), hi);
    }
#endif
    for (; i < len; ++i) {
        uint32_t s = first ? 0 : acc[i];
        for (int r = 0; r < N; ++r)
            s += rows[r][i];
        acc[i] = static_cast<uint16_t>(s);
    }
}

void SumRows(uint16_t* acc, const uint8_t* const* rows, int count, size_t len, bool first)
{
    switch (count) {
    case 1: SumRows<1>(acc, rows, len, first); break;
    case 2: SumRows<2>(acc, rows, len, first); break;
    case 3: SumRows<3>(acc, rows, len, first); break;
    default: SumRows<4>(acc, rows, len, first); break;
    }
}

// One target row of the whole-ratio path: the mean of each run of kx
// column sums, per channel. KX fixes kx at compile time for the common
// ratios (0: any kx), so that the three channels' sums run unrolled.
template <uint32_t KX>
void SumColumns(const uint16_t* a, uint8_t* out, uint32_t dw, uint32_t kx, uint32_t n, uint64_t recip)
{
    if (KX)
        kx = KX;
    for (uint32_t x = 0; x < dw; ++x, out += 3) {
        uint32_t b = n / 2, g = n / 2, r = n / 2;
        for (uint32_t i = 0; i < kx; ++i, a += 3) {
            b += a[0];
            g += a[1];
            r += a[2];
        }
        out[0] = static_cast<uint8_t>((b * recip) >> 32);
        out[1] = static_cast<uint8_t>((g * recip) >> 32);
        out[2] = static_cast<uint8_t>((r * recip) >> 32);
    }
}

#ifdef CORVALE_SSE2
// SumColumns for kx 2 or 4 and a block of 2^shift pixels (at most 256, so
// that block sums fit 16 bits), with SSE2: two overlapping loads and a
// shifted add leave a target pixel's three channel sums in the low lanes.
template <uint32_t KX>
void SumColumnsShift(const uint16_t* a, uint8_t* out, uint32_t dw, int shift)
{
    static_assert(KX == 2 || KX == 4, "two or four columns");
    const __m128i round = _mm_set1_epi16(static_cast<int16_t>(1 << (shift - 1)));
    const __m128i count = _mm_cvtsi32_si128(shift);
    uint32_t x = 0;
    // The last pixel is written bytewise: a four-byte store could pass the row.
    for (; x + 1 < dw; ++x, a += 3 * KX, out += 3) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
        if (KX == 4)
            s = _mm_add_epi16(s, _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 6)));
        s = _mm_add_epi16(s, _mm_srli_si128(s, 6));
        s = _mm_srl_epi16(_mm_add_epi16(s, round), count);
        int32_t bgr = _mm_cvtsi128_si32(_mm_packus_epi16(s, s));
        std::memcpy(out, &bgr, 4);
    }
    for (int c = 0; c < 3; ++c) {
        uint32_t sum = 1u << (shift - 1);
        for (uint32_t i = 0; i < KX; ++i)
            sum += a[3 * i + c];
        out[c] = static_cast<uint8_t>(sum >> shift);
    }
}
#endif

// Exact integer ratios: every target pixel is the rounded mean of a kx by ky
// block. Rows are summed a few at a time into 16-bit column sums, then
// kx columns at a time; the division is a multiply by a reciprocal that is
// exact for block sums below 256 * n when n < 4096.
void BoxReduce(SourceRows& src, uint32_t kx, uint32_t ky, uint8_t* dst, size_t dstStride, uint32_t dw,
               uint32_t dh)
{
    const uint32_t n = kx * ky;
    const size_t len = size_t(src.Width()) * 3;
    if (n == 1) { // same size: a copy
        for (uint32_t j = 0; j < dh; ++j)
            std::memcpy(dst + size_t(j) * dstStride, src.Row(j, 0), len);
        return;
    }
    const uint64_t recip = (uint64_t(1) << 32) / n + 1;
#ifdef CORVALE_SSE2
    int shift = 0;
    while ((1u << shift) < n)
        ++shift;
    const bool byShift = (1u << shift) == n && n <= 256;
#endif
    std::vector<uint16_t> acc(len);
    const uint8_t* rows[SourceRows::kSlots];
    for (uint32_t j = 0; j < dh; ++j) {
        uint32_t r = j * ky;
        for (uint32_t done = 0; done < ky;) {
            int count = static_cast<int>(std::min<uint32_t>(SourceRows::kSlots, ky - done));
            for (int s = 0; s < count; ++s)
                rows[s] = src.Row(r + done + s, s);
            SumRows(acc.data(), rows, count, len, done == 0);
            done += count;
        }
        uint8_t* out = dst + size_t(j) * dstStride;
        const uint16_t* a = acc.data();
#ifdef CORVALE_SSE2
        if (byShift && kx == 2) {
            SumColumnsShift<2>(a, out, dw, shift);
            continue;
        }
        if (byShift && kx == 4) {
            SumColumnsShift<4>(a, out, dw, shift);
            continue;
        }
#endif
        switch (kx) {
        case 1: SumColumns<1>(a, out, dw, kx, n, recip); break;
        case 2: SumColumns<2>(a, out, dw, kx, n, recip); break;
        case 3: SumColumns<3>(a, out, dw, kx, n, recip); break;
        case 4: SumColumns<4>(a, out, dw, kx, n, recip); break;
        default: SumColumns<0>(a, out, dw, kx, n, recip); break;
        }
    }
}

// Coverage of target pixels by source pixels along one axis, in exact
// integer arithmetic: target pixel x spans [x * src, (x + 1) * src) and
// source pixel i spans [i * dst, (i + 1) * dst), so that the overlaps are
// whole numbers and a target pixel's overlaps add up to src.
struct Axis {
    uint64_t srcLen = 0, dstLen = 0;
    uint32_t taps = 0;              // the most source pixels any target pixel touches
    std::vector<uint32_t> first;    // first source pixel of each target pixel
    std::vector<uint32_t> count;    // source pixels it touches
    std::vector<int16_t> weights;   // fixed-point coverage, taps per target pixel

    void Build(uint32_t src, uint32_t dst)
    {
        srcLen = src;
        dstLen = dst;
        taps = 0;
        first.resize(dst);
        count.resize(dst);
        for (uint64_t x = 0; x < dstLen; ++x) {
            uint64_t lo = x * srcLen, hi = (x + 1) * srcLen;
            first[x] = static_cast<uint32_t>(lo / dstLen);
            count[x] = static_cast<uint32_t>((hi - 1) / dstLen) - first[x] + 1;
            taps = std::max(taps, count[x]);
        }
    }

    // How much of target pixel x source pixel i covers.
    uint64_t Overlap(uint64_t x, uint64_t i) const
    {
        return std::min((x + 1) * srcLen, (i + 1) * dstLen) - std::max(x * srcLen, i * dstLen);
    }

    // Weights that sum to exactly 1 << kWeightBits per target pixel (rounded
    // cumulatively, which keeps a constant colour exact). `slide` keeps
    // every window of `taps` inside the source, so that a filter may always
    // read `taps` pixels; `evenTaps` also rounds taps up to an even count
    // where the source is wide enough.
    void MakeWeights(bool slide, bool evenTaps)
    {
        if (evenTaps && (taps & 1) && taps < srcLen)
            ++taps;
        weights.assign(size_t(dstLen) * taps, 0);
        for (uint64_t x = 0; x < dstLen; ++x) {
            uint64_t covered = 0;
            int32_t given = 0;
            int16_t* w = &weights[x * taps];
            for (uint32_t t = 0; t < count[x]; ++t) {
                covered += Overlap(x, first[x] + t);
                int32_t upTo = static_cast<int32_t>((covered * (1u << kWeightBits) + srcLen / 2) / srcLen);
                w[t] = static_cast<int16_t>(upTo - given);
                given = upTo;
            }
            if (slide && first[x] + taps > srcLen) {
                uint32_t shift = static_cast<uint32_t>(first[x] + taps - srcLen);
                for (int t = static_cast<int>(taps) - 1; t >= 0; --t)
                    w[t] = t >= static_cast<int>(shift) ? w[t - shift] : 0;
                first[x] -= shift;
            }
        }
    }
};

// One source row filtered horizontally: kTmpBits fractional bits per sample.
// TAPS fixes the window at compile time for the usual ratios (0: any).
template <uint32_t TAPS>
void FilterRow(const Axis& ax, const uint8_t* src, uint32_t dw, int16_t* out)
{
    const uint32_t taps = TAPS ? TAPS : ax.taps;
    const int16_t* w = ax.weights.data();
    const uint32_t* first = ax.first.data();
    constexpr int32_t round = 1 << (kHorizontalShift - 1);
    for (uint32_t x = 0; x < dw; ++x, w += taps, out += 3) {
        const uint8_t* s = src + size_t(first[x]) * 3;
        int32_t b = round, g = round, r = round;
        for (uint32_t t = 0; t < taps; ++t, s += 3) {
            b += w[t] * s[0];
            g += w[t] * s[1];
            r += w[t] * s[2];
        }
        out[0] = static_cast<int16_t>(b >> kHorizontalShift);
        out[1] = static_cast<int16_t>(g >> kHorizontalShift);
        out[2] = static_cast<int16_t>(r >> kHorizontalShift);
    }
}

void FilterRow(const Axis& ax, const uint8_t* src, uint32_t dw, int16_t* out)
{
    switch (ax.taps) {
    case 1: FilterRow<1>(ax, src, dw, out); break;
    case 2: FilterRow<2>(ax, src, dw, out); break;
    case 3: FilterRow<3>(ax, src, dw, out); break;
    case 4: FilterRow<4>(ax, src, dw, out); break;
    case 5: FilterRow<5>(ax, src, dw, out); break;
    default: FilterRow<0>(ax, src, dw, out); break;
    }
}

#ifdef CORVALE_SSE2
// The horizontal pass with SSE2: each source row is widened once to four
// 16-bit lanes per pixel (blue, green, red, spare), and every pair of taps is
// one multiply-add of two interleaved pixels by their two weights, giving
// the three channel sums of a target pixel in one register.
class PairFilter {
public:
    bool Init(const Axis& ax, uint32_t srcWidth)
    {
        if ((ax.taps & 1) || ax.taps > srcWidth)
            return false;
        m_nPairs = ax.taps / 2;
        m_pairs.resize(ax.first.size() * m_nPairs);
        for (size_t x = 0; x < ax.first.size(); ++x)
            for (uint32_t p = 0; p < m_nPairs; ++p) {
                const int16_t* w = &ax.weights[x * ax.taps + 2 * p];
                m_pairs[x * m_nPairs + p] =
                    static_cast<int32_t>(uint32_t(uint16_t(w[0])) | (uint32_t(uint16_t(w[1])) << 16));
            }
        m_wide.assign(size_t(srcWidth) * 4, 0);
        m_nSrcWidth = srcWidth;
        return true;
    }

    // `out` must hold one sample more than dw * 3.
    void Run(const Axis& ax, const uint8_t* src, uint32_t dw, int16_t* out)
    {
        Widen(src);
        switch (m_nPairs) {
        case 1: Filter<1>(ax, dw, out); break;
        case 2: Filter<2>(ax, dw, out); break;
        case 3: Filter<3>(ax, dw, out); break;
        default: Filter<0>(ax, dw, out); break;
        }
    }

private:
    void Widen(const uint8_t* src)
    {
        const __m128i zero = _mm_setzero_si128();
        int16_t* w = m_wide.data();
        uint32_t x = 0;
        // 16 bytes read at pixel x reach into pixel x + 5.
        for (; x + 6 <= m_nSrcWidth; x += 4) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * size_t(x)));
            __m128i p01 = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
            __m128i p23 = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w + 4 * size_t(x)), _mm_unpacklo_epi8(p01, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w + 4 * size_t(x) + 8), _mm_unpacklo_epi8(p23, zero));
        }
        for (; x < m_nSrcWidth; ++x)
            for (int c = 0; c < 3; ++c)
                w[4 * size_t(x) + c] = src[3 * size_t(x) + c];
    }

    // PAIRS fixes the pair count at compile time for the usual ratios (0: any).
    template <uint32_t PAIRS>
    void Filter(const Axis& ax, uint32_t dw, int16_t* out)
    {
        const uint32_t pairs = PAIRS ? PAIRS : m_nPairs;
        const __m128i round = _mm_set1_epi32(1 << (kHorizontalShift - 1));
        const int32_t* pw = m_pairs.data();
        const uint32_t* first = ax.first.data();
        for (uint32_t x = 0; x < dw; ++x) {
            const int16_t* base = m_wide.data() + size_t(first[x]) * 4;
            __m128i acc = round;
            for (uint32_t p = 0; p < pairs; ++p, base += 8) {
                __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base));
                v = _mm_unpacklo_epi16(v, _mm_unpackhi_epi64(v, v));
                acc = _mm_add_epi32(acc, _mm_madd_epi16(v, _mm_set1_epi32(*pw++)));
            }
            acc = _mm_srai_epi32(acc, kHorizontalShift);
            // Four samples land; the spare one is overwritten by the next pixel.
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * size_t(x)), _mm_packs_epi32(acc, acc));
        }
    }

    uint32_t m_nPairs = 0;
    uint32_t m_nSrcWidth = 0;
    std::vector<int32_t> m_pairs;
    std::vector<int16_t> m_wide;
};
#endif

// acc[i] (= 0 when `first`) += weight * row[i].
void AccumulateRow(int32_t* acc, const int16_t* row, int16_t weight, size_t len, bool first)
{
    size_t i = 0;
#ifdef CORVALE_SSE2
    const __m128i w = _mm_set1_epi16(weight);
    for (; i + 8 <= len; i += 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        __m128i lo16 = _mm_mullo_epi16(v, w);
        __m128i hi16 = _mm_mulhi_epi16(v, w);
        __m128i p0 = _mm_unpacklo_epi16(lo16, hi16);
        __m128i p1 = _mm_unpackhi_epi16(lo16, hi16);
        if (!first) {
            p0 = _mm_add_epi32(p0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i)));
            p1 = _mm_add_epi32(p1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 4)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), p0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 4), p1);
    }
#endif
    for (; i < len; ++i)
        acc[i] = (first ? 0 : acc[i]) + int32_t(weight) * row[i];
}

void StoreRow(const int32_t* acc, size_t len, uint8_t* out)
{
    constexpr int32_t round = 1 << (kVerticalShift - 1);
    size_t i = 0;
#ifdef CORVALE_SSE2
    const __m128i r = _mm_set1_epi32(round);
    auto load = [&](size_t k) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + k));
        return _mm_srai_epi32(_mm_add_epi32(v, r), kVerticalShift);
    };
    for (; i + 16 <= len; i += 16) {
        __m128i a = _mm_packs_epi32(load(i), load(i + 4));
        __m128i b = _mm_packs_epi32(load(i + 8), load(i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < len; ++i)
        out[i] = static_cast<uint8_t>(std::min<int32_t>(255, (acc[i] + round) >> kVerticalShift));
}

// Any ratio: horizontal pass per source row into a 16-bit row, vertical
// pass accumulating weighted rows into each target row. Consecutive target
// rows share at most their boundary source row, so one filtered row is kept.
void AreaReduce(SourceRows& src, Axis& horizontal, Axis& vertical, uint8_t* dst, size_t dstStride)
{
    const uint32_t dw = static_cast<uint32_t>(horizontal.dstLen);
    const uint32_t dh = static_cast<uint32_t>(vertical.dstLen);
    horizontal.MakeWeights(true, true);
    vertical.MakeWeights(false, false);
    const size_t len = size_t(dw) * 3;
    std::vector<int16_t> filtered(len + 1);
    std::vector<int32_t> acc(len);
#ifdef CORVALE_SSE2
    PairFilter pairs;
    const bool simd = pairs.Init(horizontal, src.Width());
#endif
    uint32_t filteredRow = UINT32_MAX;
    for (uint32_t j = 0; j < dh; ++j) {
        const int16_t* w = &vertical.weights[size_t(j) * vertical.taps];
        for (uint32_t t = 0; t < vertical.count[j]; ++t) {
            uint32_t r = vertical.first[j] + t;
            if (r != filteredRow) {
                const uint8_t* row = src.Row(r, 0);
#ifdef CORVALE_SSE2
                if (simd)
                    pairs.Run(horizontal, row, dw, filtered.data());
                else
#endif
                    FilterRow(horizontal, row, dw, filtered.data());
                filteredRow = r;
            }
            AccumulateRow(acc.data(), filtered.data(), w[t], len, t == 0);
        }
        StoreRow(acc.data(), len, dst + size_t(j) * dstStride);
    }
}

// Reductions by more than kMaxFixedTaps pixels along an axis, where 14-bit
// weights would drop the small contributions: the same two passes with the
// exact overlaps as weights and 64-bit sums (at most 255 times the source's
// pixel count, far inside 64 bits), one division per sample.
void ExactReduce(SourceRows& src, const Axis& horizontal, const Axis& vertical, uint8_t* dst, size_t dstStride)
{
    const uint32_t dw = static_cast<uint32_t>(horizontal.dstLen);
    const uint32_t dh = static_cast<uint32_t>(vertical.dstLen);
    const uint64_t area = horizontal.srcLen * vertical.srcLen;
    const size_t len = size_t(dw) * 3;
    std::vector<uint64_t> filtered(len), acc(len);
    uint32_t filteredRow = UINT32_MAX;
    for (uint32_t j = 0; j < dh; ++j) {
        std::fill(acc.begin(), acc.end(), 0);
        for (uint32_t t = 0; t < vertical.count[j]; ++t) {
            uint32_t r = vertical.first[j] + t;
            if (r != filteredRow) {
                const uint8_t* row = src.Row(r, 0);
                for (uint32_t x = 0; x < dw; ++x) {
                    uint64_t sum[3] = {0, 0, 0};
                    for (uint32_t k = 0; k < horizontal.count[x]; ++k) {
                        uint64_t i = horizontal.first[x] + k;
                        uint64_t c = horizontal.Overlap(x, i);
                        for (int ch = 0; ch < 3; ++ch)
                            sum[ch] += c * row[3 * i + ch];
                    }
                    for (int ch = 0; ch < 3; ++ch)
                        filtered[3 * size_t(x) + ch] = sum[ch];
                }
                filteredRow = r;
            }
            uint64_t c = vertical.Overlap(j, r);
            for (size_t i = 0; i < len; ++i)
                acc[i] += c * filtered[i];
        }
        uint8_t* out = dst + size_t(j) * dstStride;
        for (size_t i = 0; i < len; ++i)
            out[i] = static_cast<uint8_t>((acc[i] + area / 2) / area);
    }
}

} // namespace

bool DisplayCopy::ShrinkLimit(int shrinkSize, uint32_t& limitWidth, uint32_t& limitHeight)
{
    static const uint32_t kLimits[4][2] = {{320, 240}, {480, 360}, {640, 480}, {960, 720}};
    if (shrinkSize < 0 || shrinkSize > 3)
        return false;
    limitWidth = kLimits[shrinkSize][0];
    limitHeight = kLimits[shrinkSize][1];
    return true;
}

bool DisplayCopy::ShrinkFraction(int shrinkFactor, uint32_t& numerator, uint32_t& denominator)
{
    static const uint32_t kFractions[5][2] = {{3, 4}, {2, 3}, {1, 2}, {1, 3}, {1, 4}};
    if (shrinkFactor < 1 || shrinkFactor > 5)
        return false;
    numerator = kFractions[shrinkFactor - 1][0];
    denominator = kFractions[shrinkFactor - 1][1];
    return true;
}

DisplayCopy::Action DisplayCopy::Decide(uint32_t width, uint32_t height, bool shrinkLargeImages,
                                        int shrinkSize, int shrinkFactor, uint32_t& displayWidth,
                                        uint32_t& displayHeight)
{
    displayWidth = width;
    displayHeight = height;
    if (!shrinkLargeImages)
        return Action::Keep;
    uint32_t limitW = 0, limitH = 0;
    if (!ShrinkLimit(shrinkSize, limitW, limitH) || width < limitW || height < limitH)
        return Action::NoShrink;
    // 64-bit products: the same truncated results as 32-bit unsigned
    // arithmetic for every picture size the image object allows, and no
    // wrap-around beyond it.
    auto apply = [&](int factor, uint32_t& w, uint32_t& h) {
        uint32_t n = 1, d = 1;
        ShrinkFraction(factor, n, d);
        w = static_cast<uint32_t>(uint64_t(width) * n / d);
        h = static_cast<uint32_t>(uint64_t(height) * n / d);
    };
    if (shrinkFactor == 0) {
        for (int factor = 1; factor <= 5; ++factor) {
            uint32_t w = 0, h = 0;
            apply(factor, w, h);
            if (w <= limitW && h <= limitH) {
                displayWidth = w;
                displayHeight = h;
                return Action::Shrink;
            }
        }
        return Action::Shrink; // nothing fits: a copy at the picture's own size
    }
    uint32_t n = 0, d = 0;
    if (!ShrinkFraction(shrinkFactor, n, d))
        return Action::NoShrink; // an unknown factor (only a hand-edited setting) reduces nothing
    apply(shrinkFactor, displayWidth, displayHeight);
    return Action::Shrink;
}

bool DisplayCopy::Scale(const uint8_t* header, size_t headerSize, const uint8_t* bits, size_t bitsSize,
                        uint32_t width, uint32_t height, SECImage& target)
{
    if ((bits && bits == target.GetBits()) || (header && header == target.GetHeaderBlock()))
        return false; // the target is the source
    try {
        SourceRows src;
        if (width == 0 || height == 0 || !src.Init(header, headerSize, bits, bitsSize) ||
            !target.Create(width, height, 24, 0)) {
            target.FreeImage();
            return false;
        }
        uint8_t* dst = target.GetBits();
        const size_t stride = static_cast<size_t>(SECImage::PaddedRowLength(width, 24));
        const uint32_t sw = src.Width(), sh = src.Height();
        // Column sums are 16-bit (at most 257 rows of 255) and the reciprocal
        // division is exact below 4096 pixels per block.
        if (sw % width == 0 && sh % height == 0 && sh / height <= 257 &&
            uint64_t(sw / width) * (sh / height) < 4096) {
            BoxReduce(src, sw / width, sh / height, dst, stride, width, height);
            return true;
        }
        Axis horizontal, vertical;
        horizontal.Build(sw, width);
        vertical.Build(sh, height);
        if (horizontal.taps > kMaxFixedTaps || vertical.taps > kMaxFixedTaps)
            ExactReduce(src, horizontal, vertical, dst, stride);
        else
            AreaReduce(src, horizontal, vertical, dst, stride);
        return true;
    } catch (const std::bad_alloc&) {
        target.FreeImage();
        return false;
    }
}

bool DisplayCopy::Scale(const SECImage& source, uint32_t width, uint32_t height, SECImage& target)
{
    if (&source == &target)
        return false;
    return Scale(source.GetHeaderBlock(), source.GetHeaderSize(), source.GetBits(), source.GetBitsSize(),
                 width, height, target);
}

void FitIntoSquare(uint32_t width, uint32_t height, uint32_t size, uint32_t& fitWidth, uint32_t& fitHeight)
{
    fitWidth = width;
    fitHeight = height;
    if (width <= size && height <= size)
        return;
    const uint64_t longer = width > height ? width : height;
    auto fit = [&](uint32_t side) {
        uint64_t scaled = (uint64_t(side) * size + longer / 2) / longer;
        return static_cast<uint32_t>(scaled ? scaled : 1);
    };
    fitWidth = fit(width);
    fitHeight = fit(height);
}
