#include "rules/Matching.h"

#include <psapi.h>
#include <shlwapi.h>

#include <array>
#include <exception>

#include <boost/function.hpp>
#include <boost/regex.hpp>

#include "win/Handles.h"

namespace quillora {

namespace {

constexpr DWORD kMatchingAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// PROCESS_ALL_ACCESS as the older headers define it; the newer, wider value
// is refused by older systems.
constexpr DWORD kCaptureToolAccess = 0x1F0FFF;
constexpr int kExePathSize = MAX_PATH;
constexpr int kClassNameSize = 256;
constexpr int kMatchingTitleSize = 256;
constexpr int kCaptureToolTitleSize = 1024;

std::string moduleFileName(HWND window, DWORD access) {
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || processId == 0) return {};
    const win::KernelHandle process(OpenProcess(access, FALSE, processId));
    if (!process) return {};
    char path[kExePathSize] = {};
    if (!GetModuleFileNameExA(process.get(), module, path, kExePathSize)) return {};
    return path;
}

std::string className(HWND window) {
    char name[kClassNameSize] = {};
    GetClassNameA(window, name, kClassNameSize);
    return name;
}

std::string windowTitle(HWND window, int size) {
    std::string title(static_cast<std::size_t>(size), '\0');
    // For another process's window this reads the stored text without sending
    // it a message, so a hung program cannot stall us here.
    const int length = GetWindowTextA(window, title.data(), size);
    title.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return title;
}

using Matcher = boost::function<bool(const std::string&, const std::string&)>;

// Indexed by Rule::MatchMethod; built on first use and kept for the run.
const std::array<Matcher, 3>& matchers() {
    static const std::array<Matcher, 3> table = {Matcher(&MatchExact), Matcher(&MatchWildcard), Matcher(&MatchRegex)};
    return table;
}

bool isMatchable(const Rule& rule) {
    return rule.IsValid && rule.Validness && rule.MatchMethod >= MatchExactMethod &&
           rule.MatchMethod <= MatchRegexMethod;
}

struct Pair {
    std::string WindowIdentity::*subject;
    std::string Rule::*pattern;
};

// Tested in this order; the first mismatch ends the rule.
constexpr Pair kPairs[] = {
    {&WindowIdentity::ExePath, &Rule::AppName},
    {&WindowIdentity::ClassName, &Rule::ClassName},
    {&WindowIdentity::Title, &Rule::Title},
};

bool ruleMatches(const WindowIdentity& identity, const Rule& rule) {
    const Matcher& matcher = matchers()[static_cast<std::size_t>(rule.MatchMethod)];
    bool tested = false;
    for (const Pair& pair : kPairs) {
        const std::string& pattern = rule.*pair.pattern;
        if (pattern.empty()) continue;
        const std::string& subject = identity.*pair.subject;
        // An empty field is one we could not read (say, a process we may not
        // open). It must not satisfy patterns such as "*" or ".*" that match
        // the empty text, or an unknown program would pass an AppName rule.
        if (subject.empty() || !matcher(subject, pattern)) return false;
        tested = true;
    }
    return tested;
}

}  // namespace

WindowIdentity GatherWindowIdentity(HWND window, IdentityPurpose purpose) {
    const bool capture = purpose == IdentityPurpose::CaptureTool;
    WindowIdentity identity;
    identity.ExePath = moduleFileName(window, capture ? kCaptureToolAccess : kMatchingAccess);
    identity.ClassName = className(window);
    identity.Title = windowTitle(window, capture ? kCaptureToolTitleSize : kMatchingTitleSize);
    return identity;
}

bool MatchExact(const std::string& subject, const std::string& pattern) {
    return lstrcmpA(subject.c_str(), pattern.c_str()) == 0;
}

bool MatchWildcard(const std::string& subject, const std::string& pattern) {
    return PathMatchSpecA(subject.c_str(), pattern.c_str()) != FALSE;
}

bool MatchRegex(const std::string& subject, const std::string& pattern) {
    try {
        const boost::regex expression(pattern);
        return boost::regex_search(subject, expression);
    } catch (const std::exception&) {
        // Nothing checks a pattern when it is typed, so a pattern that does
        // not compile (regex_error) or one whose search exceeds Boost's
        // complexity or stack limits (std::runtime_error) lands here on every
        // window. Such a pair simply does not match; there is nobody to tell
        // at this point, and the window must not be shrunk by a guess.
        return false;
    }
}

const Rule* MatchRules(const WindowIdentity& identity, const RuleList& rules) noexcept {
    if (identity.Title.empty()) return nullptr;  // untitled windows are never shrunk by a rule
    try {
        for (const Rule& rule : rules) {
            if (isMatchable(rule) && ruleMatches(identity, rule)) return &rule;
        }
    } catch (...) {
        // Only an allocation failure can get here; leaving the window alone
        // is the safe answer.
    }
    return nullptr;
}

const Rule* MatchRules(HWND window, const RuleList& rules) noexcept {
    try {
        return MatchRules(GatherWindowIdentity(window), rules);
    } catch (...) {
        return nullptr;  // out of memory while reading the window's texts
    }
}

}  // namespace quillora
