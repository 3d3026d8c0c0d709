// The box-average scaler in its first, plainest form: one box per
// destination pixel, edges accumulated in double precision over the source
// extent, every pixel of the box summed and divided. The fast scaler must
// give exactly this output; the tests and the benchmark compare against it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillora::test_support {

// A 32-bit picture, rows top first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const Picture&) const = default;
};

// [first, last) of one box side: truncated, widened to two, clamped to [0, limit).
inline void ReferenceSpan(double from, double to, int limit, int& first, int& last) {
    first = static_cast<int>(from);
    last = static_cast<int>(std::min<double>(limit, to));
    if (last <= first + 1) last = first + 2;
    first = std::clamp(first, 0, limit);
    last = std::clamp(last, first, limit);
}

inline std::uint32_t ReferenceBoxAverage(const Picture& s, double x0, double y0, double x1, double y1) {
    int xs, xe, ys, ye;
    ReferenceSpan(x0, x1, s.width, xs, xe);
    ReferenceSpan(y0, y1, s.height, ys, ye);
    const std::uint64_t n = static_cast<std::uint64_t>(xe - xs) * static_cast<std::uint64_t>(ye - ys);
    if (n == 0) return 0;
    std::uint64_t r = 0, g = 0, b = 0;
    for (int y = ys; y < ye; ++y) {
        for (int x = xs; x < xe; ++x) {
            const std::uint32_t p = s.at(x, y);
            r += (p >> 16) & 0xFF;
            g += (p >> 8) & 0xFF;
            b += p & 0xFF;
        }
    }
    return static_cast<std::uint32_t>((r / n) << 16 | (g / n) << 8 | (b / n));
}

// Writes the destination pixels the loops reach; the others keep their value.
inline void ReferenceBoxScale(const Picture& s, Picture& d) {
    const int sw = s.width, sh = s.height, dw = d.width, dh = d.height;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    const double ex = static_cast<double>(sw) / dw, ey = static_cast<double>(sh) / dh;
    double y0 = 0, y1 = ey;
    int i = 0;
    for (double ry = 0; ry < sh; ry += ey, ++i) {
        double x0 = 0, x1 = ex;
        int j = 0;
        for (double rx = 0; rx < sw; rx += ex, ++j) {
            if (j < dw && i < dh) d.at(j, i) = ReferenceBoxAverage(s, x0, y0, x1, y1);
            x0 = x1;
            x1 += ex;
        }
        y0 = y1;
        y1 += ey;
    }
}

}  // namespace quillora::test_support
