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

// Each compares a window text (subject) with a rule pattern.
bool MatchExact(const std::string& subject, const std::string& pattern);     // case-sensitive
bool MatchWildcard(const std::string& subject, const std::string& pattern);  // PathMatchSpec rules
bool MatchRegex(const std::string& subject, const std::string& pattern);     // searches, Perl syntax

// The first valid, enabled rule whose non-empty patterns all match, or null.
// The result points into rules. Never throws.
const Rule* MatchRules(const WindowIdentity& identity, const RuleList& rules) noexcept;
const Rule* MatchRules(HWND window, const RuleList& rules) noexcept;

}  // namespace quillora
