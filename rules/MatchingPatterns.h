// How a window text is compared with a rule pattern under each match method,
// and the compiled form of a rule's patterns that the rule walk keeps.
// Everything on the per-window path works in fixed buffers and allocates
// nothing; compiling a pattern allocates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <boost/regex.hpp>

#include "rules/Rule.h"

namespace quillora {

// The rule patterns, in the order they are tested: AppName, ClassName, Title.
constexpr int kPatternFields = 3;

// One window text as the matchers read it: its bytes and, made on first
// need, their upper-case UTF-16 form for wildcard masks.
class SubjectText {
public:
    static constexpr int kCapacity = MAX_PATH;  // the longest text the walk reads, its NUL included

    // Copies at most size - 1 (and at most kCapacity - 1) bytes of text.
    void Assign(std::string_view text, int size);
    // For readers that write straight into the buffer: kCapacity bytes at
    // Buffer(), then SetLength with what they wrote (negative counts as 0).
    char* Buffer() { return bytes_; }
    void SetLength(int length);

    std::string_view Bytes() const { return {bytes_, length_}; }
    std::wstring_view Folded();

private:
    char bytes_[kCapacity] = {};
    std::size_t length_ = 0;
    wchar_t folded_[kCapacity] = {};
    int foldedLength_ = -1;  // not made yet
};

struct CompiledPatterns {
    struct Field {
        std::string text;          // the rule's pattern this was made from; empty: not tested
        std::wstring mask;         // Wildcard: upper-case UTF-16
        boost::regex expression;   // Regex: empty when the text does not compile
    };
    std::int32_t method = 0;
    Field fields[kPatternFields];
};

// The rule's compiled patterns, rebuilt into rule.Compiled first when they
// no longer describe the rule. Throws only std::bad_alloc.
const CompiledPatterns& CurrentPatterns(const Rule& rule);

// The time one window may spend in regular-expression tests, counted from
// its first one. Once it is over, the window's remaining expression tests
// count as not matching. Read from the tick count, which costs next to
// nothing (the performance counter costs more than a search under Wine) and
// is fine enough for this.
class RegexBudget {
public:
    static constexpr ULONGLONG kMilliseconds = 50;

    // Searches subject unless the time is over.
    bool Search(std::string_view subject, const CompiledPatterns::Field& pattern);

private:
    ULONGLONG deadline_ = 0;  // 0 until the first search
    bool spent_ = false;
};

bool ExactMatches(std::string_view subject, std::string_view pattern);
// PathMatchSpec's rules: ';'-separated alternatives (leading blanks skipped),
// '*' any run, '?' one character, the whole subject covered; both texts
// already folded (FoldText). Linear in the texts' lengths, whatever the mask.
bool WildcardMatches(std::wstring_view subject, std::wstring_view mask);
// Searches subject. A search that exceeds its step limit (a few milliseconds
// of work) or fails in any other way does not match; the pattern is named in
// the log then.
bool RegexMatches(std::string_view subject, const CompiledPatterns::Field& pattern);

std::wstring FoldText(std::string_view text);
boost::regex CompileRegex(const std::string& pattern);  // empty when it does not compile

}  // namespace quillora
