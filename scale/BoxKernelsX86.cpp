// The box-average loops with SSE2 and AVX2, chosen at run time: the 32-bit
// build is compiled for processors that have neither.
#include <immintrin.h>

#include <algorithm>

#include "scale/BoxKernels.h"

// 32-bit Windows calls window procedures with a stack aligned to 4 bytes
// only; SSE2 code that keeps vectors on the stack needs 16.
#if defined(__i386__)
#define QUILLORA_SIMD_ENTRY __attribute__((force_align_arg_pointer))
#else
#define QUILLORA_SIMD_ENTRY
#endif
#define QUILLORA_SSE2 __attribute__((target("sse2"))) QUILLORA_SIMD_ENTRY
#define QUILLORA_AVX2 __attribute__((target("avx2"))) QUILLORA_SIMD_ENTRY

namespace quillora::box {

namespace {

QUILLORA_SSE2 inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
QUILLORA_SSE2 inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// R rows at a time across the whole width, four pixels per 16-byte load,
// each unpacked into two registers of 16-bit lanes. Whole passes keep the
// loops free of branches that depend on the box height.
template <int R>
QUILLORA_SSE2 void AddRowsSse2(const std::uint32_t* first, std::ptrdiff_t stride, std::uint16_t* sums, int width,
                               bool load) {
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        std::uint16_t* lanes = sums + kLanes * x;
        __m128i low = load ? zero : Load(lanes), high = load ? zero : Load(lanes + 8);
        for (int r = 0; r < R; ++r) {
            const __m128i pixels = Load(first + r * stride + x);
            low = _mm_add_epi16(low, _mm_unpacklo_epi8(pixels, zero));
            high = _mm_add_epi16(high, _mm_unpackhi_epi8(pixels, zero));
        }
        Store(lanes, low);
        Store(lanes + 8, high);
    }
    if (x < width) AccumulatePlain(first + x, stride, R, sums + kLanes * x, width - x, load);
}

// Any number of rows as passes of one to four rows.
using AddRows = void (*)(const std::uint32_t* first, std::ptrdiff_t stride, std::uint16_t* sums, int width, bool load);
void AccumulateInPasses(const AddRows (&passes)[4], const std::uint32_t* first, std::ptrdiff_t stride, int rows,
                        std::uint16_t* sums, int width, bool load) {
    for (; rows > 4; rows -= 4, first += 4 * stride, load = false) passes[3](first, stride, sums, width, load);
    if (rows > 0) passes[rows - 1](first, stride, sums, width, load);
}

constexpr AddRows kSse2Passes[4] = {AddRowsSse2<1>, AddRowsSse2<2>, AddRowsSse2<3>, AddRowsSse2<4>};

void AccumulateSse2(const std::uint32_t* first, std::ptrdiff_t stride, int rows, std::uint16_t* sums, int width,
                    bool load) {
    AccumulateInPasses(kSse2Passes, first, stride, rows, sums, width, load);
}

QUILLORA_SSE2 void PrefixSse2(const std::uint16_t* sums, std::uint32_t* prefix, int width) {
    const __m128i zero = _mm_setzero_si128();
    __m128i running = zero;
    Store(prefix, zero);
    for (int x = 0; x < width; ++x) {
        const __m128i column = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(sums + kLanes * x));
        running = _mm_add_epi32(running, _mm_unpacklo_epi16(column, zero));
        Store(prefix + kLanes * (x + 1), running);
    }
}

// Four lanes of 32-bit sums times one multiplier: the even lanes, then the
// odd lanes moved down, each product shifted down in its 64-bit half.
QUILLORA_SSE2 void DivideSse2(const std::uint32_t* prefix, const Span* spans, const Reciprocal* reciprocals,
                              std::uint32_t* out, int count) {
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
    for (int j = 0; j < count; ++j) {
        const __m128i sum =
            _mm_sub_epi32(Load(prefix + kLanes * spans[j].last), Load(prefix + kLanes * spans[j].first));
        const __m128i multiplier = _mm_set1_epi32(static_cast<int>(reciprocals[j].multiplier));
        const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(reciprocals[j].shift));
        const __m128i even = _mm_srl_epi64(_mm_mul_epu32(sum, multiplier), shift);
        const __m128i odd = _mm_srl_epi64(_mm_mul_epu32(_mm_srli_epi64(sum, 32), multiplier), shift);
        __m128i quotient = _mm_or_si128(even, _mm_slli_epi64(odd, 32));
        quotient = _mm_packs_epi32(quotient, quotient);
        quotient = _mm_packus_epi16(quotient, quotient);
        out[j] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_and_si128(quotient, keep)));
    }
}

// Two boxes per step: their sums end up in the low and high halves of one
// register, divided together and stored as two pixels.
QUILLORA_SSE2 inline void StoreTwo(std::uint32_t* out, __m128i boxes, __m128i multiplier) {
    const __m128i quotient = _mm_mulhi_epu16(boxes, multiplier);
    const __m128i packed = _mm_packus_epi16(quotient, quotient);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_and_si128(packed, _mm_set1_epi32(0x00FFFFFF)));
}

// The sums of two boxes of K columns from s: the first box's in the low
// half, the second's in the high half.
template <int K>
QUILLORA_SSE2 inline __m128i TwoBoxes(const std::uint16_t* s) {
    if constexpr (K == 2) {
        const __m128i a = Load(s), b = Load(s + 8);
        return _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
    } else if constexpr (K == 3) {
        // Columns 0-1, 2-3 and 4-5: 0 + 1 + 2 and 3 + 4 + 5.
        const __m128d a = _mm_castsi128_pd(Load(s)), b = _mm_castsi128_pd(Load(s + 8)),
                      c = _mm_castsi128_pd(Load(s + 16));
        const __m128i first = _mm_castpd_si128(_mm_move_sd(b, a));         // 0 | 3
        const __m128i second = _mm_castpd_si128(_mm_shuffle_pd(a, c, 1));  // 1 | 4
        const __m128i third = _mm_castpd_si128(_mm_move_sd(c, b));          // 2 | 5
        return _mm_add_epi16(_mm_add_epi16(first, second), third);
    } else {
        const __m128i left = _mm_add_epi16(Load(s), Load(s + 8));
        const __m128i right = _mm_add_epi16(Load(s + 16), Load(s + 24));
        return _mm_add_epi16(_mm_unpacklo_epi64(left, right), _mm_unpackhi_epi64(left, right));
    }
}

template <int K>
QUILLORA_SSE2 void WholeSse2(const std::uint16_t* sums, std::uint16_t multiplier, std::uint32_t* out, int count) {
    const __m128i m = _mm_set1_epi16(static_cast<short>(multiplier));
    int j = 0;
    for (; j + 2 <= count; j += 2) StoreTwo(out + j, TwoBoxes<K>(sums + kLanes * K * j), m);
    if (j < count) WholePlain<K>(sums + kLanes * K * j, multiplier, out + j, count - j);
}

// As with SSE2, eight pixels per step: each 4-pixel load widens straight
// into a 256-bit register of 16-bit lanes.
template <int R>
QUILLORA_AVX2 void AddRowsAvx2(const std::uint32_t* first, std::ptrdiff_t stride, std::uint16_t* sums, int width,
                               bool load) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        auto* lanes = reinterpret_cast<__m256i*>(sums + kLanes * x);
        __m256i low = load ? _mm256_setzero_si256() : _mm256_loadu_si256(lanes);
        __m256i high = load ? _mm256_setzero_si256() : _mm256_loadu_si256(lanes + 1);
        for (int r = 0; r < R; ++r) {
            low = _mm256_add_epi16(low, _mm256_cvtepu8_epi16(Load(first + r * stride + x)));
            high = _mm256_add_epi16(high, _mm256_cvtepu8_epi16(Load(first + r * stride + x + 4)));
        }
        _mm256_storeu_si256(lanes, low);
        _mm256_storeu_si256(lanes + 1, high);
    }
    if (x < width) AddRowsSse2<R>(first + x, stride, sums + kLanes * x, width - x, load);
}

constexpr AddRows kAvx2Passes[4] = {AddRowsAvx2<1>, AddRowsAvx2<2>, AddRowsAvx2<3>, AddRowsAvx2<4>};

void AccumulateAvx2(const std::uint32_t* first, std::ptrdiff_t stride, int rows, std::uint16_t* sums, int width,
                    bool load) {
    AccumulateInPasses(kAvx2Passes, first, stride, rows, sums, width, load);
}

// Sixty-four bytes set, then sixty-four clear: the 64 bytes from 64 - 8 n on
// keep the first n columns of eight.
alignas(64) constexpr std::uint8_t kColumnMasks[128] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The columns of one box of at most four or eight columns, from its first
// on, masked to the box; the two registers of an eight-column box added.
template <int Columns>
QUILLORA_AVX2 inline __m256i BoxColumns(const std::uint16_t* sums, Span span) {
    const std::uint16_t* p = sums + kLanes * static_cast<std::size_t>(span.first);
    const std::uint8_t* mask = kColumnMasks + 64 - 8 * static_cast<std::size_t>(span.last - span.first);
    __m256i columns = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
                                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(mask)));
    if (Columns > 4) {
        columns = _mm256_add_epi16(
            columns, _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 16)),
                                      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(mask + 32))));
    }
    return columns;
}

// Boxes a, b, c and d as four pixels: their columns folded together, the
// sums widened to 32 bits and multiplied, two boxes to a register.
template <int Columns>
QUILLORA_AVX2 inline __m128i FourBoxes(const std::uint16_t* sums, const Span* spans, int a, int b, int c, int d,
                                       __m128i multipliers) {
    const __m256i ca = BoxColumns<Columns>(sums, spans[a]), cb = BoxColumns<Columns>(sums, spans[b]);
    const __m256i cc = BoxColumns<Columns>(sums, spans[c]), cd = BoxColumns<Columns>(sums, spans[d]);
    // Columns 0 + 1 of a and b | 2 + 3 of a and b, the same for c and d.
    const __m256i ab = _mm256_add_epi16(_mm256_unpacklo_epi64(ca, cb), _mm256_unpackhi_epi64(ca, cb));
    const __m256i cd2 = _mm256_add_epi16(_mm256_unpacklo_epi64(cc, cd), _mm256_unpackhi_epi64(cc, cd));
    // a, b | c, d.
    const __m256i boxes =
        _mm256_add_epi16(_mm256_permute2x128_si256(ab, cd2, 0x20), _mm256_permute2x128_si256(ab, cd2, 0x31));
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256i all = _mm256_castsi128_si256(multipliers);
    const __m256i mab = _mm256_permutevar8x32_epi32(all, spread);
    const __m256i mcd = _mm256_permutevar8x32_epi32(all, _mm256_add_epi32(spread, _mm256_set1_epi32(2)));
    const __m256i qab =
        _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(boxes)), mab), 24);
    const __m256i qcd =
        _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(boxes, 1)), mcd), 24);
    // Packing keeps the halves apart: a, c | b, d.
    __m256i packed = _mm256_packus_epi32(qab, qcd);
    packed = _mm256_packus_epi16(packed, packed);
    packed = _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 0, 4, 1, 5));
    return _mm_and_si128(_mm256_castsi256_si128(packed), _mm_set1_epi32(0x00FFFFFF));
}

template <int Columns>
QUILLORA_AVX2 void NarrowAvx2(const std::uint16_t* sums, const Span* spans, const std::uint32_t* multipliers,
                              std::uint32_t* out, int count) {
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(multipliers + j));
        const __m128i four = FourBoxes<Columns>(sums, spans, j, j + 1, j + 2, j + 3, m);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), four);
    }
    if (j < count) {
        // The last one to three boxes, the last of them repeated.
        const int last = count - 1, b = std::min(j + 1, last), c = std::min(j + 2, last);
        const __m128i m = _mm_setr_epi32(static_cast<int>(multipliers[j]), static_cast<int>(multipliers[b]),
                                         static_cast<int>(multipliers[c]), static_cast<int>(multipliers[last]));
        alignas(16) std::uint32_t four[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(four), FourBoxes<Columns>(sums, spans, j, b, c, last, m));
        for (int k = 0; j + k < count; ++k) out[j + k] = four[k];
    }
}

// Within each half of a register, the bytes of neighbouring pixels side by
// side, channel by channel, so that a multiply-add by ones sums each pair of
// pixels into 16-bit lanes.
QUILLORA_AVX2 inline __m256i PairSums(const std::uint32_t* p) {
    const __m256i pairs = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,  //
                                           0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i row = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    return _mm256_maddubs_epi16(_mm256_shuffle_epi8(row, pairs), _mm256_set1_epi8(1));
}

// 2 x 2 boxes, eight per step.
QUILLORA_AVX2 void Square2Avx2(const std::uint32_t* first, std::ptrdiff_t stride, std::uint32_t* out, int count) {
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    int j = 0;
    for (; j + 8 <= count; j += 8) {
        const std::uint32_t* p = first + 2 * j;
        // Boxes 0, 1 | 2, 3 and 4, 5 | 6, 7.
        const __m256i a = _mm256_srli_epi16(_mm256_add_epi16(PairSums(p), PairSums(p + stride)), 2);
        const __m256i b = _mm256_srli_epi16(_mm256_add_epi16(PairSums(p + 8), PairSums(p + 8 + stride)), 2);
        // Packing keeps the halves apart: 0, 1, 4, 5 | 2, 3, 6, 7.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), _MM_SHUFFLE(3, 1, 2, 0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_and_si256(packed, keep));
    }
    if (j < count) SquarePlain<2>(first + 2 * j, stride, out + j, count - j);
}

// The pair sums of two 4 x 4 boxes, the first box in the low half.
QUILLORA_AVX2 inline __m256i FourRows(const std::uint32_t* p, std::ptrdiff_t stride) {
    return _mm256_add_epi16(_mm256_add_epi16(PairSums(p), PairSums(p + stride)),
                            _mm256_add_epi16(PairSums(p + 2 * stride), PairSums(p + 3 * stride)));
}

// 4 x 4 boxes, eight per step: the pair sums of the four rows added, then
// the two pairs of each box.
QUILLORA_AVX2 void Square4Avx2(const std::uint32_t* first, std::ptrdiff_t stride, std::uint32_t* out, int count) {
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int j = 0;
    for (; j + 8 <= count; j += 8) {
        const std::uint32_t* p = first + 4 * j;
        const __m256i b01 = FourRows(p, stride), b23 = FourRows(p + 8, stride);
        const __m256i b45 = FourRows(p + 16, stride), b67 = FourRows(p + 24, stride);
        // Boxes 0, 2 | 1, 3 and 4, 6 | 5, 7.
        const __m256i a = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_unpacklo_epi64(b01, b23), _mm256_unpackhi_epi64(b01, b23)), 4);
        const __m256i b = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_unpacklo_epi64(b45, b67), _mm256_unpackhi_epi64(b45, b67)), 4);
        // Packed: 0, 2, 4, 6 | 1, 3, 5, 7.
        const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(a, b), order);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_and_si256(packed, keep));
    }
    if (j < count) SquarePlain<4>(first + 4 * j, stride, out + j, count - j);
}

}  // namespace

const Kernels kSse2Kernels = {AccumulateSse2, PrefixSse2, DivideSse2, {WholeSse2<2>, WholeSse2<3>, WholeSse2<4>},
                              {nullptr, nullptr}, {nullptr, nullptr}};
const Kernels kAvx2Kernels = {AccumulateAvx2, PrefixSse2, DivideSse2, {WholeSse2<2>, WholeSse2<3>, WholeSse2<4>},
                              {NarrowAvx2<4>, NarrowAvx2<8>}, {Square2Avx2, Square4Avx2}};

}  // namespace quillora::box
