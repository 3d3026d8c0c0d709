#include "scale/BoxScaler.h"

#include <algorithm>

#if defined(__i386__)
#include <float.h>
#endif

namespace quillora {

using box::Span;

namespace {

// Widening to this many columns and rows keeps a box from collapsing to a
// single sample when the scale is 1 or close to it.
constexpr int kMinBoxSpan = 2;

// Rows summed per pass along a row: enough to keep the column sums in
// registers over several rows, few enough for the processor to follow each
// row as a stream.
constexpr int kRowsPerPass = 8;

#if defined(__i386__)
// x87 arithmetic carries 64-bit mantissas unless told otherwise; the box
// edges are sums rounded to double precision at every step.
class DoublePrecision {
public:
    DoublePrecision() : saved_(_controlfp(0, 0)) { _controlfp(_PC_53, _MCW_PC); }
    ~DoublePrecision() { _controlfp(saved_, _MCW_PC); }
    DoublePrecision(const DoublePrecision&) = delete;
    DoublePrecision& operator=(const DoublePrecision&) = delete;

private:
    unsigned saved_;
};
#else
struct DoublePrecision {};  // SSE2 arithmetic is double precision already
#endif

// [first, last) of one box side: truncated, widened, then clamped to
// [0, limit): the widening reaches past the last column or row when the box
// lies on it, and only pixels inside the picture are summed.
Span BoxSpan(double from, double to, int limit) {
    int first = static_cast<int>(from);
    int last = static_cast<int>(std::min<double>(limit, to));
    if (last <= first + 1) last = first + kMinBoxSpan;
    first = std::clamp(first, 0, limit);
    last = std::clamp(last, first, limit);
    return {first, last};
}

// The boxes along one side as the loop over the source extent makes them:
// the edges and the position advance by repeated addition of the ratio, and
// the loop ends at the end of the source or of the destination. (Volatile
// keeps every sum rounded where the loop rounds it.)
void SideBoxes(int source, int destination, std::vector<Span>& boxes) {
    [[maybe_unused]] DoublePrecision precision;
    boxes.clear();
    const volatile double step = static_cast<double>(source) / destination;
    volatile double from = 0, to = step, position = 0;
    for (int k = 0; k < destination && position < source; ++k) {
        boxes.push_back(BoxSpan(from, to, source));
        from = to;
        to = to + step;
        position = position + step;
    }
}

std::uint32_t PackPixel(std::uint64_t blue, std::uint64_t green, std::uint64_t red) {
    return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
}

const box::Kernels& KernelsFor(BoxScaler::Instructions set) {
    switch (set) {
        case BoxScaler::Instructions::Avx2:
            return box::kAvx2Kernels;
        case BoxScaler::Instructions::Sse2:
            return box::kSse2Kernels;
        case BoxScaler::Instructions::Plain:
            break;
    }
    return box::kPlainKernels;
}

// A picture already in memory hands out all its rows at once.
class PictureRows : public RowSource {
public:
    PictureRows(const std::uint32_t* pixels, std::ptrdiff_t stride, int height)
        : pixels_(pixels), stride_(stride), height_(height) {}
    Run Rows(int y) override { return {pixels_ + y * stride_, stride_, height_ - y}; }

private:
    const std::uint32_t* pixels_;
    std::ptrdiff_t stride_;
    int height_;
};

}  // namespace

// The source's current run, so that rows are asked for once.
class BoxScaler::Cursor {
public:
    explicit Cursor(RowSource& source) : source_(source) {}

    // Row y and the rest of its run; a new run from y when the current one
    // does not hold `wanted` rows from y.
    RowSource::Run At(int y, int wanted = 1) {
        if (!run_.first || y < start_ || y + wanted > start_ + run_.rows) {
            run_ = source_.Rows(y);
            start_ = y;
            if (run_.rows <= 0) run_.first = nullptr;
            if (!run_.first) return {};
        }
        const int skip = y - start_;
        return {run_.first + skip * run_.stride, run_.stride, run_.rows - skip};
    }

private:
    RowSource& source_;
    RowSource::Run run_;
    int start_ = 0;
};

bool BoxScaler::Supports(Instructions set) {
    __builtin_cpu_init();
    switch (set) {
        case Instructions::Avx2:
            return __builtin_cpu_supports("avx2");
        case Instructions::Sse2:
            return __builtin_cpu_supports("sse2");
        case Instructions::Plain:
            break;
    }
    return true;
}

BoxScaler::Instructions BoxScaler::Best() {
    if (Supports(Instructions::Avx2)) return Instructions::Avx2;
    if (Supports(Instructions::Sse2)) return Instructions::Sse2;
    return Instructions::Plain;
}

BoxScaler::BoxScaler(Instructions set) : kernels_(KernelsFor(Supports(set) ? set : Best())) {}

void BoxScaler::Prepare(int sw, int sh, int dw, int dh) {
    if (sw == sourceWidth_ && sh == sourceHeight_ && dw == destinationWidth_ && dh == destinationHeight_) return;
    sourceWidth_ = sw;
    sourceHeight_ = sh;
    destinationWidth_ = dw;
    destinationHeight_ = dh;
    columns_.clear();
    rows_.clear();
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    SideBoxes(sw, dw, columns_);
    SideBoxes(sh, dh, rows_);

    maxColumnWidth_ = 0;
    emptyColumn_ = false;
    for (Span column : columns_) {
        maxColumnWidth_ = std::max(maxColumnWidth_, column.last - column.first);
        emptyColumn_ = emptyColumn_ || column.last == column.first;
    }

    // The divisors of each box height that occurs (two or three of them).
    divisors_.clear();
    for (Span row : rows_) {
        const int height = row.last - row.first;
        if (isWide(row) || std::any_of(divisors_.begin(), divisors_.end(),
                                       [height](const HeightDivisors& d) { return d.rows == height; })) {
            continue;
        }
        HeightDivisors& divisors = divisors_.emplace_back();
        divisors.rows = height;
        for (Span column : columns_) {
            const std::uint32_t count = static_cast<std::uint32_t>((column.last - column.first) * height);
            divisors.reciprocals.push_back(MakeReciprocal(count));
            divisors.multipliers.push_back(count <= kMaxMediumDivisor ? MediumMultiplier(count) : 0);
        }
    }

    wholeRatio_ = 0;
    for (int ratio = 2; ratio <= 4 && !wholeRatio_; ++ratio) {
        bool whole = true;
        for (std::size_t j = 0; j < columns_.size() && whole; ++j) {
            const int first = ratio * static_cast<int>(j);
            whole = columns_[j].first == first && columns_[j].last == first + ratio;
        }
        if (whole) wholeRatio_ = ratio;
    }

    // Room for a narrow box's reads past the last column.
    sums_.resize(static_cast<std::size_t>(box::kLanes) * (sw + box::kMaxNarrowColumns));
    prefix_.resize(static_cast<std::size_t>(box::kLanes) * (sw + 1));
    const bool anyWide = std::any_of(rows_.begin(), rows_.end(), [this](Span row) { return isWide(row); });
    if (anyWide) {
        wideSums_.resize(static_cast<std::size_t>(box::kLanes) * sw);
    } else {
        std::vector<std::uint64_t>().swap(wideSums_);
    }
}

// Rows whose boxes are too tall for 16-bit column sums, or too large for the
// reciprocals, or empty, take the plain 64-bit way. Such boxes are large,
// so there are few of them.
bool BoxScaler::isWide(Span row) const {
    const std::uint64_t rows = static_cast<std::uint64_t>(row.last - row.first);
    return rows == 0 || rows > box::kMaxSummedIn16Bits || emptyColumn_ ||
           rows * static_cast<std::uint64_t>(maxColumnWidth_) > kMaxReciprocalDivisor;
}

bool BoxScaler::sumRows(Cursor& rows, Span span, bool load) {
    for (int y = span.first; y < span.last;) {
        const RowSource::Run run = rows.At(y);
        if (!run.first) return false;
        const int count = std::min(span.last - y, run.rows);
        for (int done = 0; done < count; done += kRowsPerPass) {
            kernels_.accumulate(run.first + done * run.stride, run.stride, std::min(kRowsPerPass, count - done),
                                sums_.data(), sourceWidth_, load);
            load = false;
        }
        y += count;
    }
    return true;
}

const BoxScaler::HeightDivisors& BoxScaler::divisorsFor(int rows) const {
    return *std::find_if(divisors_.begin(), divisors_.end(),
                         [rows](const HeightDivisors& d) { return d.rows == rows; });
}

bool BoxScaler::scaleNarrowRow(Cursor& rows, Span span, std::uint32_t* out) {
    const int height = span.last - span.first;
    if ((wholeRatio_ == 2 || wholeRatio_ == 4) && height == wholeRatio_ && kernels_.square[wholeRatio_ / 2 - 1]) {
        const RowSource::Run run = rows.At(span.first, height);
        if (!run.first) return false;
        if (run.rows >= height) {
            kernels_.square[wholeRatio_ / 2 - 1](run.first, run.stride, out, ReachedWidth());
            return true;
        }
    }
    if (!sumRows(rows, span, true)) return false;
    if (wholeRatio_ && static_cast<std::uint32_t>(wholeRatio_ * height) <= kMaxSmallDivisor) {
        kernels_.whole[wholeRatio_ - 2](sums_.data(), SmallMultiplier(wholeRatio_ * height), out, ReachedWidth());
        return true;
    }
    const HeightDivisors& divisors = divisorsFor(height);
    const auto narrow = kernels_.narrow[maxColumnWidth_ <= 4 ? 0 : 1];
    if (narrow && maxColumnWidth_ <= box::kMaxNarrowColumns &&
        static_cast<std::uint32_t>(maxColumnWidth_ * height) <= kMaxMediumDivisor) {
        narrow(sums_.data(), columns_.data(), divisors.multipliers.data(), out, ReachedWidth());
        return true;
    }
    kernels_.prefix(sums_.data(), prefix_.data(), sourceWidth_);
    kernels_.divide(prefix_.data(), columns_.data(), divisors.reciprocals.data(), out, ReachedWidth());
    return true;
}

bool BoxScaler::scaleWideRow(Cursor& rows, Span span, std::uint32_t* out) {
    std::fill(wideSums_.begin(), wideSums_.end(), 0);
    for (int y = span.first; y < span.last; y += box::kMaxSummedIn16Bits) {
        if (!sumRows(rows, {y, std::min(span.last, y + box::kMaxSummedIn16Bits)}, true)) return false;
        for (std::size_t i = 0; i < wideSums_.size(); ++i) wideSums_[i] += sums_[i];
    }
    const std::uint64_t height = static_cast<std::uint64_t>(span.last - span.first);
    for (std::size_t j = 0; j < columns_.size(); ++j) {
        const Span column = columns_[j];
        const std::uint64_t count = static_cast<std::uint64_t>(column.last - column.first) * height;
        std::uint64_t sum[3] = {};
        for (int x = column.first; x < column.last; ++x) {
            for (int c = 0; c < 3; ++c) sum[c] += wideSums_[static_cast<std::size_t>(box::kLanes) * x + c];
        }
        out[j] = count == 0 ? 0 : PackPixel(sum[0] / count, sum[1] / count, sum[2] / count);
    }
    return true;
}

bool BoxScaler::Scale(RowSource& source, std::uint32_t* destination, std::ptrdiff_t destinationStride) {
    Cursor rows(source);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        std::uint32_t* out = destination + static_cast<std::ptrdiff_t>(i) * destinationStride;
        const bool done = isWide(rows_[i]) ? scaleWideRow(rows, rows_[i], out) : scaleNarrowRow(rows, rows_[i], out);
        if (!done) return false;
    }
    return true;
}

bool BoxScaler::Scale(const std::uint32_t* source, std::ptrdiff_t sourceStride, std::uint32_t* destination,
                      std::ptrdiff_t destinationStride) {
    PictureRows rows(source, sourceStride, sourceHeight_);
    return Scale(rows, destination, destinationStride);
}

}  // namespace quillora
