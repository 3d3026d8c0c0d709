#include "rules/Matching.h"

#include <psapi.h>

#include <boost/function.hpp>

#include "rules/MatchingPatterns.h"
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
static_assert(kExePathSize <= SubjectText::kCapacity && kMatchingTitleSize <= SubjectText::kCapacity);

// Each reader fills buffer (size bytes) and returns the length, 0 on failure.
int readExePath(HWND window, DWORD access, char* buffer, int size) {
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || processId == 0) return 0;
    const win::KernelHandle process(OpenProcess(access, FALSE, processId));
    if (!process) return 0;
    const DWORD length = GetModuleFileNameExA(process.get(), module, buffer, static_cast<DWORD>(size));
    if (length > 0) return static_cast<int>(length);
    // The module list of a 64-bit program is out of a 32-bit build's reach,
    // and so is a module that has gone; the executable's path is not. Without
    // it every AppName rule would pass over such a window.
    DWORD chars = static_cast<DWORD>(size);
    return QueryFullProcessImageNameA(process.get(), 0, buffer, &chars) ? static_cast<int>(chars) : 0;
}

int readClassName(HWND window, char* buffer, int size) { return GetClassNameA(window, buffer, size); }

// For another process's window this reads the stored text without sending
// it a message, so a hung program cannot stall us here.
int readTitle(HWND window, char* buffer, int size) { return GetWindowTextA(window, buffer, size); }

enum Field { ExePathField, ClassNameField, TitleField };

// The window's texts in the order of the rule's patterns (AppName, ClassName,
// Title).
struct WindowTexts {
    SubjectText field[kPatternFields];
};

using Matcher = boost::function<bool(const CompiledPatterns::Field&, SubjectText&, RegexBudget&)>;

bool exactPair(const CompiledPatterns::Field& pattern, SubjectText& subject, RegexBudget&) {
    return ExactMatches(subject.Bytes(), pattern.text);
}
bool wildcardPair(const CompiledPatterns::Field& pattern, SubjectText& subject, RegexBudget&) {
    return WildcardMatches(subject.Folded(), pattern.mask);
}
bool regexPair(const CompiledPatterns::Field& pattern, SubjectText& subject, RegexBudget& budget) {
    return budget.Search(subject.Bytes(), pattern);
}

// Indexed by Rule::MatchMethod.
const Matcher kMatchers[] = {&exactPair, &wildcardPair, &regexPair};

bool isMatchable(const Rule& rule) {
    return rule.IsValid && rule.Validness && rule.MatchMethod >= MatchExactMethod &&
           rule.MatchMethod <= MatchRegexMethod;
}

bool ruleMatches(const Rule& rule, WindowTexts& texts, RegexBudget& budget) {
    const CompiledPatterns& patterns = CurrentPatterns(rule);
    const Matcher& matcher = kMatchers[rule.MatchMethod];
    bool tested = false;
    for (int i = 0; i < kPatternFields; ++i) {
        const CompiledPatterns::Field& pattern = patterns.fields[i];
        if (pattern.text.empty()) continue;
        SubjectText& subject = texts.field[i];
        // An empty field is one we could not read (say, a process we may not
        // open). It must not satisfy patterns such as "*" or ".*" that match
        // the empty text, or an unknown program would pass an AppName rule.
        if (subject.Bytes().empty() || !matcher(pattern, subject, budget)) return false;
        tested = true;
    }
    return tested;
}

const Rule* walk(WindowTexts& texts, const RuleList& rules) noexcept {
    if (texts.field[TitleField].Bytes().empty()) return nullptr;  // untitled windows are never shrunk by a rule
    try {
        RegexBudget budget;
        for (const Rule& rule : rules) {
            if (isMatchable(rule) && ruleMatches(rule, texts, budget)) return &rule;
        }
    } catch (...) {
        // Only compiling a changed rule allocates; out of memory, leaving the
        // window alone is the safe answer.
    }
    return nullptr;
}

std::string readText(HWND window, int (*reader)(HWND, char*, int), int size) {
    std::string text(static_cast<std::size_t>(size), '\0');
    const int length = reader(window, text.data(), size);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

}  // namespace

WindowIdentity GatherWindowIdentity(HWND window, IdentityPurpose purpose) {
    const bool capture = purpose == IdentityPurpose::CaptureTool;
    WindowIdentity identity;
    char path[kExePathSize] = {};
    const int pathLength = readExePath(window, capture ? kCaptureToolAccess : kMatchingAccess, path, kExePathSize);
    identity.ExePath.assign(path, pathLength > 0 ? static_cast<std::size_t>(pathLength) : 0);
    identity.ClassName = readText(window, &readClassName, kClassNameSize);
    identity.Title = readText(window, &readTitle, capture ? kCaptureToolTitleSize : kMatchingTitleSize);
    return identity;
}

bool MatchExact(const std::string& subject, const std::string& pattern) { return ExactMatches(subject, pattern); }

bool MatchWildcard(const std::string& subject, const std::string& pattern) {
    return WildcardMatches(FoldText(subject), FoldText(pattern));
}

bool MatchRegex(const std::string& subject, const std::string& pattern) {
    CompiledPatterns::Field compiled;
    compiled.text = pattern;
    compiled.expression = CompileRegex(pattern);
    return RegexMatches(subject, compiled);
}

bool RegexCompiles(const std::string& pattern) noexcept {
    try {
        return !CompileRegex(pattern).empty();
    } catch (...) {
        return false;  // out of memory
    }
}

const Rule* MatchRules(const WindowIdentity& identity, const RuleList& rules) noexcept {
    WindowTexts texts;
    texts.field[ExePathField].Assign(identity.ExePath, kExePathSize);
    texts.field[ClassNameField].Assign(identity.ClassName, kClassNameSize);
    texts.field[TitleField].Assign(identity.Title, kMatchingTitleSize);
    return walk(texts, rules);
}

const Rule* MatchRules(HWND window, const RuleList& rules) noexcept {
    WindowTexts texts;
    SubjectText& exePath = texts.field[ExePathField];
    exePath.SetLength(readExePath(window, kMatchingAccess, exePath.Buffer(), kExePathSize));
    SubjectText& className = texts.field[ClassNameField];
    className.SetLength(readClassName(window, className.Buffer(), kClassNameSize));
    SubjectText& title = texts.field[TitleField];
    title.SetLength(readTitle(window, title.Buffer(), kMatchingTitleSize));
    return walk(texts, rules);
}

}  // namespace quillora
