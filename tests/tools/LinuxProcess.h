// What Wine does not tell one process about another, read from the Linux
// process behind it through drive Z: (Wine answers GetProcessTimes and
// GetProcessMemoryInfo for another process with the caller's times and no
// private bytes).
#pragma once

#include <windows.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace tools {

// Z:\proc\PID of the first process whose command line holds `needle` and not
// `unless` (when given); empty when there is none. /proc/PID/cmdline holds
// the Windows command line, its arguments separated by NULs.
inline std::string LinuxProcessDir(const std::string& needle, const std::string& unless = "") {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string result;
    do {
        if (!std::isdigit(static_cast<unsigned char>(found.cFileName[0]))) continue;
        const std::string dir = std::string("Z:\\proc\\") + found.cFileName;
        std::ifstream in(dir + "\\cmdline", std::ios::binary);
        const std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (cmdline.find(needle) != std::string::npos && (unless.empty() || cmdline.find(unless) == std::string::npos)) {
            result = dir;
        }
    } while (result.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

// utime + stime of /proc/PID/stat, in clock ticks of 1/100 s.
inline double CpuSeconds(const std::string& dir) {
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

// Sizes from /proc/PID/status in MB; -1 when unread.
struct LinuxMemory {
    double privateMb = -1;  // RssAnon: private (anonymous) resident memory
    double peakMb = -1;     // VmHWM: peak resident size
    double residentMb = -1; // VmRSS
    double dataMb = -1;     // VmData: private data and stack, resident or not
};

inline LinuxMemory MemoryOf(const std::string& dir) {
    std::ifstream in(dir + "\\status");
    LinuxMemory m;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        double kb = 0;
        words >> key >> kb;
        if (key == "RssAnon:") m.privateMb = kb / 1024;
        if (key == "VmHWM:") m.peakMb = kb / 1024;
        if (key == "VmRSS:") m.residentMb = kb / 1024;
        if (key == "VmData:") m.dataMb = kb / 1024;
    }
    return m;
}

}  // namespace tools
