// The box-average loops in plain C++, for processors without SSE2.
#include "scale/BoxKernels.h"

namespace quillora::box {

namespace {

std::uint32_t PackPixel(std::uint32_t blue, std::uint32_t green, std::uint32_t red) {
    return red << 16 | green << 8 | blue;
}

}  // namespace

void AccumulatePlain(const std::uint32_t* first, std::ptrdiff_t stride, int rows, std::uint16_t* sums, int width,
                     bool load) {
    for (int x = 0; x < width; ++x) {
        std::uint16_t* lane = sums + kLanes * x;
        std::uint32_t column[kLanes] = {};
        if (!load) {
            for (int c = 0; c < kLanes; ++c) column[c] = lane[c];
        }
        for (int r = 0; r < rows; ++r) {
            const std::uint32_t pixel = first[r * stride + x];
            for (int c = 0; c < kLanes; ++c) column[c] += pixel >> (8 * c) & 0xFF;
        }
        for (int c = 0; c < kLanes; ++c) lane[c] = static_cast<std::uint16_t>(column[c]);
    }
}

void PrefixPlain(const std::uint16_t* sums, std::uint32_t* prefix, int width) {
    std::uint32_t running[kLanes] = {};
    for (int c = 0; c < kLanes; ++c) prefix[c] = 0;
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < kLanes; ++c) {
            running[c] += sums[kLanes * x + c];
            prefix[kLanes * (x + 1) + c] = running[c];
        }
    }
}

void DividePlain(const std::uint32_t* prefix, const Span* spans, const Reciprocal* reciprocals, std::uint32_t* out,
                 int count) {
    for (int j = 0; j < count; ++j) {
        const std::uint32_t* from = prefix + kLanes * spans[j].first;
        const std::uint32_t* to = prefix + kLanes * spans[j].last;
        out[j] = PackPixel(Divide(to[0] - from[0], reciprocals[j]), Divide(to[1] - from[1], reciprocals[j]),
                           Divide(to[2] - from[2], reciprocals[j]));
    }
}

template <int K>
void WholePlain(const std::uint16_t* sums, std::uint16_t multiplier, std::uint32_t* out, int count) {
    for (int j = 0; j < count; ++j) {
        std::uint32_t box[3] = {};
        for (int t = 0; t < K; ++t) {
            for (int c = 0; c < 3; ++c) box[c] += sums[kLanes * (K * j + t) + c];
        }
        out[j] = PackPixel(SmallDivide(box[0], multiplier), SmallDivide(box[1], multiplier),
                           SmallDivide(box[2], multiplier));
    }
}

template <int K>
void SquarePlain(const std::uint32_t* first, std::ptrdiff_t stride, std::uint32_t* out, int count) {
    for (int j = 0; j < count; ++j) {
        std::uint32_t box[3] = {};
        for (int r = 0; r < K; ++r) {
            for (int t = 0; t < K; ++t) {
                const std::uint32_t pixel = first[r * stride + K * j + t];
                for (int c = 0; c < 3; ++c) box[c] += pixel >> (8 * c) & 0xFF;
            }
        }
        out[j] = PackPixel(box[0] / (K * K), box[1] / (K * K), box[2] / (K * K));
    }
}

template void SquarePlain<2>(const std::uint32_t*, std::ptrdiff_t, std::uint32_t*, int);
template void SquarePlain<4>(const std::uint32_t*, std::ptrdiff_t, std::uint32_t*, int);
template void WholePlain<2>(const std::uint16_t*, std::uint16_t, std::uint32_t*, int);
template void WholePlain<3>(const std::uint16_t*, std::uint16_t, std::uint32_t*, int);
template void WholePlain<4>(const std::uint16_t*, std::uint16_t, std::uint32_t*, int);

const Kernels kPlainKernels = {
    AccumulatePlain,    PrefixPlain,       DividePlain, {WholePlain<2>, WholePlain<3>, WholePlain<4>},
    {nullptr, nullptr}, {nullptr, nullptr}};

}  // namespace quillora::box
