// The box-average scaler: each destination pixel is the average of a box of
// source pixels. Box edges are the multiples of the ratio accumulated in
// double precision and truncated, a box is widened to at least two columns
// and two rows and clamped to the picture, and each channel's sum is divided
// by the number of pixels summed, truncating; the top byte is written as 0.
//
// The boxes are worked out once per size. A destination row sums its rows
// of source pixels column by column, then each destination pixel sums its
// columns of those sums, so every source pixel is read about once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scale/BoxKernels.h"

namespace quillora {

// Rows of a 32-bit source picture, top first, handed out a run at a time.
class RowSource {
public:
    struct Run {
        const std::uint32_t* first = nullptr;  // row y; null when the rows cannot be had
        std::ptrdiff_t stride = 0;             // pixels from one row to the next
        int rows = 0;                          // rows from y on, at least 1 unless first is null
    };
    virtual ~RowSource() = default;
    virtual Run Rows(int y) = 0;
};

class BoxScaler {
public:
    enum class Instructions { Plain, Sse2, Avx2 };
    static bool Supports(Instructions set);
    static Instructions Best();

    explicit BoxScaler(Instructions set = Best());

    // Works out the boxes for scaling sw x sh to dw x dh; keeps them while
    // the sizes stay the same.
    void Prepare(int sw, int sh, int dw, int dh);

    // The destination pixels the scaling writes: (0, 0) to (ReachedWidth,
    // ReachedHeight); the others keep their value. Every pixel, unless the
    // accumulated edges end the source extent early.
    int ReachedWidth() const { return static_cast<int>(columns_.size()); }
    int ReachedHeight() const { return static_cast<int>(rows_.size()); }

    // Scales the prepared sizes into `destination` (rows top first,
    // `destinationStride` pixels apart). False when the source could not
    // hand out its rows; the destination then holds a partial picture.
    bool Scale(RowSource& source, std::uint32_t* destination, std::ptrdiff_t destinationStride);
    // The same from a source picture in memory (rows top first).
    bool Scale(const std::uint32_t* source, std::ptrdiff_t sourceStride, std::uint32_t* destination,
               std::ptrdiff_t destinationStride);

private:
    class Cursor;
    // The divisors of every column's box in rows of one height.
    struct HeightDivisors {
        int rows = 0;
        std::vector<Reciprocal> reciprocals;
        std::vector<std::uint32_t> multipliers;  // MediumMultiplier, 0 for larger boxes
    };

    bool isWide(box::Span row) const;
    const HeightDivisors& divisorsFor(int rows) const;
    bool sumRows(Cursor& rows, box::Span span, bool load);
    bool scaleNarrowRow(Cursor& rows, box::Span span, std::uint32_t* out);
    bool scaleWideRow(Cursor& rows, box::Span span, std::uint32_t* out);

    const box::Kernels& kernels_;
    int sourceWidth_ = 0, sourceHeight_ = 0, destinationWidth_ = 0, destinationHeight_ = 0;
    std::vector<box::Span> columns_;
    std::vector<box::Span> rows_;
    int maxColumnWidth_ = 0;
    bool emptyColumn_ = false;
    // 2, 3 or 4 when box j is that many columns from column ratio * j; else 0.
    int wholeRatio_ = 0;
    std::vector<HeightDivisors> divisors_;
    std::vector<std::uint16_t> sums_;
    std::vector<std::uint32_t> prefix_;
    std::vector<std::uint64_t> wideSums_;
};

}  // namespace quillora
