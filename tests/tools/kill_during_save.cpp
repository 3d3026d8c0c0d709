// Kills the real Quillora.exe while it saves its settings at exit, at spread
// moments of that save, and checks that the settings file is each time the
// old file or the new one, whole.
//
// The file starts with 140 rules in a layout the save changes (sections
// numbered backwards, [Quillora] after the rules, only a few keys each), so
// the old and the new file differ byte for byte while holding the same rules.
// A few reference runs (not killed) give the new file and the save's duration
// as seen from outside: from the first sign of the save (the temporary file
// beside the settings, or the settings file itself changing) to the last
// change of the file. The kills then come that long after the first sign, at
// `kills` moments spread over 1.25 times that duration.
//   kill_during_save [kills=50] [folder holding another Quillora.exe to test]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "app/Messages.h"
#include "common/Harness.h"
#include "rules/Settings.h"

using namespace uitest;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRules = 140;
constexpr int kReferenceRuns = 3;

std::string RuleTitle(int i) { return "KillCheckNoSuchWindow" + std::to_string(i); }

std::string OldFile() {
    std::string text;
    for (int i = 1; i <= kRules; ++i) {
        text += "[Rule" + std::to_string(kRules + 1 - i) + "]\r\nExplanation=rule " + std::to_string(i) +
                "\r\nTitle=" + RuleTitle(i) + "\r\nMatchMethod=0\r\n";
    }
    return text + "[Quillora]\r\nActiveRestore=1\r\nMergin=30\r\nSensitivity=30\r\n";
}

// The rules the folder's file loads to, in order, as titles.
std::vector<std::string> LoadedTitles(const std::string& dir) {
    quillora::GlobalSettings settings;
    quillora::RuleList rules;
    quillora::LoadSettings(tools::WidePath(dir), settings, rules, [](const quillora::Rule&) {});
    std::vector<std::string> titles;
    for (const quillora::Rule& rule : rules) titles.push_back(rule.Title);
    return titles;
}

struct FileStamp {
    bool exists = false;
    FILETIME written{};
    DWORD size = 0;

    static FileStamp Of(const std::string& path) {
        FileStamp stamp;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            stamp.exists = true;
            stamp.written = data.ftLastWriteTime;
            stamp.size = data.nFileSizeLow;
        }
        return stamp;
    }
    bool operator!=(const FileStamp& o) const {
        return exists != o.exists || size != o.size || CompareFileTime(&written, &o.written) != 0;
    }
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Run {
    bool started = false;
    bool sawSave = false;      // the first sign of the save was seen
    bool sawTemporary = false;
    double saveMs = -1;        // first sign -> last change of the file (reference runs)
    bool killed = false;       // the process was still running when killed
    std::string bytes;
};

// One start of Quillora on the old file, ended with Exit; killed `killAfterMs`
// after the first sign of its save, or left to finish when negative.
Run RunOnce(const Sandbox& box, const std::string& old, double killAfterMs) {
    Run run;
    const std::string ini = box.IniPath(), temporary = ini + ".tmp";
    DeleteFileA(temporary.c_str());
    box.WriteIni(old);
    Process quillora = box.StartQuillora();
    HWND main = quillora ? WaitMainWindow(quillora) : nullptr;
    if (!main) return run;
    run.started = true;
    const FileStamp before = FileStamp::Of(ini);
    PostMessageA(main, WM_COMMAND, quillora::ID_EXIT, 0);

    Clock::time_point sign{};
    FileStamp seen = before;
    while (quillora.Running()) {
        const bool temporaryNow = GetFileAttributesA(temporary.c_str()) != INVALID_FILE_ATTRIBUTES;
        const FileStamp now = FileStamp::Of(ini);
        const bool changed = now != seen;
        seen = now;
        if (!run.sawSave && (temporaryNow || changed)) {
            run.sawSave = true;
            sign = Clock::now();
        }
        run.sawTemporary = run.sawTemporary || temporaryNow;
        if (changed && killAfterMs < 0) run.saveMs = Ms(Clock::now() - sign);  // the last change counts
        if (run.sawSave && killAfterMs >= 0 && Ms(Clock::now() - sign) >= killAfterMs) {
            run.killed = TerminateProcess(quillora.Handle(), 1) != FALSE;
            break;
        }
    }
    quillora.WaitExit(10000);
    run.bytes = tools::ReadFileBytes(ini);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    Sandbox box;
    if (argc > 2) {
        for (const char* file : {"Quillora.exe", "QuilloraHelper.dll"})
            CopyFileA((std::string(argv[2]) + "\\" + file).c_str(), (box.Dir() + "\\" + file).c_str(), FALSE);
    }
    const std::string old = OldFile();
    std::vector<std::string> titles;
    for (int i = 1; i <= kRules; ++i) titles.push_back(RuleTitle(i));

    std::string fresh;
    std::vector<double> saveMs;
    for (int r = 0; r < kReferenceRuns; ++r) {
        const Run run = RunOnce(box, old, -1);
        if (!run.started || run.bytes == old || (!fresh.empty() && run.bytes != fresh)) {
            std::printf("reference run %d: %s\n", r + 1,
                        !run.started ? "Quillora did not start" : "the saved file is not the expected new one");
            return 2;
        }
        fresh = run.bytes;
        if (run.saveMs >= 0) saveMs.push_back(run.saveMs);
    }
    box.WriteIni(fresh);
    if (LoadedTitles(box.Dir()) != titles || saveMs.empty()) {
        std::puts("the new file does not load to the 140 rules, or the save was not seen");
        return 2;
    }
    std::sort(saveMs.begin(), saveMs.end());
    const double duration = saveMs[saveMs.size() / 2];
    std::printf("old file %zu bytes, new file %zu bytes; save seen from outside: %.1f ms (median of %zu)\n",
                old.size(), fresh.size(), duration, saveMs.size());

    int leftOld = 0, leftNew = 0, other = 0, tooLate = 0, temporaryLeft = 0;
    for (int k = 0; k < kills; ++k) {
        const double at = kills == 1 ? 0 : 1.25 * duration * k / (kills - 1);
        const Run run = RunOnce(box, old, at);
        if (!run.started) {
            std::printf("kill %d: Quillora did not start\n", k + 1);
            return 2;
        }
        if (!run.killed) ++tooLate;
        if (GetFileAttributesA((box.IniPath() + ".tmp").c_str()) != INVALID_FILE_ATTRIBUTES) ++temporaryLeft;
        const char* verdict;
        if (run.bytes == old) {
            ++leftOld;
            verdict = "old";
        } else if (run.bytes == fresh) {
            ++leftNew;
            verdict = "new";
        } else {
            ++other;
            verdict = "OTHER";
        }
        std::size_t loaded = 0;
        if (run.bytes != old && run.bytes != fresh) loaded = LoadedTitles(box.Dir()).size();
        std::printf("kill %2d at %7.2f ms after the first sign%s: %s", k + 1, at,
                    run.killed ? "" : " (had ended)", verdict);
        if (*verdict == 'O') std::printf(" (%zu bytes, %zu rules load)", run.bytes.size(), loaded);
        std::printf("\n");
        std::fflush(stdout);
    }
    DeleteFileA((box.IniPath() + ".tmp").c_str());
    std::printf("%d kills: old file %d, new file %d, anything else %d; the process had already ended at %d; "
                "a temporary file was left %d times\n",
                kills, leftOld, leftNew, other, tooLate, temporaryLeft);
    return other == 0 ? 0 : 1;
}
