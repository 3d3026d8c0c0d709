// Measures what Quillora costs while idle: 20 shrunk windows, no refresh,
// the cursor resting on a window of ours. Prints the program's CPU time
// (user + kernel) over a given number of seconds (default 60).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int windows = 20;
    FocusSink sink;
    RunningQuillora q("[Quillora]\r\nActiveRestore=1\r\nMergin=30\r\nSensitivity=30\r\n" +
                      RuleSection(1, {"Title=Idle*", "MatchMethod=1", "StretchWidth=120", "StretchHeight=90",
                                      "StretchWidthUnit=1", "StretchHeightUnit=1", "StretchDirection=1"}));
    if (!q.Ok()) {
        std::puts("Quillora did not start");
        return 1;
    }
    std::vector<TestWindow> originals;
    for (int i = 0; i < windows; ++i) {
        originals.push_back(StartTestWindow("--title Idle" + std::to_string(i) + " --x " + std::to_string(10 + (i % 5) * 150) +
                                            " --y " + std::to_string(10 + (i / 5) * 150) + " --w 300 --h 200"));
    }
    sink.Take();
    const bool allShrunk = WaitFor(
        [&] {
            for (const TestWindow& w : originals) {
                if (!IsShrunk(w.hwnd)) return false;
            }
            return true;
        },
        30000);
    if (!allShrunk) {
        std::puts("not every window was shrunk");
        return 1;
    }
    Pump(1000);
    const double before = cpuSeconds(q.Proc().Handle());
    Pump(seconds * 1000);
    const double after = cpuSeconds(q.Proc().Handle());
    std::printf("%d shrunk windows, %d s idle polling: Quillora used %.3f s CPU (%.2f %% of one core)\n", windows,
                seconds, after - before, (after - before) * 100.0 / seconds);
    return 0;
}
