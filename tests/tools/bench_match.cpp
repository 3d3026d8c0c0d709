// Microseconds to match one window against 100 rules (a third each exact,
// wildcard and regular expression, spread over the three fields), median over
// 1,000 window identities, beside two baselines timed in the same run: copying
// the identity into the buffers that gathering fills (memcpy), and the same
// walk with each pattern compiled at every test and compared through
// lstrcmpA and PathMatchSpecA. Run it inside a Wine session with the
// Japanese locale; a third of the titles are Japanese. Ends with the line
// "match_us median=M".
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "rules/Matching.h"

using namespace quillora;

namespace {

constexpr int kRules = 100;
constexpr int kWindows = 1000;
constexpr int kPasses = 5;

std::string ansi(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

Rule makeRule(int i) {
    const std::string n = std::to_string(i);
    const int method = i % 3;
    Rule rule;
    rule.MatchMethod = method;
    switch ((i / 3) % 3) {
    case 0: {
        const char* patterns[] = {"C:\\Program Files\\Vendor", "*\\app", "\\\\app"};
        rule.AppName = patterns[method] + n +
                       (method == 0 ? "\\app" + n + ".exe" : method == 1 ? std::string(".exe") : std::string("\\.exe$"));
        break;
    }
    case 1: {
        const std::string patterns[] = {"AppWindow" + n, "AppWindow" + n + ";AppFrame" + n, "^App(Window|Frame)" + n + "$"};
        rule.ClassName = patterns[method];
        break;
    }
    default: {
        const std::string patterns[] = {"Document - App " + n, "* - App " + n, " - App " + n + "$"};
        rule.Title = patterns[method];
    }
    }
    return rule;
}

WindowIdentity makeWindow(int j) {
    const std::string k = std::to_string(j % 250);
    WindowIdentity window;
    window.ExePath = "C:\\Program Files\\Vendor" + k + "\\app" + k + ".exe";
    window.ClassName = (j % 2 ? "AppFrame" : "AppWindow") + k;
    switch (j % 3) {
    case 0: window.Title = "Document - App " + k; break;
    case 1: window.Title = "Report " + std::to_string(j) + ".txt - App " + k; break;
    default: window.Title = ansi(L"\u7121\u984c - \u30e1\u30e2\u5e33 ") + std::to_string(j) + " - App " + k;  // 無題 - メモ帳
    }
    return window;
}

// The walk with every pattern compiled at each test, through the platform's
// comparisons.
bool comparedPerCall(int method, const std::string& subject, const std::string& pattern) {
    switch (method) {
    case MatchExactMethod: return lstrcmpA(subject.c_str(), pattern.c_str()) == 0;
    case MatchWildcardMethod: return PathMatchSpecA(subject.c_str(), pattern.c_str()) != FALSE;
    default:
        try {
            return boost::regex_search(subject, boost::regex(pattern));
        } catch (const std::exception&) {
            return false;
        }
    }
}

const Rule* walkCompilingPerCall(const WindowIdentity& window, const RuleList& rules) {
    if (window.Title.empty()) return nullptr;
    for (const Rule& rule : rules) {
        if (!rule.IsValid || !rule.Validness) continue;
        const std::pair<const std::string*, const std::string*> pairs[] = {
            {&window.ExePath, &rule.AppName}, {&window.ClassName, &rule.ClassName}, {&window.Title, &rule.Title}};
        bool tested = false, failed = false;
        for (const auto& [subject, pattern] : pairs) {
            if (pattern->empty()) continue;
            if (subject->empty() || !comparedPerCall(rule.MatchMethod, *subject, *pattern)) {
                failed = true;
                break;
            }
            tested = true;
        }
        if (tested && !failed) return &rule;
    }
    return nullptr;
}

struct Buffers {
    char exePath[MAX_PATH];
    char className[256];
    char title[256];
};

void copyInto(const std::string& text, char* buffer, std::size_t size) {
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

double microseconds(LONGLONG ticks) {
    static const double perTick = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1e6 / static_cast<double>(frequency.QuadPart);
    }();
    return static_cast<double>(ticks) * perTick;
}

// Median over `passes` passes of the time for one window each.
double medianMicroseconds(const std::vector<WindowIdentity>& windows, int passes,
                          const std::function<void(const WindowIdentity&)>& work) {
    std::vector<double> times;
    times.reserve(windows.size() * static_cast<std::size_t>(passes));
    for (int pass = 0; pass < passes; ++pass) {
        for (const WindowIdentity& window : windows) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            work(window);
            QueryPerformanceCounter(&end);
            times.push_back(microseconds(end.QuadPart - start.QuadPart));
        }
    }
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    RuleList rules;
    for (int i = 0; i < kRules; ++i) rules.Append(makeRule(i));
    std::vector<WindowIdentity> windows;
    for (int j = 0; j < kWindows; ++j) windows.push_back(makeWindow(j));

    int matched = 0, agreed = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    MatchRules(WindowIdentity{"C:\\none.exe", "None", "None"}, rules);  // matches none, so compiles every rule
    QueryPerformanceCounter(&end);
    const double firstWindow = microseconds(end.QuadPart - start.QuadPart);
    for (const WindowIdentity& window : windows) {
        const Rule* rule = MatchRules(window, rules);
        matched += rule != nullptr;
        agreed += rule == walkCompilingPerCall(window, rules);
    }

    Buffers buffers;
    const double copy = medianMicroseconds(windows, kPasses, [&](const WindowIdentity& window) {
        copyInto(window.ExePath, buffers.exePath, sizeof buffers.exePath);
        copyInto(window.ClassName, buffers.className, sizeof buffers.className);
        copyInto(window.Title, buffers.title, sizeof buffers.title);
    });
    const double perCall =
        medianMicroseconds(windows, 1, [&](const WindowIdentity& window) { walkCompilingPerCall(window, rules); });
    const double match =
        medianMicroseconds(windows, kPasses, [&](const WindowIdentity& window) { MatchRules(window, rules); });

    std::printf("rules %d, windows %d (%d match a rule; both walks agree on %d), code page %u\n", kRules, kWindows,
                matched, agreed, GetACP());
    std::printf("first window, compiling every rule: %.1f us\n", firstWindow);
    std::printf("memcpy_us median=%.3f\n", copy);
    std::printf("compile_per_call_us median=%.3f\n", perCall);
    std::printf("ratios: match/memcpy %.1f, compile_per_call/match %.1f\n", match / copy, perCall / match);
    std::printf("match_us median=%.3f\n", match);
    return 0;
}
