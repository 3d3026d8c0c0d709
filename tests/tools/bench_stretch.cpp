// Milliseconds per capture of both stretchers, and of the box-average
// arithmetic alone, for typical original and pseudo window sizes. The
// "original" is a memory context holding a DIB section, so the figures leave
// out what reading a real window's pixels costs on top.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "pseudo/ImageBuffer.h"
#include "pseudo/Stretcher.h"
#include "MemorySurface.h"

using namespace quillora;
using quillora::test_support::MemorySurface;

namespace {

constexpr int kRuns = 15;

struct Sizes {
    int sw, sh, dw, dh;
};
constexpr Sizes kSizes[] = {{1920, 1080, 480, 270}, {800, 600, 400, 300}};

class Noise {
public:
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    std::uint32_t state_ = 12345;
};

// The original holds noise, so that no stage can take a shortcut on flat
// colour.
void FillWithNoise(MemorySurface& original) {
    if (!original.bits()) return;
    Noise noise;
    std::generate_n(original.bits(), static_cast<std::size_t>(original.width()) * original.height(),
                    [&] { return noise.next(); });
    GdiFlush();
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median of kRuns timed calls, after one untimed call that warms caches and
// the allocator.
double MedianMs(const std::function<void()>& work) {
    work();
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        work();
        QueryPerformanceCounter(&to);
        times.push_back(Milliseconds(from, to));
    }
    std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
    return times[kRuns / 2];
}

// The quality capture must show what the scaler computes from the same
// pixels; otherwise the timing measures something else.
bool QualityMatchesBoxScale(const MemorySurface& original, const MemorySurface& back, const Sizes& s) {
    ImageBuffer source, expected, shown;
    source.Take(s.sw, s.sh, original.dc());
    expected.Allocate(s.dw, s.dh);
    BoxScale(source, expected);
    shown.Take(s.dw, s.dh, back.dc());
    for (int y = 0; y < s.dh; ++y)
        for (int x = 0; x < s.dw; ++x)
            if ((shown.ReadPixel(x, y) & 0xFFFFFF) != expected.ReadPixel(x, y)) return false;
    return true;
}

int Bench(const Sizes& s) {
    MemorySurface original(s.sw, s.sh, MemorySurface::DibSection);
    MemorySurface back(s.dw, s.dh, MemorySurface::ScreenCompatible);
    if (!original.valid() || !back.valid()) {
        std::printf("%dx%d -> %dx%d: could not create the surfaces\n", s.sw, s.sh, s.dw, s.dh);
        return 1;
    }
    FillWithNoise(original);
    QualityStretcher quality;
    SpeedStretcher speed;
    const double qualityMs =
        MedianMs([&] { quality.Stretch(back.dc(), 0, 0, s.dw, s.dh, original.dc(), 0, 0, s.sw, s.sh); });
    const bool matches = QualityMatchesBoxScale(original, back, s);
    const double speedMs =
        MedianMs([&] { speed.Stretch(back.dc(), 0, 0, s.dw, s.dh, original.dc(), 0, 0, s.sw, s.sh); });

    ImageBuffer source, destination;
    source.Allocate(s.sw, s.sh);
    destination.Allocate(s.dw, s.dh);
    Noise noise;
    for (int y = 0; y < s.sh; ++y)
        for (int x = 0; x < s.sw; ++x) source.WritePixel(x, y, noise.next());
    const double scaleMs = MedianMs([&] { BoxScale(source, destination); });

    std::printf("%4dx%-4d -> %3dx%-3d  %10.3f  %10.3f  %10.3f   %s\n", s.sw, s.sh, s.dw, s.dh, qualityMs, speedMs,
                scaleMs, matches ? "yes" : "NO");
    return matches ? 0 : 1;
}

}  // namespace

int main() {
    std::printf("median of %d runs, milliseconds per capture\n", kRuns);
    std::printf("original  -> pseudo      quality       speed    BoxScale   quality = BoxScale\n");
    int failures = 0;
    for (const Sizes& s : kSizes) failures += Bench(s);
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
