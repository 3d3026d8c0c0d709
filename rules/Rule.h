// One window rule and the ordered list of rules (the list order is the
// matching priority).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillora {

struct CompiledPatterns;  // rules/MatchingPatterns.h

// A rule's patterns in the form matching uses (compiled expressions, folded
// wildcard masks). Matching builds it on first use and rebuilds it whenever
// the rule's patterns or method differ from what it was built from; copies of
// the rule share it. It is not part of the rule's value.
struct PatternCache {
    std::shared_ptr<const CompiledPatterns> Patterns;
    bool operator==(const PatternCache&) const { return true; }
};

enum MatchMethodValue : std::int32_t { MatchExactMethod = 0, MatchWildcardMethod = 1, MatchRegexMethod = 2 };
enum SizeUnit : std::int32_t { UnitPercent = 0, UnitPixel = 1 };
enum DrawMethod : std::int32_t { SpeedPriority = 0, QualityPriority = 1 };
enum Direction : std::int32_t { DirAuto = 0, DirTopLeft = 1, DirTopRight = 2, DirBottomLeft = 3, DirBottomRight = 4 };
enum RestoreMethod : std::int32_t { RestoreMouseOver = 0, RestoreLeftClick = 1 };

struct Rule {
    std::string Explanation;
    std::string AppName;
    std::string ClassName;
    std::string Title;
    std::int32_t MatchMethod = MatchWildcardMethod;
    std::int32_t StretchWidth = 50;
    std::int32_t StretchHeight = 50;
    std::int32_t StretchWidthUnit = UnitPercent;
    std::int32_t StretchHeightUnit = UnitPercent;
    bool Coratio = false;
    std::int32_t StretchDrawMethod = SpeedPriority;
    std::int32_t StretchDirection = DirTopLeft;
    std::int32_t StretchRestoreMethod = RestoreMouseOver;
    bool UpdateDisplay = false;
    std::int32_t UpdateDisplayElapse = 1000;
    bool Topmost = false;
    bool Frame = true;
    bool ExtendSystemMenu = true;
    bool Transparent = false;
    std::int32_t Transparency = 50;
    bool Validness = true;
    bool IsValid = true;
    mutable PatternCache Compiled;  // like the rule itself, used on the UI thread only

    bool operator==(const Rule&) const = default;
};

// Clears IsValid when the rule is malformed; never sets it.
void ValidateRule(Rule& rule);

// The ordered rule list. Positions are 0-based.
class RuleList {
public:
    using const_iterator = std::vector<Rule>::const_iterator;

    void Append(const Rule& rule) { rules_.push_back(rule); }
    // Removes the rule at i; later rules move up. Out-of-range i does nothing.
    void RemoveAt(std::size_t i);
    // Exchanges the rules at i and i+1; does nothing when i+1 is out of range.
    void SwapWithNext(std::size_t i);

    std::size_t size() const { return rules_.size(); }
    bool empty() const { return rules_.empty(); }
    Rule& operator[](std::size_t i) { return rules_[i]; }
    const Rule& operator[](std::size_t i) const { return rules_[i]; }
    const_iterator begin() const { return rules_.begin(); }
    const_iterator end() const { return rules_.end(); }
    std::vector<Rule>::iterator begin() { return rules_.begin(); }
    std::vector<Rule>::iterator end() { return rules_.end(); }

    bool operator==(const RuleList&) const = default;

private:
    std::vector<Rule> rules_;
};

}  // namespace quillora
