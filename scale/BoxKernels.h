// The inner loops of the box-average scaler, one set per instruction set.
//
// Sums are kept per source column in four lanes, in the byte order of a
// pixel word: blue, green, red and the unused top byte (summed along, never
// written out). Sums of up to kMaxSummedIn16Bits bytes fit 16-bit lanes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scale/Reciprocal.h"

namespace quillora::box {

constexpr int kLanes = 4;
constexpr int kMaxSummedIn16Bits = 257;  // 255 * 257 = 65535

// Half-open range of source columns or rows of one box.
struct Span {
    std::int32_t first;
    std::int32_t last;
};

struct Kernels {
    // sums = (load ? 0 : sums) + the bytes of `rows` rows of `width` pixels,
    // the first at `first`, each `stride` pixels after the one before.
    void (*accumulate)(const std::uint32_t* first, std::ptrdiff_t stride, int rows, std::uint16_t* sums, int width,
                       bool load);
    // prefix[0] = 0 and prefix[x + 1] = prefix[x] + sums[x], lane by lane,
    // modulo 2^32 (a difference of two prefixes is exact while the box sum
    // stays below 2^32).
    void (*prefix)(const std::uint16_t* sums, std::uint32_t* prefix, int width);
    // out[j] = (prefix[spans[j].last] - prefix[spans[j].first]) divided
    // through reciprocals[j], packed into a pixel word with the top byte 0.
    void (*divide)(const std::uint32_t* prefix, const Span* spans, const Reciprocal* reciprocals, std::uint32_t* out,
                   int count);
    // For boxes `k` columns wide starting at column k * j (whole ratios,
    // k = 2, 3, 4 at index k - 2): out[j] = SmallDivide(sum of the box).
    void (*whole[3])(const std::uint16_t* sums, std::uint16_t multiplier, std::uint32_t* out, int count);
    // Boxes of at most 4 (index 0) or kMaxNarrowColumns (index 1) columns
    // and kMaxMediumDivisor pixels: out[j] = MediumDivide(the sum of
    // sums[spans[j].first .. spans[j].last), multipliers[j]). Reads that
    // many columns from each box's first. Null in sets without them.
    void (*narrow[2])(const std::uint16_t* sums, const Span* spans, const std::uint32_t* multipliers,
                      std::uint32_t* out, int count);
    // Boxes of k x k pixels at column k * j of the k rows from `first`
    // (k = 2 and 4 at index k / 2 - 1), straight from the picture. Null in
    // sets without them.
    void (*square[2])(const std::uint32_t* first, std::ptrdiff_t stride, std::uint32_t* out, int count);
};

constexpr int kMaxNarrowColumns = 8;

extern const Kernels kPlainKernels;
extern const Kernels kSse2Kernels;
extern const Kernels kAvx2Kernels;

// The plain loops, also used by the others for the columns left over after
// their wide steps.
void AccumulatePlain(const std::uint32_t* first, std::ptrdiff_t stride, int rows, std::uint16_t* sums, int width,
                     bool load);
void PrefixPlain(const std::uint16_t* sums, std::uint32_t* prefix, int width);
void DividePlain(const std::uint32_t* prefix, const Span* spans, const Reciprocal* reciprocals, std::uint32_t* out,
                 int count);
template <int K>
void WholePlain(const std::uint16_t* sums, std::uint16_t multiplier, std::uint32_t* out, int count);
template <int K>
void SquarePlain(const std::uint32_t* first, std::ptrdiff_t stride, std::uint32_t* out, int count);

}  // namespace quillora::box
