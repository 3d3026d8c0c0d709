// Whether Quillora keeps anything per window it has handled: N cycles of
// shrink, restore on activation, shrink again and close of an original,
// against the real Quillora.exe, with Quillora's counters before, every
// `every` cycles and after. The originals are windows of this program (a new
// window per cycle, ten cycles at a time), so a cycle costs no process start.
// usage: soak [cycles=1000] [every=100] (both rounded to multiples of 10)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/Running.h"
#include "tools/LinuxProcess.h"

using namespace uitest;

namespace {

constexpr char kClass[] = "QuilloraSoakWindow";

LRESULT CALLBACK originalProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd, msg, wp, lp); }

struct Sample {
    int cycle = 0;
    // What Win32 says about another process (Wine may answer with zeros).
    DWORD gdi = 0, user = 0, handles = 0;
    double privateMb = 0;
    // What can be counted from outside: Quillora's top-level windows.
    std::size_t windows = 0;
    tools::LinuxMemory linux;
};

Sample sample(int cycle, const Process& q, const std::string& linuxDir) {
    Sample s;
    s.cycle = cycle;
    s.gdi = GetGuiResources(q.Handle(), GR_GDIOBJECTS);
    s.user = GetGuiResources(q.Handle(), GR_USEROBJECTS);
    GetProcessHandleCount(q.Handle(), &s.handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    if (GetProcessMemoryInfo(q.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        s.privateMb = memory.PrivateUsage / 1048576.0;
    }
    s.windows = WindowsOf(q.Id()).size();
    s.linux = tools::MemoryOf(linuxDir);
    return s;
}

void print(const Sample& s) {
    std::printf("%6d %6lu %6lu %8lu %10.2f %8zu %9.2f %9.2f %9.2f\n", s.cycle, s.gdi, s.user, s.handles, s.privateMb,
                s.windows, s.linux.residentMb, s.linux.privateMb, s.linux.dataMb);
    std::fflush(stdout);
}

void printGrowth(const char* label, const Sample& from, const Sample& to) {
    const int cycles = to.cycle - from.cycle;
    std::printf("%s (cycles %d to %d): GDI %+ld, USER %+ld, handles %+ld, private bytes %+.2f MB, windows %+ld, "
                "VmRSS %+.2f MB, RssAnon %+.2f MB, VmData %+.2f MB (%.0f bytes of VmData per cycle)\n",
                label, from.cycle, to.cycle, static_cast<long>(to.gdi) - static_cast<long>(from.gdi),
                static_cast<long>(to.user) - static_cast<long>(from.user),
                static_cast<long>(to.handles) - static_cast<long>(from.handles), to.privateMb - from.privateMb,
                static_cast<long>(to.windows) - static_cast<long>(from.windows),
                to.linux.residentMb - from.linux.residentMb, to.linux.privateMb - from.linux.privateMb,
                to.linux.dataMb - from.linux.dataMb,
                cycles > 0 ? (to.linux.dataMb - from.linux.dataMb) * 1048576.0 / cycles : 0.0);
}

POINT centre(HWND hwnd) {
    const RECT rc = WindowRect(hwnd);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

constexpr int kBatch = 10;  // originals that go through a cycle together

// The mouse moved as input (not SetCursorPos), as a user's close is made.
void mouseTo(POINT p) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

bool all(const std::vector<HWND>& windows, bool (*state)(HWND)) {
    for (HWND hwnd : windows) {
        if (!state(hwnd)) return false;
    }
    return true;
}

bool say(int n, const char* step, HWND original) {
    std::printf("cycle %d: the step \"%s\" did not happen (pseudo window %p, alpha %d)\n", n, step,
                static_cast<void*>(PseudoOf(original)), LayeredAlpha(original));
    return false;
}

// The originals' way through Quillora, from their first shrink to the close
// of their pseudo windows; false (with the step named) when Quillora did not
// do its part in time. Each is restored by its activation (Quillora waits for
// a resting cursor, looking once a second while idle, so restoring under the
// cursor would make 1,000 cycles take hours).
bool throughQuillora(FocusSink& sink, int n, const std::vector<HWND>& originals) {
    for (HWND original : originals) ShowWindow(original, SW_SHOWNORMAL);  // created hidden, as programs do
    sink.Take();
    const POINT onSink = centre(sink.Handle());
    if (!WaitUntil([&] { return all(originals, IsShrunk); }, 10000)) return say(n, "shrink", originals.back());
    std::vector<HWND> pseudos;
    for (HWND original : originals) {
        pseudos.push_back(PseudoOf(original));
        // Brought to the front as a user would; the next change of the
        // foreground takes it again.
        SetForegroundWindow(original);
        if (!WaitUntil([&] { return LayeredAlpha(original) == 255; }, 10000)) return say(n, "restore", original);
    }
    sink.Take();
    if (!WaitUntil([&] { return all(originals, IsShrunk); }, 10000)) return say(n, "shrink again", originals.back());
    for (HWND original : originals) DestroyWindow(original);
    // Under Wine the shell's report of a destroyed window does not reach
    // Quillora; a user's close comes with input, which makes it look at once.
    mouseTo({onSink.x + 1, onSink.y});
    const bool closed = WaitUntil(
        [&] {
            for (HWND pseudo : pseudos) {
                if (IsWindow(pseudo)) return false;
            }
            return true;
        },
        10000);
    mouseTo(onSink);
    return closed || say(n, "close", originals.back());
}

bool cycle(FocusSink& sink, int n) {
    std::vector<HWND> originals;
    for (int i = 0; i < kBatch; ++i) {
        HWND original = CreateWindowExA(0, kClass, "Soak", WS_OVERLAPPEDWINDOW, 20 + (i % 5) * 150, 20 + (i / 5) * 250,
                                        300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (original) originals.push_back(original);
    }
    const bool done = originals.size() == kBatch && throughQuillora(sink, n, originals);
    for (HWND original : originals) {
        if (IsWindow(original)) DestroyWindow(original);
    }
    return done;
}

// The cycles and the samples, on a thread of their own: under Wine a thread
// that had its message queue before the shell hook was set never calls that
// hook, so the originals come from a thread started after Quillora, as the
// windows of a program started after it do.
bool soak(RunningQuillora& q, const std::string& linuxDir, int cycles, int every) {
    FocusSink sink;
    std::vector<Sample> samples{sample(0, q.Proc(), linuxDir)};
    print(samples.back());
    for (int n = kBatch; n <= cycles; n += kBatch) {
        if (!cycle(sink, n)) return false;
        if (n % every == 0 || n == cycles) {
            Pump(300);  // let the last close settle
            samples.push_back(sample(n, q.Proc(), linuxDir));
            print(samples.back());
        }
    }
    printGrowth("growth", samples.front(), samples.back());
    if (samples.size() > 2) printGrowth("growth after the first sample", samples[1], samples.back());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = std::max(kBatch, (argc > 1 ? std::atoi(argv[1]) : 1000) / kBatch * kBatch);
    const int every = std::max(kBatch, (argc > 2 ? std::atoi(argv[2]) : 100) / kBatch * kBatch);

    WNDCLASSA wc{};
    wc.lpfnWndProc = originalProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);

    RunningQuillora q("[Quillora]\r\nActiveRestore=1\r\nMergin=30\r\nSensitivity=30\r\n" +
                      RuleSection(1, {"ClassName=" + std::string(kClass), "MatchMethod=0", "StretchWidth=200",
                                      "StretchHeight=150", "StretchWidthUnit=1", "StretchHeightUnit=1",
                                      "StretchDirection=1", "UpdateDisplay=1", "UpdateDisplayElapse=500",
                                      // Without a window manager Wine waits 2 s whenever a framed
                                      // window is hidden; the frame adds nothing to what is counted.
                                      "Frame=0"}));
    if (!q.Ok()) {
        std::puts("Quillora did not start");
        return 1;
    }
    const std::string sandbox = q.Box().Dir().substr(q.Box().Dir().find_last_of('\\') + 1);
    const std::string linuxDir = tools::LinuxProcessDir(sandbox + "\\Quillora.exe", "/guard");
    if (linuxDir.empty()) {
        std::puts("the Linux process behind Quillora was not found in Z:\\proc");
        return 1;
    }
    DWORD ownHandles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &ownHandles);
    std::printf("this program, asked about itself: GDI %lu, USER %lu, handles %lu\n",
                GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
                ownHandles);
    std::printf("Quillora, %d cycles of shrink, restore, shrink again and close:\n", cycles);
    std::puts(" cycle    GDI   USER  handles  priv (MB)  windows  VmRSS(MB) RssAnon(MB) VmData(MB)");
    bool done = false;
    std::thread([&] { done = soak(q, linuxDir, cycles, every); }).join();
    return done ? 0 : 1;
}
