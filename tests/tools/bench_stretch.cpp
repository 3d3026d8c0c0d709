// Milliseconds per frame of both stretchers, from a device context that holds
// the original's picture in the display's format (as a window's does)
// through to a back buffer like the pseudo window's, and of the box-average
// arithmetic alone; each as a ratio to a memcpy of the original's pixels
// measured in the same run, since the machine's speed varies from run to run.
// Reading another process's window adds the platform's own cost on top.
// Two more stages: a frame of a window whose DC is black, printed instead
// (PrintWindow and the quality stretcher, as the capture does it; the window
// lives in this process and prints the picture itself, so a compositor's own
// rendering on Windows comes on top), and the black test of a whole black
// back buffer, which every DC capture of a refreshed window runs.
//
// Ends with one line per size for scripts:
//   ratio WxH->wxh quality=Q speed=S scaler=C print=P black=B exact=yes|no
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "MemorySurface.h"
#include "ReferenceBoxScale.h"
#include "Stopwatch.h"
#include "scale/BoxScaler.h"
#include "pseudo/PictureReader.h"
#include "scale/Stretcher.h"

using namespace quillora;
using quillora::test_support::MemorySurface;
using quillora::test_support::Picture;
using quillora::test_support::ReferenceBoxScale;

namespace {

constexpr int kRuns = 41;

struct Sizes {
    int sw, sh, dw, dh;
};
constexpr Sizes kSizes[] = {
    {1920, 1080, 480, 270}, {2560, 1440, 640, 360}, {3840, 2160, 960, 540}, {800, 600, 400, 300}, {1366, 768, 300, 200},
};

// Noise, so that no stage can take a shortcut on flat colour.
Picture Noise(int width, int height) {
    Picture picture(width, height);
    std::uint32_t state = 12345;
    for (std::uint32_t& pixel : picture.pixels) {
        state = state * 1664525u + 1013904223u;
        pixel = state >> 8;
    }
    return picture;
}

// The box-average arithmetic alone, on a picture already in memory.
struct ScalerAlone {
    const Picture& source;
    Picture destination;
    BoxScaler scaler;

    ScalerAlone(const Picture& original, int dw, int dh) : source(original), destination(dw, dh) {
        scaler.Prepare(original.width, original.height, dw, dh);
    }
    void Run() { scaler.Scale(source.pixels.data(), source.width, destination.pixels.data(), destination.width); }
};

// A window that paints black and shows `picture` only when asked to print
// itself, as a compositor-drawn program leaves its DC.
class PrintOnlyWindow {
public:
    explicit PrintOnlyWindow(const Picture& picture) : picture_(picture) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "BenchPrintOnly";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, picture.width, picture.height,
                                nullptr, nullptr, wc.hInstance, this);
    }
    ~PrintOnlyWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        }
        if (msg == WM_PRINTCLIENT) {
            const auto* self = reinterpret_cast<PrintOnlyWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            const Picture& p = self->picture_;
            BITMAPINFO info = MemorySurface::TopDownInfo(p.width, p.height);
            SetDIBitsToDevice(reinterpret_cast<HDC>(wp), 0, 0, static_cast<DWORD>(p.width),
                              static_cast<DWORD>(p.height), 0, 0, 0, static_cast<UINT>(p.height), p.pixels.data(),
                              &info, DIB_RGB_COLORS);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    const Picture& picture_;
    HWND hwnd_ = nullptr;
};

// The stages of one size, each timed once per run right after the memcpy,
// so that every ratio compares work done moments apart (the speed of a
// shared machine drifts from one second to the next). Medians over the runs.
struct Result {
    Sizes sizes;
    double memcpyMs, qualityMs, speedMs, scalerMs, printMs, blackMs;
    double quality, speed, scaler, print, black;  // ratios to the memcpy of the same run
    bool exact;
};

enum Stage { kMemcpy, kQuality, kSpeed, kScaler, kPrint, kBlack, kStages };

void TimeStages(const std::function<void()> (&stages)[kStages], Result& result) {
    for (const auto& stage : stages) stage();  // caches warm, buffers made
    std::vector<double> ms[kStages], ratios[kStages];
    for (int run = 0; run < kRuns; ++run) {
        double times[kStages];
        for (int stage = 0; stage < kStages; ++stage) {
            times[stage] = tools::TimeMs(stages[stage]);
            ms[stage].push_back(times[stage]);
            ratios[stage].push_back(times[stage] / times[kMemcpy]);
        }
    }
    result.memcpyMs = tools::Median(ms[kMemcpy]);
    result.qualityMs = tools::Median(ms[kQuality]);
    result.speedMs = tools::Median(ms[kSpeed]);
    result.scalerMs = tools::Median(ms[kScaler]);
    result.printMs = tools::Median(ms[kPrint]);
    result.blackMs = tools::Median(ms[kBlack]);
    result.quality = tools::Median(ratios[kQuality]);
    result.speed = tools::Median(ratios[kSpeed]);
    result.scaler = tools::Median(ratios[kScaler]);
    result.print = tools::Median(ratios[kPrint]);
    result.black = tools::Median(ratios[kBlack]);
}

bool Bench(const Sizes& s, Result& result) {
    MemorySurface original(s.sw, s.sh, MemorySurface::ScreenCompatible);
    MemorySurface back(s.dw, s.dh, MemorySurface::ScreenCompatible);
    if (!original.valid() || !back.valid()) return false;
    const Picture noise = Noise(s.sw, s.sh);
    original.Write(noise);
    const Picture shown = original.Read();  // the pixels as the display's format keeps them

    const std::size_t bytes = noise.pixels.size() * sizeof(std::uint32_t);
    std::vector<std::uint32_t> from(noise.pixels), to(noise.pixels.size());
    QualityStretcher quality;
    SpeedStretcher speed;
    ScalerAlone scaler(shown, s.dw, s.dh);
    Picture expected(s.dw, s.dh);
    ReferenceBoxScale(shown, expected);

    quality.Stretch(back.dc(), s.dw, s.dh, original.dc(), s.sw, s.sh);
    const bool qualityExact = back.Read() == expected;

    // A pseudo window's own back buffer and picture reader; the first frame
    // finds the DC black and turns to printing, every later one prints.
    PrintOnlyWindow printOnly(noise);
    QualityStretcher printedQuality;
    PictureReader reader;
    ImageBuffer printedBack, blackBack;
    if (!printOnly.hwnd() || !printedBack.Resize(s.dw, s.dh) || !blackBack.Resize(s.dw, s.dh)) return false;
    for (int y = 0; y < s.dh; ++y) std::fill_n(blackBack.Row(y), s.dw, 0xFF000000u);
    reader.Read(printOnly.hwnd(), s.sw, s.sh, printedQuality, printedBack);
    if (!reader.Printing()) return false;
    const std::function<void()> stages[kStages] = {
        [&] {
            std::memcpy(to.data(), from.data(), bytes);
            // Keep the copy from being optimised away.
            __asm__ __volatile__("" : : "r"(to.data()) : "memory");
        },
        [&] { quality.Stretch(back.dc(), s.dw, s.dh, original.dc(), s.sw, s.sh); },
        [&] { speed.Stretch(back.dc(), s.dw, s.dh, original.dc(), s.sw, s.sh); },
        [&] { scaler.Run(); },
        [&] { reader.Read(printOnly.hwnd(), s.sw, s.sh, printedQuality, printedBack); },
        [&] { blackBack.IsBlack(); },
    };
    TimeStages(stages, result);
    const bool scalerExact = scaler.destination == expected;
    Picture printed(s.dw, s.dh);
    GdiFlush();
    for (int y = 0; y < s.dh; ++y) {
        for (int x = 0; x < s.dw; ++x) printed.pixels[y * s.dw + x] = printedBack.ReadPixel(x, y) & 0xFFFFFF;
    }
    const bool printExact = printed == expected;

    result.sizes = s;
    result.exact = qualityExact && scalerExact && printExact;
    return true;
}

std::string SizeText(const Sizes& s) {
    return std::to_string(s.sw) + "x" + std::to_string(s.sh) + "->" + std::to_string(s.dw) + "x" + std::to_string(s.dh);
}

}  // namespace

int main() {
    std::vector<Result> results;
    std::printf("median of %d runs, milliseconds per frame (median ratio to the memcpy of the original's pixels in the "
                "same run)\n",
                kRuns);
    std::printf("%-20s %8s %18s %18s %18s %18s %18s  %s\n", "original->pseudo", "memcpy", "quality", "speed", "scaler",
                "print", "black", "exact");
    for (const Sizes& s : kSizes) {
        Result r{};
        if (!Bench(s, r)) {
            std::printf("%-20s could not create the surfaces\n", SizeText(s).c_str());
            return 1;
        }
        std::printf("%-20s %8.3f %9.3f (%5.2fx) %9.3f (%5.2fx) %9.3f (%5.2fx) %9.3f (%5.2fx) %9.3f (%5.2fx)  %s\n",
                    SizeText(s).c_str(), r.memcpyMs, r.qualityMs, r.quality, r.speedMs, r.speed, r.scalerMs, r.scaler,
                    r.printMs, r.print, r.blackMs, r.black, r.exact ? "yes" : "NO");
        std::fflush(stdout);
        results.push_back(r);
    }
    bool allExact = true;
    for (const Result& r : results) {
        std::printf("ratio %s quality=%.2f speed=%.2f scaler=%.2f print=%.2f black=%.3f exact=%s\n",
                    SizeText(r.sizes).c_str(), r.quality, r.speed, r.scaler, r.print, r.black, r.exact ? "yes" : "no");
        allExact = allExact && r.exact;
    }
    std::fflush(stdout);
    return allExact ? 0 : 1;
}
