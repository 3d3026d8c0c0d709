// Division of a box's channel sum by the box's pixel count as a multiply and
// a shift. A channel sum never exceeds 255 times the count, which is what
// keeps these exact.
#pragma once

#include <cstdint>

namespace quillora {

// floor(sum / count) = (sum * multiplier) >> shift for every count from 1 to
// kMaxReciprocalDivisor and every sum from 0 to 255 * count. Larger boxes
// divide plainly.
struct Reciprocal {
    std::uint32_t multiplier = 0;
    std::uint32_t shift = 0;
};

constexpr std::uint32_t kMaxReciprocalDivisor = 1u << 16;

// With shift = 31 + ceil(log2 count), the multiplier ceil(2^shift / count)
// stays below 2^32 and overshoots 2^shift / count by less than one; the
// product then overshoots sum / count by less than sum / 2^shift, which is
// below 1 / count (the smallest distance from a quotient that is not whole
// to the next whole one) for every count up to 2^23.
constexpr Reciprocal MakeReciprocal(std::uint32_t count) {
    std::uint32_t bits = 0;
    while ((std::uint64_t{1} << bits) < count) ++bits;
    const std::uint32_t shift = 31 + bits;
    return {static_cast<std::uint32_t>(((std::uint64_t{1} << shift) + count - 1) / count), shift};
}

constexpr std::uint32_t Divide(std::uint32_t sum, Reciprocal r) {
    return static_cast<std::uint32_t>(std::uint64_t{sum} * r.multiplier >> r.shift);
}

// The small boxes of whole ratios (2 x 2 to 4 x 4 pixels, counts 2 to 16)
// divide in 16 bits: floor(sum / count) = (sum * multiplier) >> 16 with the
// multiplier ceil(2^16 / count), since 255 * count * count stays below 2^16.
constexpr std::uint32_t kMaxSmallDivisor = 16;

constexpr std::uint16_t SmallMultiplier(std::uint32_t count) {
    return static_cast<std::uint16_t>(((1u << 16) + count - 1) / count);
}

constexpr std::uint32_t SmallDivide(std::uint32_t sum, std::uint16_t multiplier) { return sum * multiplier >> 16; }

// Boxes of up to 256 pixels divide in 32 bits with one shift for all:
// floor(sum / count) = (sum * multiplier) >> 24 with the multiplier
// ceil(2^24 / count), since 255 * count * count stays below 2^24 and the
// product below 2^32.
constexpr std::uint32_t kMaxMediumDivisor = 256;

constexpr std::uint32_t MediumMultiplier(std::uint32_t count) { return ((1u << 24) + count - 1) / count; }

constexpr std::uint32_t MediumDivide(std::uint32_t sum, std::uint32_t multiplier) { return sum * multiplier >> 24; }

}  // namespace quillora
