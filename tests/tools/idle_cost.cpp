// What Quillora costs while nothing happens: N shrunk windows (1920 x 1080
// originals, quality scaling, no refresh), the cursor resting on a window of
// ours. For each N it prints Quillora's CPU time over the idle period beside
// that of one idle test window (an idle Wine GUI process: the floor), and
// Quillora's private and peak private bytes.
// usage: idle_cost [seconds=60] [counts=5,20,40]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/Running.h"

using namespace e2e;

namespace {

double cpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto value = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

struct Memory {
    double privateMb = -1;
    double peakMb = -1;
};

Memory memoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    Memory m;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        m.privateMb = counters.PrivateUsage / 1048576.0;
        m.peakMb = counters.PeakPagefileUsage / 1048576.0;
    }
    return m;
}

std::vector<int> parseCounts(const char* text) {
    std::vector<int> counts;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) counts.push_back(std::atoi(item.c_str()));
    return counts;
}

bool measure(int windows, int seconds) {
    FocusSink sink;
    RunningQuillora q("[Quillora]\r\nActiveRestore=1\r\nMergin=30\r\nSensitivity=30\r\n" +
                      RuleSection(1, {"Title=Idle*", "MatchMethod=1", "StretchWidth=240", "StretchHeight=135",
                                      "StretchWidthUnit=1", "StretchHeightUnit=1", "StretchDirection=1",
                                      "StretchDrawMethod=1"}));
    if (!q.Ok()) {
        std::puts("Quillora did not start");
        return false;
    }
    std::vector<TestWindow> originals;
    for (int i = 0; i < windows; ++i) {
        originals.push_back(StartTestWindow("--title Idle" + std::to_string(i) + " --x " + std::to_string(10 + (i % 5) * 40) +
                                            " --y " + std::to_string(10 + (i / 5) * 40) + " --w 1920 --h 1080"));
    }
    TestWindow floor = StartTestWindow("--title Floor --x 700 --y 20 --w 200 --h 100");
    sink.Take();
    const bool allShrunk = WaitFor(
        [&] {
            for (const TestWindow& w : originals) {
                if (!IsShrunk(w.hwnd)) return false;
            }
            return true;
        },
        60000);
    if (!allShrunk || !floor.hwnd) {
        std::puts("not every window was shrunk");
        return false;
    }
    Pump(2000);
    const double before = cpuSeconds(q.Proc().Handle());
    const double floorBefore = cpuSeconds(floor.process.Handle());
    Pump(seconds * 1000);
    const double used = cpuSeconds(q.Proc().Handle()) - before;
    const double floorUsed = cpuSeconds(floor.process.Handle()) - floorBefore;
    const Memory memory = memoryOf(q.Proc().Handle());
    const double percent = used * 100.0 / seconds;
    std::printf("%3d shrunk windows, %d s idle: Quillora %.3f s CPU (%.3f %% of one core), an idle test window %.3f s "
                "(ratio %.2f); private %.1f MB, peak private %.1f MB\n",
                windows, seconds, used, percent, floorUsed, floorUsed > 0 ? used / floorUsed : 0.0, memory.privateMb,
                memory.peakMb);
    std::printf("idle windows=%d cpu_percent=%.3f private_mb=%.1f\n", windows, percent, memory.peakMb);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::vector<int> counts = parseCounts(argc > 2 ? argv[2] : "5,20,40");
    for (int windows : counts) {
        if (!measure(windows, seconds)) return 1;
    }
    return 0;
}
