// What Quillora costs while nothing happens: N shrunk windows (1920 x 1080
// originals, quality scaling, no refresh), the cursor resting on a window of
// ours. For each N it prints Quillora's CPU time over the idle period beside
// that of a test window whose 100 ms timer does nothing (the floor of any
// program that polls as often as Quillora does, under this platform), and
// Quillora's private memory and peak resident size.
// usage: idle_cost [seconds=60] [counts=5,20,40]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "common/Running.h"
#include "tools/LinuxProcess.h"

using namespace uitest;

namespace {

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
    const std::string floorTitle = "Floor" + std::to_string(GetCurrentProcessId());
    TestWindow floor = StartTestWindow("--title " + floorTitle + " --idle-timer 100 --x 700 --y 20 --w 200 --h 100");
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
    const std::string sandbox = q.Box().Dir().substr(q.Box().Dir().find_last_of('\\') + 1);
    const std::string quilloraDir = tools::LinuxProcessDir(sandbox + "\\Quillora.exe", "/guard");
    const std::string floorDir = tools::LinuxProcessDir(floorTitle);
    if (quilloraDir.empty() || floorDir.empty()) {
        std::puts("the Linux processes behind Quillora and the test window were not found in Z:\\proc");
        return false;
    }
    Pump(2000);
    const double before = tools::CpuSeconds(quilloraDir);
    const double floorBefore = tools::CpuSeconds(floorDir);
    Pump(seconds * 1000);
    const double used = tools::CpuSeconds(quilloraDir) - before;
    const double floorUsed = tools::CpuSeconds(floorDir) - floorBefore;
    const tools::LinuxMemory memory = tools::MemoryOf(quilloraDir);
    const double percent = used * 100.0 / seconds;
    std::printf("%3d shrunk windows, %d s idle: Quillora %.3f s CPU (%.3f %% of one core), an empty 100 ms timer %.3f s "
                "(ratio %.2f); private %.1f MB, peak resident %.1f MB\n",
                windows, seconds, used, percent, floorUsed, floorUsed > 0 ? used / floorUsed : 0.0, memory.privateMb,
                memory.peakMb);
    std::printf("idle windows=%d cpu_percent=%.3f private_mb=%.1f\n", windows, percent, memory.privateMb);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::vector<int> counts = parseCounts(argc > 2 ? argv[2] : "5,20,40");
    if (seconds <= 0 || counts.empty()) {
        std::puts("usage: idle_cost [seconds=60] [counts=5,20,40]");
        return 2;
    }
    for (int windows : counts) {
        if (!measure(windows, seconds)) return 1;
    }
    return 0;
}
