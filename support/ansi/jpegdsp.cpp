// JPEG sample arithmetic.
//
// Sections: the range and colour tables; the reference transform and colour rows; the
// SSE2 ones.
//
// The SSE2 transform is the reference's arithmetic rearranged: every output of a pass
// is a fixed integer combination of its eight inputs, so multiplying pairs of 16-bit
// inputs by 16-bit constants (pmaddwd) and adding in 32 bits gives the same number as
// long as that number fits in 32 bits. It does whenever the first pass's outputs fit
// in 16 bits (their second-pass sums then stay below 2^31), which valid 8-bit data
// always meets; a block whose first pass leaves that range (only hostile ones) is
// done again by the reference. The colour conversion multiplies with the tables'
// constants split into a 16-bit part and a whole multiple of 65536, rounding as the
// tables do.
#include "ansi/jpegdsp.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#if defined(__GNUC__)
#define NOVADRIFT_INLINE inline __attribute__((always_inline))
#else
#define NOVADRIFT_INLINE inline
#endif

// ------------------------------------------------------------------------- tables

void JpegMakeRangeTable(uint8_t table[JPEG_RANGE_TABLE_SIZE]) {
    uint8_t* p = table;
    std::memset(p, 0, 256);
    p += 256;
    for (int i = 0; i < 256; ++i) *p++ = uint8_t(i);
    std::memset(p, 255, 384);
    p += 384;
    std::memset(p, 0, 384);
    p += 384;
    for (int i = 0; i < 128; ++i) *p++ = uint8_t(i);
}

void JpegMakeColourTables(int32_t tables[4 * 256]) {
    int32_t* crRed = tables;
    int32_t* cbBlue = tables + 256;
    int32_t* crGreen = tables + 512;
    int32_t* cbGreen = tables + 768;
    const int32_t half = int32_t(1) << 15;
    for (int32_t i = 0; i < 256; ++i) {
        int32_t x = i - 128;
        crRed[i] = (91881 * x + half) >> 16;
        cbBlue[i] = (116130 * x + half) >> 16;
        crGreen[i] = -46802 * x;
        cbGreen[i] = -22554 * x + half;
    }
}

// ------------------------------------------------------------------- reference

namespace {

// The Loeffler-Ligtenberg-Moschytz factorisation in 13-bit fixed point, with two extra
// bits kept between the column and the row pass. Constants are round(c * 8192).
const int kConstBits = 13;
const int kPassBits = 2;
const int32_t kFix0_298631336 = 2446;
const int32_t kFix0_390180644 = 3196;
const int32_t kFix0_541196100 = 4433;
const int32_t kFix0_765366865 = 6270;
const int32_t kFix0_899976223 = 7373;
const int32_t kFix1_175875602 = 9633;
const int32_t kFix1_501321110 = 12299;
const int32_t kFix1_847759065 = 15137;
const int32_t kFix1_961570560 = 16069;
const int32_t kFix2_053119869 = 16819;
const int32_t kFix2_562915447 = 20995;
const int32_t kFix3_072711026 = 25172;

// One 8-point pass over in[0], in[step], ... into out[0..7] before descaling. T is
// int32_t for the columns (inputs bounded by 8192) and int64_t for the rows, whose
// inputs a hostile block can make large enough to overflow 32 bits.
template <typename T>
void Idct8(const T* in, int step, T out[8]) {
    T z2 = in[2 * step], z3 = in[6 * step];
    T z1 = (z2 + z3) * kFix0_541196100;
    T tmp2 = z1 - z3 * kFix1_847759065;
    T tmp3 = z1 + z2 * kFix0_765366865;
    T tmp0 = (in[0] + in[4 * step]) * (T(1) << kConstBits);
    T tmp1 = (in[0] - in[4 * step]) * (T(1) << kConstBits);
    T tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
    T tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;

    T o0 = in[7 * step], o1 = in[5 * step], o2 = in[3 * step], o3 = in[step];
    T a1 = o0 + o3, a2 = o1 + o2, a3 = o0 + o2, a4 = o1 + o3;
    T z5 = (a3 + a4) * kFix1_175875602;
    o0 *= kFix0_298631336;
    o1 *= kFix2_053119869;
    o2 *= kFix3_072711026;
    o3 *= kFix1_501321110;
    a1 *= -kFix0_899976223;
    a2 *= -kFix2_562915447;
    a3 = a3 * -kFix1_961570560 + z5;
    a4 = a4 * -kFix0_390180644 + z5;
    o0 += a1 + a3;
    o1 += a2 + a4;
    o2 += a2 + a3;
    o3 += a1 + a4;

    out[0] = tmp10 + o3;
    out[7] = tmp10 - o3;
    out[1] = tmp11 + o2;
    out[6] = tmp11 - o2;
    out[2] = tmp12 + o1;
    out[5] = tmp12 - o1;
    out[3] = tmp13 + o0;
    out[4] = tmp13 - o0;
}

void ColourPixelsReference(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int chromaShift,
                           int32_t from, int32_t to, const int32_t* tables,
                           const uint8_t* rangeTable, uint8_t* out) {
    const uint8_t* limit = rangeTable + JPEG_RANGE_IDENTITY;
    const int32_t* crRed = tables;
    const int32_t* cbBlue = tables + 256;
    const int32_t* crGreen = tables + 512;
    const int32_t* cbGreen = tables + 768;
    out += from * 3;
    for (int32_t x = from; x < to; ++x, out += 3) {
        int luma = y[x];
        int blue = cb[x >> chromaShift], red = cr[x >> chromaShift];
        out[0] = limit[luma + cbBlue[blue]];
        out[1] = limit[luma + ((cbGreen[blue] + crGreen[red]) >> 16)];
        out[2] = limit[luma + crRed[red]];
    }
}

void GreyPixelsReference(const uint8_t* y, int32_t from, int32_t to, uint8_t* out) {
    out += from * 3;
    for (int32_t x = from; x < to; ++x, out += 3) out[0] = out[1] = out[2] = y[x];
}

}  // namespace

void JpegIdctReference(const int16_t coefficients[64], uint8_t* out, int32_t stride,
                       const uint8_t* rangeTable) {
    int32_t work[64];
    for (int column = 0; column < 8; ++column) {
        int32_t in[8], result[8];
        for (int k = 0; k < 8; ++k) in[k] = coefficients[k * 8 + column];
        Idct8<int32_t>(in, 1, result);
        const int shift = kConstBits - kPassBits;
        for (int k = 0; k < 8; ++k)
            work[k * 8 + column] = (result[k] + (int32_t(1) << (shift - 1))) >> shift;
    }
    // Output level-shifted by 128 and clamped: the identity's middle, 10 bits of range.
    const uint8_t* limit = rangeTable + JPEG_RANGE_IDENTITY + 128;
    const int shift = kConstBits + kPassBits + 3;
    for (int row = 0; row < 8; ++row, out += stride) {
        int64_t in[8], result[8];
        for (int k = 0; k < 8; ++k) in[k] = work[row * 8 + k];
        Idct8<int64_t>(in, 1, result);
        for (int k = 0; k < 8; ++k)
            out[k] = limit[int32_t((result[k] + (int64_t(1) << (shift - 1))) >> shift) & 1023];
    }
}

void JpegColourRowReference(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int chromaShift,
                            int32_t width, const int32_t* colourTables, const uint8_t* rangeTable,
                            uint8_t* out) {
    ColourPixelsReference(y, cb, cr, chromaShift, 0, width, colourTables, rangeTable, out);
}

void JpegGreyRowReference(const uint8_t* y, int32_t width, uint8_t* out) {
    GreyPixelsReference(y, 0, width, out);
}

#ifdef __SSE2__

// ------------------------------------------------------------------------- SSE2

namespace {

// The constant pair (first, second) in every 32-bit lane, for pmaddwd on interleaved
// pairs of inputs.
inline __m128i Pair(int16_t first, int16_t second) {
    return _mm_set_epi16(second, first, second, first, second, first, second, first);
}

// One 8-point pass over eight rows of eight 16-bit inputs (a lane per column), into
// 32-bit outputs: lanes 0-3 in low[k], 4-7 in high[k]. The odd part's products are
// expanded into one constant per input (e.g. o0 * (0.298 - 0.899 - 1.961 + 1.175)).
// Inlined: as a call its sixteen outputs go through memory.
NOVADRIFT_INLINE void Pass(const __m128i in[8], __m128i low[8], __m128i high[8]) {
    const __m128i evenSum = Pair(8192, 8192), evenDifference = Pair(8192, -8192);
    const __m128i tmp3Pair = Pair(kFix0_541196100 + kFix0_765366865, kFix0_541196100);
    const __m128i tmp2Pair = Pair(kFix0_541196100, kFix0_541196100 - kFix1_847759065);
    // Odd outputs from (o0, o2) and (o1, o3), with o0..o3 = in 7, 5, 3, 1.
    const int16_t c1175 = kFix1_175875602;
    const __m128i o0a =
        Pair(kFix0_298631336 - kFix0_899976223 - kFix1_961570560 + c1175, c1175 - kFix1_961570560);
    const __m128i o0b = Pair(c1175, c1175 - kFix0_899976223);
    const __m128i o1a = Pair(c1175, c1175 - kFix2_562915447);
    const __m128i o1b =
        Pair(kFix2_053119869 - kFix2_562915447 - kFix0_390180644 + c1175, c1175 - kFix0_390180644);
    const __m128i o2a =
        Pair(c1175 - kFix1_961570560, kFix3_072711026 - kFix2_562915447 - kFix1_961570560 + c1175);
    const __m128i o2b = Pair(c1175 - kFix2_562915447, c1175);
    const __m128i o3a = Pair(c1175 - kFix0_899976223, c1175);
    const __m128i o3b =
        Pair(c1175 - kFix0_390180644, kFix1_501321110 - kFix0_899976223 - kFix0_390180644 + c1175);
    for (int half = 0; half < 2; ++half) {
        auto interleave = [half](__m128i a, __m128i b) {
            return half ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b);
        };
        __m128i p04 = interleave(in[0], in[4]);
        __m128i p26 = interleave(in[2], in[6]);
        __m128i p73 = interleave(in[7], in[3]);
        __m128i p51 = interleave(in[5], in[1]);
        __m128i tmp0 = _mm_madd_epi16(p04, evenSum);
        __m128i tmp1 = _mm_madd_epi16(p04, evenDifference);
        __m128i tmp3 = _mm_madd_epi16(p26, tmp3Pair);
        __m128i tmp2 = _mm_madd_epi16(p26, tmp2Pair);
        __m128i tmp10 = _mm_add_epi32(tmp0, tmp3), tmp13 = _mm_sub_epi32(tmp0, tmp3);
        __m128i tmp11 = _mm_add_epi32(tmp1, tmp2), tmp12 = _mm_sub_epi32(tmp1, tmp2);
        __m128i odd0 = _mm_add_epi32(_mm_madd_epi16(p73, o0a), _mm_madd_epi16(p51, o0b));
        __m128i odd1 = _mm_add_epi32(_mm_madd_epi16(p73, o1a), _mm_madd_epi16(p51, o1b));
        __m128i odd2 = _mm_add_epi32(_mm_madd_epi16(p73, o2a), _mm_madd_epi16(p51, o2b));
        __m128i odd3 = _mm_add_epi32(_mm_madd_epi16(p73, o3a), _mm_madd_epi16(p51, o3b));
        __m128i* out = half ? high : low;
        out[0] = _mm_add_epi32(tmp10, odd3);
        out[7] = _mm_sub_epi32(tmp10, odd3);
        out[1] = _mm_add_epi32(tmp11, odd2);
        out[6] = _mm_sub_epi32(tmp11, odd2);
        out[2] = _mm_add_epi32(tmp12, odd1);
        out[5] = _mm_sub_epi32(tmp12, odd1);
        out[3] = _mm_add_epi32(tmp13, odd0);
        out[4] = _mm_sub_epi32(tmp13, odd0);
    }
}

NOVADRIFT_INLINE void Transpose(__m128i r[8]) {
    __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// 0 (nothing written) when the first pass leaves 16 bits.
int IdctSse2(const int16_t coefficients[64], uint8_t* out, int32_t stride) {
    __m128i rows[8], low[8], high[8];
    for (int k = 0; k < 8; ++k)
        rows[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * k));
    Pass(rows, low, high);
    const __m128i firstRound = _mm_set1_epi32(1 << (kConstBits - kPassBits - 1));
    const int firstShift = kConstBits - kPassBits;
    for (int k = 0; k < 8; ++k)
        rows[k] = _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(low[k], firstRound), firstShift),
                                  _mm_srai_epi32(_mm_add_epi32(high[k], firstRound), firstShift));
    // A saturated pack shows as an extreme; a true extreme just takes the long way.
    __m128i most = rows[0], least = rows[0];
    for (int k = 1; k < 8; ++k) {
        most = _mm_max_epi16(most, rows[k]);
        least = _mm_min_epi16(least, rows[k]);
    }
    __m128i extreme = _mm_or_si128(_mm_cmpeq_epi16(most, _mm_set1_epi16(32767)),
                                   _mm_cmpeq_epi16(least, _mm_set1_epi16(-32768)));
    if (_mm_movemask_epi8(extreme)) return 0;

    Transpose(rows);
    Pass(rows, low, high);
    // Descaled, level-shifted and wrapped to 10 bits as the reference indexes its range
    // table: w = (v + 128) & 1023 reads w below 256, 255 below 640, 0 above.
    const int secondShift = kConstBits + kPassBits + 3;
    const __m128i secondRound = _mm_set1_epi32((1 << (secondShift - 1)) + (128 << secondShift));
    const __m128i tenBits = _mm_set1_epi32(1023);
    const __m128i wrapped = _mm_set1_epi16(639);
    for (int k = 0; k < 8; ++k) {
        __m128i a =
            _mm_and_si128(_mm_srai_epi32(_mm_add_epi32(low[k], secondRound), secondShift), tenBits);
        __m128i b = _mm_and_si128(_mm_srai_epi32(_mm_add_epi32(high[k], secondRound), secondShift),
                                  tenBits);
        __m128i w = _mm_packs_epi32(a, b);
        rows[k] = _mm_andnot_si128(_mm_cmpgt_epi16(w, wrapped), w);
    }
    Transpose(rows);
    for (int r = 0; r < 8; r += 2) {
        __m128i bytes = _mm_packus_epi16(rows[r], rows[r + 1]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + r * stride), bytes);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (r + 1) * stride),
                         _mm_srli_si128(bytes, 8));
    }
    return 1;
}

// Four pixels given as 32-bit blue, green, red, 0 written as 12 bytes; `exact` keeps
// the store to them, otherwise it writes 4 more (which the next pixels overwrite).
inline void StoreFour(uint8_t* out, __m128i pixels, bool exact) {
    const __m128i evenPixel = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i lowHalf = _mm_set_epi32(0, 0, -1, -1);
    __m128i pairs = _mm_or_si128(_mm_and_si128(pixels, evenPixel),
                                 _mm_srli_epi64(_mm_andnot_si128(evenPixel, pixels), 8));
    __m128i packed = _mm_or_si128(_mm_and_si128(pairs, lowHalf),
                                  _mm_srli_si128(_mm_andnot_si128(lowHalf, pairs), 2));
    if (!exact) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), packed);
        return;
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
    std::memcpy(out + 8, &last, 4);
}

// Sixteen pixels from sixteen bytes each of blue, green and red: 48 bytes.
inline void StoreSixteen(uint8_t* out, __m128i blue, __m128i green, __m128i red) {
    const __m128i zero = _mm_setzero_si128();
    __m128i blueGreenLow = _mm_unpacklo_epi8(blue, green);
    __m128i blueGreenHigh = _mm_unpackhi_epi8(blue, green);
    __m128i redLow = _mm_unpacklo_epi8(red, zero);
    __m128i redHigh = _mm_unpackhi_epi8(red, zero);
    StoreFour(out, _mm_unpacklo_epi16(blueGreenLow, redLow), false);
    StoreFour(out + 12, _mm_unpackhi_epi16(blueGreenLow, redLow), false);
    StoreFour(out + 24, _mm_unpacklo_epi16(blueGreenHigh, redHigh), false);
    StoreFour(out + 36, _mm_unpackhi_epi16(blueGreenHigh, redHigh), true);
}

// (x * k + 32768) >> 16 for 16-bit x and k: the high half of the product, plus one
// when the low half reaches 32768.
inline __m128i RoundedHigh(__m128i x, __m128i k) {
    return _mm_add_epi16(_mm_mulhi_epi16(x, k), _mm_srli_epi16(_mm_mullo_epi16(x, k), 15));
}

// What chroma adds to Y for eight pixels' blue, green and red (16-bit) from centred
// chroma. The tables' constants as whole multiples of 65536 plus a 16-bit rest:
// 91881 = 65536 + 26345, 116130 = 131072 - 14942, 46802 = 65536 - 18734.
inline void ChromaTerms(__m128i cb, __m128i cr, __m128i terms[3]) {
    terms[0] = _mm_add_epi16(_mm_add_epi16(cb, cb), RoundedHigh(cb, _mm_set1_epi16(-14942)));
    const __m128i greenPair = Pair(-22554, 18734);
    const __m128i half = _mm_set1_epi32(32768);
    __m128i low = _mm_srai_epi32(
        _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), greenPair), half), 16);
    __m128i high = _mm_srai_epi32(
        _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), greenPair), half), 16);
    terms[1] = _mm_sub_epi16(_mm_packs_epi32(low, high), cr);
    terms[2] = _mm_add_epi16(cr, RoundedHigh(cr, _mm_set1_epi16(26345)));
}

// One or two rows of pixels that share their chroma row; the chroma terms are worked
// out once for both.
void ColourRows(const uint8_t* const y[2], int rows, const uint8_t* cb, const uint8_t* cr,
                int chromaShift, int32_t width, const int32_t* colourTables,
                const uint8_t* rangeTable, uint8_t* const out[2]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i centre = _mm_set1_epi16(128);
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i blueDifference, redDifference;
        if (chromaShift) {
            __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x / 2));
            __m128i r = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x / 2));
            blueDifference = _mm_unpacklo_epi8(b, b);
            redDifference = _mm_unpacklo_epi8(r, r);
        } else {
            blueDifference = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
            redDifference = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
        }
        __m128i low[3], high[3];
        ChromaTerms(_mm_sub_epi16(_mm_unpacklo_epi8(blueDifference, zero), centre),
                    _mm_sub_epi16(_mm_unpacklo_epi8(redDifference, zero), centre), low);
        ChromaTerms(_mm_sub_epi16(_mm_unpackhi_epi8(blueDifference, zero), centre),
                    _mm_sub_epi16(_mm_unpackhi_epi8(redDifference, zero), centre), high);
        for (int row = 0; row < rows; ++row) {
            __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y[row] + x));
            __m128i lumaLow = _mm_unpacklo_epi8(luma, zero);
            __m128i lumaHigh = _mm_unpackhi_epi8(luma, zero);
            // The saturating pack clamps to 0..255 as the range table does for these.
            __m128i channel[3];
            for (int c = 0; c < 3; ++c)
                channel[c] = _mm_packus_epi16(_mm_add_epi16(lumaLow, low[c]),
                                              _mm_add_epi16(lumaHigh, high[c]));
            StoreSixteen(out[row] + x * 3, channel[0], channel[1], channel[2]);
        }
    }
    for (int row = 0; row < rows; ++row)
        ColourPixelsReference(y[row], cb, cr, chromaShift, x, width, colourTables, rangeTable,
                              out[row]);
}

}  // namespace

void JpegIdct(const int16_t coefficients[64], uint8_t* out, int32_t stride,
              const uint8_t* rangeTable) {
    if (!IdctSse2(coefficients, out, stride))
        JpegIdctReference(coefficients, out, stride, rangeTable);
}

void JpegColourRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int chromaShift,
                   int32_t width, const int32_t* colourTables, const uint8_t* rangeTable,
                   uint8_t* out) {
    const uint8_t* const rows[2] = {y, nullptr};
    uint8_t* const outs[2] = {out, nullptr};
    ColourRows(rows, 1, cb, cr, chromaShift, width, colourTables, rangeTable, outs);
}

void JpegColourRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
                       int chromaShift, int32_t width, const int32_t* colourTables,
                       const uint8_t* rangeTable, uint8_t* out0, uint8_t* out1) {
    const uint8_t* const rows[2] = {y0, y1};
    uint8_t* const outs[2] = {out0, out1};
    ColourRows(rows, 2, cb, cr, chromaShift, width, colourTables, rangeTable, outs);
}

void JpegGreyRow(const uint8_t* y, int32_t width, uint8_t* out) {
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        StoreSixteen(out + x * 3, luma, luma, luma);
    }
    GreyPixelsReference(y, x, width, out);
}

#else  // no SSE2

void JpegIdct(const int16_t coefficients[64], uint8_t* out, int32_t stride,
              const uint8_t* rangeTable) {
    JpegIdctReference(coefficients, out, stride, rangeTable);
}

void JpegColourRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int chromaShift,
                   int32_t width, const int32_t* colourTables, const uint8_t* rangeTable,
                   uint8_t* out) {
    JpegColourRowReference(y, cb, cr, chromaShift, width, colourTables, rangeTable, out);
}

void JpegColourRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
                       int chromaShift, int32_t width, const int32_t* colourTables,
                       const uint8_t* rangeTable, uint8_t* out0, uint8_t* out1) {
    JpegColourRowReference(y0, cb, cr, chromaShift, width, colourTables, rangeTable, out0);
    JpegColourRowReference(y1, cb, cr, chromaShift, width, colourTables, rangeTable, out1);
}

void JpegGreyRow(const uint8_t* y, int32_t width, uint8_t* out) {
    JpegGreyRowReference(y, width, out);
}

#endif
