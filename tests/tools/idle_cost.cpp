// What Quillora costs while nothing happens: N shrunk windows (1920 x 1080
// originals, quality scaling, no refresh), the cursor resting on a window of
// ours. For each N it prints Quillora's CPU time over the idle period beside
// that of a test window whose 100 ms timer does nothing (the floor of any
// program that polls as often as Quillora does, under this platform), and
// Quillora's private memory and peak resident size.
// usage: idle_cost [seconds=60] [counts=5,20,40]
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "common/Running.h"

using namespace e2e;

namespace {

// Wine answers GetProcessTimes and GetProcessMemoryInfo for another process
// with the caller's times and no private bytes, so both are read from the
// Linux process behind it, through drive Z: (/proc/PID/cmdline holds the
// Windows command line, its arguments separated by NULs).
std::string unixProcessDir(const std::string& needle) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string result;
    do {
        if (!std::isdigit(static_cast<unsigned char>(found.cFileName[0]))) continue;
        const std::string dir = std::string("Z:\\proc\\") + found.cFileName;
        std::ifstream in(dir + "\\cmdline", std::ios::binary);
        const std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (cmdline.find(needle) != std::string::npos) result = dir;
    } while (result.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

// utime + stime of /proc/PID/stat, in clock ticks of 1/100 s.
double cpuSeconds(const std::string& dir) {
    std::ifstream in(dir + "\\stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return -1;
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return (utime + stime) / 100.0;
}

struct Memory {
    double privateMb = -1;
    double peakMb = -1;
};

// Private (anonymous) resident memory and the peak resident size.
Memory memoryOf(const std::string& dir) {
    std::ifstream in(dir + "\\status");
    Memory m;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        double kb = 0;
        words >> key >> kb;
        if (key == "RssAnon:") m.privateMb = kb / 1024;
        if (key == "VmHWM:") m.peakMb = kb / 1024;
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
    const std::string quilloraDir = unixProcessDir(sandbox + "\\Quillora.exe");
    const std::string floorDir = unixProcessDir(floorTitle);
    if (quilloraDir.empty() || floorDir.empty()) {
        std::puts("the Linux processes behind Quillora and the test window were not found in Z:\\proc");
        return false;
    }
    Pump(2000);
    const double before = cpuSeconds(quilloraDir);
    const double floorBefore = cpuSeconds(floorDir);
    Pump(seconds * 1000);
    const double used = cpuSeconds(quilloraDir) - before;
    const double floorUsed = cpuSeconds(floorDir) - floorBefore;
    const Memory memory = memoryOf(quilloraDir);
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
    for (int windows : counts) {
        if (!measure(windows, seconds)) return 1;
    }
    return 0;
}
