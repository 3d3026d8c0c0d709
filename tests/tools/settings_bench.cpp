// Milliseconds per SaveSettings and LoadSettings of a full rule list, next to
// the plain file I/O of the same bytes (write, flush, read back) measured in
// the same run: the ratio says what the settings layer costs on top of the
// disk.
//   settings_bench [rules=140] [runs=5]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "Stopwatch.h"
#include "rules/Settings.h"

using namespace quillora;

namespace {

using tools::MedianMs;

// Rules as a user's list holds them: Japanese descriptions, paths, titles.
RuleList SampleRules(int count) {
    RuleList rules;
    for (int i = 1; i <= count; ++i) {
        Rule r;
        r.Explanation = "\x83\x81\x83\x82\x92\xa0 " + std::to_string(i);  // メモ帳 i
        r.AppName = "C:\\Program Files\\Editor" + std::to_string(i) + "\\editor.exe";
        r.ClassName = "EditorWindowClass";
        r.Title = "*\x96\xb3\x91\xe8 - Editor " + std::to_string(i);  // *無題 - Editor i
        r.StretchWidth = 100 + i;
        r.UpdateDisplay = (i % 2) != 0;
        rules.Append(r);
    }
    return rules;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 140;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "quillora-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = tools::AnsiPath(SettingsFilePath(tools::WidePath(dir)));

    const RuleList rules = SampleRules(count);
    // Every timed save changes the file: one that finds the file as it would
    // write it leaves it alone.
    GlobalSettings settings;
    const double saveMs = MedianMs(runs, [&] {
        settings.Mergin = settings.Mergin == 30 ? 31 : 30;
        SaveSettings(tools::WidePath(dir), settings, rules);
    });
    std::size_t loadedCount = 0;
    const double loadMs = MedianMs(runs, [&] {
        GlobalSettings loadedSettings;
        RuleList loaded;
        LoadSettings(tools::WidePath(dir), loadedSettings, loaded, [](const Rule&) {});
        loadedCount = loaded.size();
    });

    const std::string bytes = tools::ReadFileBytes(path);
    const std::string copy = dir + "\\copy.ini";
    const double writeMs = MedianMs(runs, [&] { tools::WriteFileBytes(copy, bytes, true); });
    const double readMs = MedianMs(runs, [&] { tools::ReadFileBytes(copy); });

    std::printf("%d rules, %zu bytes, median of %d runs\n", count, bytes.size(), runs);
    std::printf("SaveSettings %9.2f ms   file write+flush %7.3f ms   ratio %8.1f\n", saveMs, writeMs,
                saveMs / writeMs);
    std::printf("LoadSettings %9.2f ms   file read        %7.3f ms   ratio %8.1f\n", loadMs, readMs,
                loadMs / readMs);
    const bool whole = loadedCount == static_cast<std::size_t>(count);
    if (!whole) std::printf("LoadSettings read %zu of %d rules\n", loadedCount, count);

    DeleteFileA(copy.c_str());
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
    return whole ? 0 : 1;
}
