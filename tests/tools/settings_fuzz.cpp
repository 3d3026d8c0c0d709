// Feeds mutated settings files to LoadSettings and SaveSettings: each input
// is loaded, saved, loaded again and saved again in one process. Reported:
// crashes, exceptions, inputs that took over 2 s, and unstable inputs (the
// second save differs from the first, the reloaded settings differ from the
// saved ones, or a save reports failure). Each offending input is printed
// with its seed and kept as <dir>\failed-<seed>.ini for --replay.
//   settings_fuzz [--inputs N] [--seed S] [--dir D]   (exit 0 when all is well)
//   settings_fuzz --replay FILE                        (one file, verbose)
// Crashes are survived by running the inputs in a child process that is
// started again after the crashing seed.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "rules/Settings.h"

using namespace quillora;
using tools::ReadFileBytes;
using tools::WriteFileBytes;
using tools::AnsiPath;
using tools::WidePath;

namespace {

constexpr double kSlowMs = 2000;
constexpr int kCrashExit = 3;

// ---------------------------------------------------------------- inputs ---

class Maker {
public:
    explicit Maker(std::uint32_t seed) : rng_(seed) {}

    std::string Input() {
        std::string text;
        if (chance(20)) text = "; notes\r\n;\r\n\r\nstray=1\r\n[unclosed\r\n";
        // Long lists are rare: every private-profile call reads the whole file.
        const int rules = permille(10) ? pick(141, 160) : permille(2) ? 500 : pick(0, 12);
        const int globalAt = chance(80) ? pick(0, 2) : -1;
        const int foreign = pick(0, 3);
        int placed = 0;
        for (int i = 0; i <= foreign; ++i) {
            if (placed == globalAt) text += globalSection();
            ++placed;
            if (i < foreign) text += section(oddName(), foreignLines());
        }
        for (int n = 1; n <= rules; ++n) {
            text += section(chance(90) ? "Rule" + std::to_string(n) : ruleishName(), ruleLines());
            if (chance(2)) text += section(oddName(), foreignLines());
        }
        for (int i = pick(0, 4); i > 0; --i) mutate(text);
        return text;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }
    bool permille(int perMille) { return pick(1, 1000) <= perMille; }
    template <typename T, std::size_t N>
    const T& oneOf(const T (&items)[N]) {
        return items[static_cast<std::size_t>(pick(0, static_cast<int>(N) - 1))];
    }

    std::string lineEnd() { return chance(95) ? "\r\n" : chance(50) ? "\n" : "\r"; }

    std::string section(const std::string& name, const std::vector<std::string>& lines) {
        std::string text = "[" + name + "]" + lineEnd();
        for (const std::string& line : lines) text += line + lineEnd();
        if (chance(5)) text += lineEnd();
        return text;
    }

    std::string globalSection() {
        std::vector<std::string> lines;
        for (const char* key : {"ActiveRestore", "Mergin", "Sensitivity"})
            if (chance(85)) lines.push_back(std::string(key) + "=" + number());
        if (chance(10)) lines.push_back("Extra=kept");
        if (chance(5)) lines.push_back("Mergin=12");  // a duplicate key
        return section(chance(90) ? "Quillora" : "QUILLORA", lines);
    }

    std::string oddName() {
        static const char* const names[] = {
            "Other", "Zed", "rulebook", "Rule", "RULE7", " Rule3 ", "Quillora", "quillora", "x]y", "[x", "a=b",
            ";c", "Rule\x82\xa0", "\x90\xdd\x92\xe8", "\x81", "Rule*", "Rule?", "", "  ", "Ru\tle"};
        return chance(5) ? std::string(static_cast<std::size_t>(pick(1, 300)), 'n') : oneOf(names);
    }

    std::string ruleishName() {
        static const char* const names[] = {"Rule", "rule1", "RULE12", "Rulebook", "Rule0", "Rule-5", "Rule1",
                                            "Rule1", "Rule 9", "Rule\x82\xa0", "Rule999999999999"};
        return oneOf(names);
    }

    std::vector<std::string> foreignLines() {
        std::vector<std::string> lines;
        for (int i = pick(0, 4); i > 0; --i) {
            static const char* const lines_[] = {"k=v", "k = v ", "nokey", "=novalue", ";comment", "dup=1",
                                                 "dup=2", "q=\"quoted\"", "w=\x83\x81\x83\x82"};
            lines.push_back(oneOf(lines_));
        }
        return lines;
    }

    std::string number() {
        static const char* const numbers[] = {"0", "1", "-1", "30", "50", "80", "100", "101", "10000", "10001",
                                              "100000", "100001", "2147483647", "-2147483648", "99999999999",
                                              "0x10", "0b101", "0o17", "+7", " 12 ", "\"5\"", "1e3", "12abc",
                                              "abc", "", "-", "007"};
        return chance(80) ? std::to_string(pick(-5, 120)) : oneOf(numbers);
    }

    std::string text() {
        static const char* const texts[] = {
            "Editor", "*\\editor.exe", "Notepad", "\x96\xb3\x91\xe8 - \x83\x81\x83\x82\x92\xa0",  // 無題 - メモ帳
            "\"Untitled\"", "'single'", " lead", "trail ", "\ttab", "  ", "\"", "\"\"", "''", "\"mixed'",
            "\x81\x40wide\x81\x40", "a=b;c", "[Section]", "^(a+)+$", "((a*)*)*b", "(x+x+)+y", "(", "[", "\\",
            "*", "?", "a{99999}", "(?<=a+)b", "\x81", "\x80\xa0\xfd\xfe\xff", "tab\there"};
        if (permille(5)) return std::string(10000, chance(50) ? 'x' : '\x82') + "\xa0";
        if (chance(5)) {
            std::string s;
            for (int i = pick(1, 300); i > 0; --i) s += static_cast<char>(pick(1, 255));
            return s;
        }
        return oneOf(texts);
    }

    std::vector<std::string> ruleLines() {
        static const char* const textKeys[] = {"Explanation", "AppName", "ClassName", "Title"};
        static const char* const intKeys[] = {"MatchMethod", "StretchWidth", "StretchHeight", "StretchWidthUnit",
                                              "StretchHeightUnit", "Coratio", "StretchDrawMethod",
                                              "StretchDirection", "StretchRestoreMethod", "UpdateDisplay",
                                              "UpdateDisplayElapse", "Topmost", "Frame", "Transparent",
                                              "Transparency", "Validness"};
        std::vector<std::string> lines;
        for (const char* key : textKeys)
            if (chance(70)) lines.push_back(std::string(key) + "=" + text());
        for (const char* key : intKeys)
            if (chance(70)) lines.push_back(std::string(key) + "=" + number());
        if (chance(10)) lines.push_back(oneOf(textKeys));                                         // no '='
        if (chance(10)) lines.push_back(std::string(oneOf(intKeys)) + "=" + number());            // duplicate
        if (chance(10)) lines.push_back(std::string(" ") + oneOf(textKeys) + " = " + text());   // spaced
        std::shuffle(lines.begin(), lines.end(), rng_);
        return lines;
    }

    void mutate(std::string& text) {
        if (text.empty()) text = "x";
        const auto at = [&] { return static_cast<std::size_t>(pick(0, static_cast<int>(text.size()) - 1)); };
        switch (pick(0, 9)) {
        case 0:  // random bytes
            text.insert(at(), std::string(static_cast<std::size_t>(pick(1, 16)), static_cast<char>(pick(0, 255))));
            break;
        case 1:  // byte flips
            for (int i = pick(1, 8); i > 0; --i) text[at()] ^= static_cast<char>(1 << pick(0, 7));
            break;
        case 2:  // NUL bytes
            text.insert(at(), 1, '\0');
            break;
        case 3:  // invalid or lone lead bytes, one before a line end
            text.insert(at(), 1, oneOf({'\x81', '\x9f', '\xe0', '\xfc', '\x80', '\xa0', '\xfd', '\xff'}));
            if (const std::size_t cr = text.find('\r', at()); cr != std::string::npos) text.insert(cr, 1, '\x81');
            break;
        case 4: {  // byte-order marks
            static const char* const boms[] = {"\xef\xbb\xbf", "\xff\xfe", "\xfe\xff"};
            text.insert(0, oneOf(boms));
            break;
        }
        case 5:  // mixed line ends
            for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 1))
                if (chance(30)) text.erase(p + (chance(50) ? 0 : 1), 1);
            break;
        case 6:  // duplicate a stretch (sections, keys)
        {
            const std::size_t from = at();
            text.insert(at(), text.substr(from, static_cast<std::size_t>(pick(1, 400))));
            break;
        }
        case 7:  // cut short
            text.resize(at());
            break;
        case 8:  // drop every '=' of a line
            if (const std::size_t eq = text.find('=', at()); eq != std::string::npos) text.erase(eq, 1);
            break;
        default:  // a header without its end, or a stray one
            text.insert(at(), chance(50) ? "\r\n[Broken\r\n" : "\r\n[Rule77]\r\n");
            break;
        }
    }

    std::mt19937 rng_;
};

// ------------------------------------------------------------------- run ---

std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7f ? "%c" : "\\x%02x", c);
        out += escaped;
    }
    return out;
}

// The first line in which two files differ, as both hold it.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    const std::size_t line = at == 0 ? 0 : a.rfind('\n', at - 1) + 1;
    const auto lineOf = [&](const std::string& s) { return Printable(s.substr(line, s.find('\n', line) - line).substr(0, 160)); };
    return "at byte " + std::to_string(at) + ": [" + lineOf(a) + "] then [" + lineOf(b) + "]";
}

struct Counts {
    long inputs = 0, exceptions = 0, slow = 0, unstable = 0, crashes = 0;
};

enum class Outcome { Ok, Exception, Unstable };

struct Checked {
    Outcome outcome = Outcome::Ok;
    std::string detail;
    double ms = 0;
};

Checked CheckInput(const std::string& dir, const std::string& input) {
    Checked result;
    const std::string ini = AnsiPath(SettingsFilePath(WidePath(dir)));
    const auto started = std::chrono::steady_clock::now();
    try {
        if (!WriteFileBytes(ini, input)) throw std::runtime_error("could not write the input file");
        const auto ignore = [](const Rule&) {};
        GlobalSettings settings;
        RuleList rules;
        LoadSettings(WidePath(dir), settings, rules, ignore);
        const bool saved = SaveSettings(WidePath(dir), settings, rules);
        const std::string first = ReadFileBytes(ini);
        GlobalSettings settings2;
        RuleList rules2;
        LoadSettings(WidePath(dir), settings2, rules2, ignore);
        const bool saved2 = SaveSettings(WidePath(dir), settings2, rules2);
        const std::string second = ReadFileBytes(ini);
        if (!saved || !saved2) {
            result = {Outcome::Unstable, "a save reported failure"};
        } else if (!(settings2 == settings) || !(rules2 == rules)) {
            result = {Outcome::Unstable, "reloaded " + std::to_string(rules2.size()) + " rules differ from the " +
                                             std::to_string(rules.size()) + " saved"};
        } else if (first != second) {
            result = {Outcome::Unstable, "second save differs from the first " + FirstDifference(first, second)};
        }
    } catch (const std::exception& e) {
        result = {Outcome::Exception, e.what()};
    } catch (...) {
        result = {Outcome::Exception, "unknown exception"};
    }
    result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    return result;
}

// What the crash filter needs; the process ends right after it runs.
struct CrashState {
    std::uint32_t seed = 0;
    std::string dir;
    std::string input;
    Counts counts;
} g_crash;

void Keep(const std::string& dir, std::uint32_t seed, const std::string& input) {
    WriteFileBytes(dir + "\\failed-" + std::to_string(seed) + ".ini", input);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    Keep(g_crash.dir, g_crash.seed, g_crash.input);
    std::printf("crash seed=%u code=0x%08lx done=%ld exceptions=%ld slow=%ld unstable=%ld\n", g_crash.seed,
                info->ExceptionRecord->ExceptionCode, g_crash.counts.inputs, g_crash.counts.exceptions,
                g_crash.counts.slow, g_crash.counts.unstable);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kCrashExit);
    return EXCEPTION_EXECUTE_HANDLER;
}

int RunInputs(const std::string& dir, std::uint32_t seed, long count) {
    SetUnhandledExceptionFilter(OnCrash);
    g_crash.dir = dir;
    Counts& counts = g_crash.counts;
    for (long i = 0; i < count; ++i, ++seed) {
        g_crash.seed = seed;
        g_crash.input = Maker(seed).Input();
        const Checked checked = CheckInput(dir, g_crash.input);
        ++counts.inputs;
        const bool slow = checked.ms > kSlowMs;
        if (checked.outcome == Outcome::Exception) ++counts.exceptions;
        if (checked.outcome == Outcome::Unstable) ++counts.unstable;
        if (slow) ++counts.slow;
        if (checked.outcome != Outcome::Ok || slow) {
            Keep(dir, seed, g_crash.input);
            std::printf("%s seed=%u ms=%.0f %s\n",
                        checked.outcome == Outcome::Exception  ? "exception"
                        : checked.outcome == Outcome::Unstable ? "unstable"
                                                               : "slow",
                        seed, checked.ms, checked.detail.c_str());
        }
        if ((i + 1) % 1000 == 0) std::printf("progress done=%ld\n", counts.inputs);
        std::fflush(stdout);
    }
    std::printf("summary done=%ld exceptions=%ld slow=%ld unstable=%ld\n", counts.inputs, counts.exceptions,
                counts.slow, counts.unstable);
    return 0;
}

// Runs the inputs in child processes, starting a new one after a crash.
int Supervise(const std::string& dir, std::uint32_t seed, long count) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    Counts total;
    const auto started = std::chrono::steady_clock::now();
    while (count > 0) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return 2;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        char command[3 * MAX_PATH] = {};
        std::snprintf(command, sizeof command, "\"%s\" --child --seed %u --inputs %ld --dir \"%s\"", self, seed, count,
                      dir.c_str());
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = writeEnd;
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 2;
        CloseHandle(writeEnd);
        CloseHandle(pi.hThread);

        std::string pending, last;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            pending.append(chunk, got);
            for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos; pending.erase(0, eol + 1)) {
                const std::string line = pending.substr(0, eol);
                std::printf("%s\n", line.c_str());
                std::fflush(stdout);
                if (line.rfind("summary", 0) == 0 || line.rfind("crash", 0) == 0) last = line;
            }
        }
        CloseHandle(readEnd);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);

        unsigned crashedSeed = 0;
        long done = 0, exceptions = 0, slow = 0, unstable = 0;
        const bool crashed = std::sscanf(last.c_str(), "crash seed=%u code=%*x done=%ld exceptions=%ld slow=%ld unstable=%ld",
                                         &crashedSeed, &done, &exceptions, &slow, &unstable) == 5;
        const bool finished =
            std::sscanf(last.c_str(), "summary done=%ld exceptions=%ld slow=%ld unstable=%ld", &done, &exceptions, &slow,
                        &unstable) == 4;
        if (!crashed && !finished) {
            std::printf("the child ended with code %lu without a summary\n", code);
            return 2;
        }
        total.inputs += done + (crashed ? 1 : 0);
        total.crashes += crashed ? 1 : 0;
        total.exceptions += exceptions;
        total.slow += slow;
        total.unstable += unstable;
        count -= done + (crashed ? 1 : 0);
        seed = crashed ? crashedSeed + 1 : seed + static_cast<std::uint32_t>(done);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("inputs %ld, crashes %ld, exceptions %ld, slow (over %.0f s) %ld, unstable %ld, time %.0f s\n",
                total.inputs, total.crashes, total.exceptions, kSlowMs / 1000, total.slow, total.unstable, seconds);
    return total.crashes + total.exceptions + total.unstable == 0 ? 0 : 1;
}

int Replay(const std::string& dir, const std::string& file) {
    const std::string input = ReadFileBytes(file);
    const Checked checked = CheckInput(dir, input);
    std::printf("%s: %zu bytes, %.0f ms, %s %s\n", file.c_str(), input.size(), checked.ms,
                checked.outcome == Outcome::Ok ? "ok" : "FAILED", checked.detail.c_str());
    return checked.outcome == Outcome::Ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    long inputs = 300;
    std::uint32_t seed = 1;
    std::string dir, replay;
    bool child = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--inputs") inputs = std::atol(next), ++i;
        else if (arg == "--seed") seed = static_cast<std::uint32_t>(std::strtoul(next, nullptr, 10)), ++i;
        else if (arg == "--dir") dir = next, ++i;
        else if (arg == "--replay") replay = next, ++i;
        else if (arg == "--child") child = true;
    }
    if (dir.empty()) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quillora-fuzz-" + std::to_string(GetCurrentProcessId());
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    int result;
    if (!replay.empty()) result = Replay(dir, replay);
    else if (child) return RunInputs(dir, seed, inputs);
    else result = Supervise(dir, seed, inputs);
    DeleteFileW(SettingsFilePath(WidePath(dir)).c_str());
    RemoveDirectoryA(dir.c_str());  // stays when it holds kept inputs
    std::printf("%s\n", GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : ("inputs kept in " + dir).c_str());
    return result;
}
