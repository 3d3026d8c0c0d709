// Which rule, if any, a top-level window falls under: the window's identity
// and the three ways of comparing it with a rule's patterns.
#pragma once

#include <windows.h>

#include <string>

#include "rules/Rule.h"

namespace quillora {

// What a rule's patterns are compared with. A field that could not be read
// is empty.
struct WindowIdentity {
    std::string ExePath;
    std::string ClassName;
    std::string Title;
};

enum class IdentityPurpose {
    Matching,     // what the rule walk sees: title cut to 255 bytes
    CaptureTool,  // what the rule editor's capture fills in: longer titles
};

// Reads the identity of any window, ours or another program's. Never fails:
// a vanished window or a process we may not open gives empty fields.
WindowIdentity GatherWindowIdentity(HWND window, IdentityPurpose purpose = IdentityPurpose::Matching);

// Each compares a window text (subject) with a rule pattern. They serve
// callers that hold texts; the rule walk keeps its patterns compiled.
bool MatchExact(const std::string& subject, const std::string& pattern);     // byte for byte, case-sensitive
bool MatchWildcard(const std::string& subject, const std::string& pattern);  // PathMatchSpec rules
bool MatchRegex(const std::string& subject, const std::string& pattern);     // searches, Perl syntax

// Whether the pattern compiles as a regular expression (Perl syntax).
bool RegexCompiles(const std::string& pattern) noexcept;

// The first valid, enabled rule whose non-empty patterns all match, or null.
// The result points into rules. Never throws. Each text is cut to what
// GatherWindowIdentity reads for matching. UI thread only: it keeps each
// rule's compiled patterns (Rule::Compiled) between calls, and once they are
// compiled it allocates nothing. The regular-expression tests of one window
// share a time budget; past it they count as not matching.
const Rule* MatchRules(const WindowIdentity& identity, const RuleList& rules) noexcept;
const Rule* MatchRules(HWND window, const RuleList& rules) noexcept;

}  // namespace quillora
