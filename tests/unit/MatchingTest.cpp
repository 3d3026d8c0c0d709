// The three matchers, the first-match walk over the rule list, and the
// identity read from a real window of another process.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>

#include "common/Harness.h"
#include "rules/Matching.h"

using quillora::GatherWindowIdentity;
using quillora::IdentityPurpose;
using quillora::MatchExact;
using quillora::MatchRegex;
using quillora::MatchRules;
using quillora::MatchWildcard;
using quillora::Rule;
using quillora::RuleList;
using quillora::WindowIdentity;

// Every allocation of this test program is counted, to show that matching a
// window allocates nothing.
namespace {
std::atomic<long> g_allocations{0};
}
void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

struct Case {
    const char* subject;
    const char* pattern;
    bool matches;
};

const WindowIdentity kEditor{"C:\\Apps\\editor.exe", "EditorClass", "Untitled - Editor"};

Rule rule(int method, const char* app, const char* cls, const char* title) {
    Rule r;
    r.MatchMethod = method;
    r.AppName = app;
    r.ClassName = cls;
    r.Title = title;
    return r;
}

}  // namespace

TEST(Match, ExactIsAWholeCaseSensitiveComparison) {
    const Case cases[] = {
        {"Untitled - Editor", "Untitled - Editor", true},
        {"Untitled - Editor", "untitled - editor", false},
        {"Untitled - Editor", "Untitled", false},
        {"Untitled", "Untitled - Editor", false},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchExact(c.subject, c.pattern), c.matches) << c.subject << " / " << c.pattern;
}

TEST(Match, WildcardIsAnchoredCaseInsensitiveWithAlternatives) {
    const Case cases[] = {
        {"Untitled - Editor", "untitled*", true},
        {"Untitled - Editor", "UNTITLED - EDITOR", true},
        {"Untitled - Editor", "Untitled", false},
        {"Untitled - Editor", "Editor", false},
        {"Untitled - Editor", "*Editor", true},
        {"Untitled - Editor!", "*Editor", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"C:\\Apps\\editor.exe", "*\\editor.exe; *\\viewer.exe", true},
        {"C:\\Apps\\viewer.exe", "*\\editor.exe; *\\viewer.exe", true},
        {"C:\\Apps\\viewer.exe", "*\\editor.exe;    *\\VIEWER.EXE", true},
        {"C:\\Apps\\other.exe", "*\\editor.exe; *\\viewer.exe", false},
        // 表示: '?' stands for one double-byte character, not one byte.
        {"\x95\x5c\x8e\xa6", "?\x8e\xa6", true},
        {"\x95\x5c\x8e\xa6", "??\x8e\xa6", false},
        {"\x82\x60\x82\x61", "\x82\x81\x82\x82", true},  // ＡＢ, ａｂ: full-width letters fold too
        {"Readme", "*.*", true},                           // the all-files mask
        {"a*b", "a?b", true},
        {"axb", "a*b;", true},
        {"b", "a;;b", true},
        {"Untitled - Editor", "*Edit*r*r", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchWildcard(c.subject, c.pattern), c.matches) << c.subject << " / " << c.pattern;
        EXPECT_EQ(PathMatchSpecA(c.subject, c.pattern) != FALSE, c.matches) << "the platform differs: " << c.pattern;
    }
    // Backtracking over every '*' (as PathMatchSpec does) would take ages here.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MatchWildcard(std::string(255, 'a'), "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(Match, RegexSearchesCaseSensitively) {
    const Case cases[] = {
        {"Untitled - Editor", "Edit", true},
        {"Untitled - Editor", "^Edit", false},
        {"Untitled - Editor", "edit", false},
        {"Untitled - Editor", "^Untitled.*Editor$", true},
        {"Untitled - Editor", "^Untitled$", false},
        {"Untitled - Editor", "\\s-\\s", true},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchRegex(c.subject, c.pattern), c.matches) << c.subject << " / " << c.pattern;
}

TEST(Match, RegexThatCannotCompileOrExplodesSimplyDoesNotMatch) {
    for (const char* broken : {"(", "[a-", "*abc", "a{2,1}", "(?<name"}) {
        bool result = true;
        EXPECT_NO_THROW(result = MatchRegex("(abc", broken)) << broken;
        EXPECT_FALSE(result) << broken;
    }
    // Catastrophic backtracking: without Boost's limits this would not end.
    const std::string subject(200, 'a');
    const auto start = std::chrono::steady_clock::now();
    bool result = true;
    EXPECT_NO_THROW(result = MatchRegex(subject, "(a*)*b"));
    EXPECT_FALSE(result);
    EXPECT_NO_THROW(result = MatchRegex(subject, "(a|aa|aaa)+(b|c)+$"));
    EXPECT_FALSE(result);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(MatchRules, EveryNonEmptyPatternMustMatch) {
    RuleList rules;
    rules.Append(rule(1, "*\\editor.exe", "", "Untitled*"));
    EXPECT_EQ(MatchRules(kEditor, rules), &rules[0]);
    EXPECT_EQ(MatchRules(WindowIdentity{kEditor.ExePath, kEditor.ClassName, "Other - Editor"}, rules), nullptr);
    EXPECT_EQ(MatchRules(WindowIdentity{"C:\\viewer.exe", kEditor.ClassName, kEditor.Title}, rules), nullptr);

    RuleList classOnly;
    classOnly.Append(rule(0, "", "EditorClass", ""));
    EXPECT_EQ(MatchRules(WindowIdentity{"C:\\x.exe", "EditorClass", "anything"}, classOnly), &classOnly[0]);
    EXPECT_EQ(MatchRules(WindowIdentity{"C:\\x.exe", "editorclass", "anything"}, classOnly), nullptr);

    RuleList noPattern;
    noPattern.Append(rule(1, "", "", ""));  // never validated, so IsValid is still true
    EXPECT_EQ(MatchRules(kEditor, noPattern), nullptr);
}

TEST(MatchRules, FirstUsableRuleInListOrderWins) {
    RuleList rules;
    rules.Append(rule(1, "", "", "*"));  // switched off by the user
    rules[0].Validness = false;
    rules.Append(rule(1, "", "", "*"));  // failed validation
    rules[1].IsValid = false;
    rules.Append(rule(3, "", "", "*"));  // unknown method, never validated
    rules.Append(rule(-1, "", "", "*"));
    rules.Append(rule(2, "", "", "(a*)*b"));  // explodes: no match, walk goes on
    rules.Append(rule(0, "", "", "Other"));
    rules.Append(rule(2, "", "Editor", "Edit"));
    rules.Append(rule(1, "", "", "*"));
    EXPECT_EQ(MatchRules(WindowIdentity{"", "EditorClass", std::string(200, 'a') + " Edit"}, rules), &rules[6]);
    EXPECT_EQ(MatchRules(kEditor, rules), &rules[6]);
    EXPECT_EQ(MatchRules(WindowIdentity{"", "Notepad", "Untitled"}, rules), &rules[7]);
}

TEST(MatchRules, EditedRulesAndTheirCopiesMatchByTheirOwnPatterns) {
    RuleList rules;
    rules.Append(rule(2, "", "", "^Untitled"));
    ASSERT_EQ(MatchRules(kEditor, rules), &rules[0]);
    EXPECT_EQ(rules[0], rule(2, "", "", "^Untitled")) << "compiling changed the rule's value";

    RuleList copy = rules;  // shares the compiled patterns
    copy[0].Title = "^Other";
    EXPECT_EQ(MatchRules(kEditor, copy), nullptr) << "the edited copy matched by its old pattern";
    EXPECT_EQ(MatchRules(kEditor, rules), &rules[0]) << "the original took on the copy's edit";

    copy[0].Title = "untitled*";
    copy[0].MatchMethod = 1;
    EXPECT_EQ(MatchRules(kEditor, copy), &copy[0]);
    copy[0].MatchMethod = 2;  // the same text as an expression is case-sensitive
    EXPECT_EQ(MatchRules(kEditor, copy), nullptr);
}

std::string pathologicalPattern(std::size_t bytes) {
    std::string pattern;
    while (pattern.size() + 7 <= bytes) pattern += "(a|a)*";
    return pattern + "b";
}

TEST(MatchRules, PathologicalExpressionsCostAWindowAtMostItsBudget) {
    using namespace std::chrono;
    const WindowIdentity window{"C:\\Apps\\a.exe", "AClass", std::string(255, 'a')};
    // Without limits, each of these takes seconds on this title.
    RuleList one;
    one.Append(rule(2, "", "", pathologicalPattern(1000).c_str()));
    MatchRules(window, one);  // compiles
    auto start = steady_clock::now();
    EXPECT_EQ(MatchRules(window, one), nullptr);
    EXPECT_LT(steady_clock::now() - start, milliseconds(250));

    RuleList many;
    for (int i = 0; i < 60; ++i) many.Append(rule(2, "", "", pathologicalPattern(1000 - i).c_str()));
    many.Append(rule(2, "", "", "^a+$"));  // matches, but comes after the budget is spent
    many.Append(rule(1, "", "", "a*"));    // wildcards have no budget
    MatchRules(window, many);
    start = steady_clock::now();
    EXPECT_EQ(MatchRules(window, many), &many[61]);
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));
}

TEST(MatchRules, UntitledWindowsNeverMatch) {
    RuleList rules;
    rules.Append(rule(0, "", "EditorClass", ""));
    EXPECT_EQ(MatchRules(WindowIdentity{kEditor.ExePath, kEditor.ClassName, ""}, rules), nullptr);
}

TEST(MatchRules, UnknownExePathDefeatsOnlyRulesThatTestIt) {
    const WindowIdentity unopenable{"", "EditorClass", "Untitled - Editor"};
    RuleList rules;
    rules.Append(rule(1, "*", "", ""));
    rules.Append(rule(2, ".*", "", ""));
    rules.Append(rule(1, "*", "*", "*"));
    EXPECT_EQ(MatchRules(unopenable, rules), nullptr) << "patterns that match empty text must not pass it";
    rules.Append(rule(1, "", "Editor*", ""));
    EXPECT_EQ(MatchRules(unopenable, rules), &rules[3]);
}

namespace {

bool endsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

}  // namespace

TEST(GatherWindowIdentity, ReadsPathClassAndTitleOfAnotherProcessWindow) {
    const std::string longTitle = "Probe " + std::string(294, 'x');  // 300 bytes
    const uitest::Process other =
        uitest::Start(uitest::BinDir() + "\\testwin.exe", "--class QuilloraIdentityProbe --title \"" + longTitle + "\"");
    const HWND window = uitest::FindWindowOf(other.Id(), "QuilloraIdentityProbe", 15000);
    ASSERT_NE(window, nullptr);

    const WindowIdentity seen = GatherWindowIdentity(window);
    EXPECT_TRUE(endsWithNoCase(seen.ExePath, "\\testwin.exe")) << seen.ExePath;
    EXPECT_EQ(seen.ClassName, "QuilloraIdentityProbe");
    EXPECT_EQ(seen.Title, longTitle.substr(0, 255)) << "matching sees at most 255 bytes of title";

    const WindowIdentity captured = GatherWindowIdentity(window, IdentityPurpose::CaptureTool);
    EXPECT_EQ(captured.ExePath, seen.ExePath);
    EXPECT_EQ(captured.ClassName, seen.ClassName);
    EXPECT_EQ(captured.Title, longTitle);

    RuleList rules;
    rules.Append(rule(0, "", "", longTitle.c_str()));  // longer than matching can see
    rules.Append(rule(1, "*\\TESTWIN.EXE", "QuilloraIdentityProbe", "Probe *"));
    EXPECT_EQ(MatchRules(window, rules), &rules[1]);
}

TEST(GatherWindowIdentity, AWindowWhoseModuleCannotBeReadIsNamedByItsExecutable) {
    // As a 32-bit build sees every window of a 64-bit program: the module
    // list cannot be read, the executable's path can.
    HWND window = CreateWindowExA(0, "STATIC", "module gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrA(window, GWLP_HINSTANCE, 0x10000);  // no module is loaded there
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_EQ(GatherWindowIdentity(window).ExePath, self);
    RuleList rules;
    rules.Append(rule(1, "*\\UNIT_TESTS.EXE", "", "module gone"));
    EXPECT_EQ(MatchRules(window, rules), &rules[0]);
    DestroyWindow(window);
}

TEST(GatherWindowIdentity, VanishedWindowGivesEmptyFieldsAndNoMatch) {
    HWND gone = CreateWindowExA(0, "STATIC", "short-lived", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    const WindowIdentity seen = GatherWindowIdentity(gone);
    EXPECT_TRUE(seen.ExePath.empty() && seen.ClassName.empty() && seen.Title.empty());
    RuleList rules;
    rules.Append(rule(1, "", "", "*"));
    EXPECT_EQ(MatchRules(gone, rules), nullptr);
}

TEST(MatchRules, AWindowIsMatchedWithoutAllocatingOnceTheRulesAreCompiled) {
    // 無題 - Notepad
    HWND window = CreateWindowExA(0, "STATIC", "\x96\xb3\x91\xe8 - Notepad", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    RuleList rules;
    for (int i = 0; i < 10; ++i) {
        const std::string n = std::to_string(i);
        rules.Append(rule(0, "", "", ("Title " + n).c_str()));
        rules.Append(rule(1, ("*\\app" + n + ".exe").c_str(), "", ""));
        rules.Append(rule(2, "", "", ("Notepad " + n + "$").c_str()));
    }
    rules.Append(rule(2, "", "", "(unclosed"));
    rules.Append(rule(1, "*\\UNIT_TESTS.EXE", "Static", "*notepad"));
    const Rule* const expected = &rules[rules.size() - 1];
    ASSERT_EQ(MatchRules(window, rules), expected);

    const long before = g_allocations;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(MatchRules(window, rules), expected);
    EXPECT_EQ(g_allocations - before, 0);
    DestroyWindow(window);
}
