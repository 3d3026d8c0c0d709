// The rule record's defaults, its validity test and the list operations the
// Rules page relies on.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "rules/Rule.h"
#include "common/RulePrinting.h"

using quillora::Rule;
using quillora::RuleList;
using quillora::ValidateRule;

namespace {

Rule titled(const char* title) {
    Rule rule;
    rule.Title = title;
    return rule;
}

bool validAfterCheck(Rule rule) {
    ValidateRule(rule);
    return rule.IsValid;
}

}  // namespace

TEST(Rule, NewRuleHoldsTheDocumentedDefaults) {
    const Rule r;
    EXPECT_TRUE(r.Explanation.empty() && r.AppName.empty() && r.ClassName.empty() && r.Title.empty());
    EXPECT_EQ(r.MatchMethod, 1);
    EXPECT_EQ(r.StretchWidth, 50);
    EXPECT_EQ(r.StretchHeight, 50);
    EXPECT_EQ(r.StretchWidthUnit, 0);
    EXPECT_EQ(r.StretchHeightUnit, 0);
    EXPECT_FALSE(r.Coratio);
    EXPECT_EQ(r.StretchDrawMethod, 0);
    EXPECT_EQ(r.StretchDirection, 1) << "new rules start at the top-left corner";
    EXPECT_EQ(r.StretchRestoreMethod, 0);
    EXPECT_FALSE(r.UpdateDisplay);
    EXPECT_EQ(r.UpdateDisplayElapse, 1000);
    EXPECT_FALSE(r.Topmost);
    EXPECT_TRUE(r.Frame);
    EXPECT_TRUE(r.ExtendSystemMenu);
    EXPECT_FALSE(r.Transparent);
    EXPECT_EQ(r.Transparency, 50);
    EXPECT_TRUE(r.Validness);
    EXPECT_TRUE(r.IsValid);
}

TEST(Rule, CopyCarriesTheInMemoryOnlyFlags) {
    Rule original = titled("x");
    original.ExtendSystemMenu = false;
    original.IsValid = false;
    const Rule copy = original;
    EXPECT_FALSE(copy.ExtendSystemMenu);
    EXPECT_FALSE(copy.IsValid);
    Rule assigned;
    assigned = original;
    EXPECT_EQ(assigned, original);
}

struct Boundary {
    const char* what;
    std::function<void(Rule&)> change;
    bool valid;
};

TEST(ValidateRule, EveryFieldBoundary) {
    const Boundary cases[] = {
        {"title only", [](Rule&) {}, true},
        {"no pattern at all", [](Rule& r) { r.Title.clear(); }, false},
        {"app name only", [](Rule& r) { std::swap(r.Title, r.AppName); }, true},
        {"class name only", [](Rule& r) { std::swap(r.Title, r.ClassName); }, true},
        {"method -1", [](Rule& r) { r.MatchMethod = -1; }, false},
        {"method 0", [](Rule& r) { r.MatchMethod = 0; }, true},
        {"method 2", [](Rule& r) { r.MatchMethod = 2; }, true},
        {"method 3", [](Rule& r) { r.MatchMethod = 3; }, false},
        {"width -1", [](Rule& r) { r.StretchWidth = -1; }, false},
        {"width 0", [](Rule& r) { r.StretchWidth = 0; }, true},
        {"width 100 %", [](Rule& r) { r.StretchWidth = 100; }, true},
        {"width 101 %", [](Rule& r) { r.StretchWidth = 101; }, false},
        {"width 10000 px", [](Rule& r) { r.StretchWidthUnit = 1; r.StretchWidth = 10000; }, true},
        {"width 10001 px", [](Rule& r) { r.StretchWidthUnit = 1; r.StretchWidth = 10001; }, false},
        {"width 500 unit 2", [](Rule& r) { r.StretchWidthUnit = 2; r.StretchWidth = 500; }, true},
        {"width -1 unit 2", [](Rule& r) { r.StretchWidthUnit = 2; r.StretchWidth = -1; }, false},
        {"width 101 % with coratio", [](Rule& r) { r.Coratio = true; r.StretchWidth = 101; }, false},
        {"height -1", [](Rule& r) { r.StretchHeight = -1; }, false},
        {"height 100 %", [](Rule& r) { r.StretchHeight = 100; }, true},
        {"height 101 %", [](Rule& r) { r.StretchHeight = 101; }, false},
        {"height 10000 px", [](Rule& r) { r.StretchHeightUnit = 1; r.StretchHeight = 10000; }, true},
        {"height 10001 px", [](Rule& r) { r.StretchHeightUnit = 1; r.StretchHeight = 10001; }, false},
        {"height 500 unit -3", [](Rule& r) { r.StretchHeightUnit = -3; r.StretchHeight = 500; }, true},
        {"height 101 % with coratio", [](Rule& r) { r.Coratio = true; r.StretchHeight = 101; }, false},
        {"elapse 0", [](Rule& r) { r.UpdateDisplayElapse = 0; }, false},
        {"elapse 1", [](Rule& r) { r.UpdateDisplayElapse = 1; }, true},
        {"elapse 100000", [](Rule& r) { r.UpdateDisplayElapse = 100000; }, true},
        {"elapse 100001", [](Rule& r) { r.UpdateDisplayElapse = 100001; }, false},
        {"draw -1", [](Rule& r) { r.StretchDrawMethod = -1; }, false},
        {"draw 1", [](Rule& r) { r.StretchDrawMethod = 1; }, true},
        {"draw 2", [](Rule& r) { r.StretchDrawMethod = 2; }, false},
        {"direction -1", [](Rule& r) { r.StretchDirection = -1; }, false},
        {"direction 0", [](Rule& r) { r.StretchDirection = 0; }, true},
        {"direction 4", [](Rule& r) { r.StretchDirection = 4; }, true},
        {"direction 5", [](Rule& r) { r.StretchDirection = 5; }, false},
        {"restore -1", [](Rule& r) { r.StretchRestoreMethod = -1; }, false},
        {"restore 1", [](Rule& r) { r.StretchRestoreMethod = 1; }, true},
        {"restore 2", [](Rule& r) { r.StretchRestoreMethod = 2; }, false},
        {"transparency -1", [](Rule& r) { r.Transparency = -1; }, false},
        {"transparency 0", [](Rule& r) { r.Transparency = 0; }, true},
        {"transparency 100", [](Rule& r) { r.Transparency = 100; }, true},
        {"transparency 101", [](Rule& r) { r.Transparency = 101; }, false},
        {"flags and explanation are free",
         [](Rule& r) {
             r.Explanation.clear(); r.Coratio = r.UpdateDisplay = r.Topmost = r.Transparent = true;
             r.Frame = r.ExtendSystemMenu = r.Validness = false;
         },
         true},
    };
    for (const Boundary& c : cases) {
        Rule rule = titled("t");
        c.change(rule);
        EXPECT_EQ(validAfterCheck(rule), c.valid) << c.what;
    }
}

TEST(ValidateRule, NeverSetsIsValidBackToTrue) {
    Rule rule = titled("t");
    rule.Transparency = 101;
    ValidateRule(rule);
    ASSERT_FALSE(rule.IsValid);
    rule.Transparency = 50;
    ValidateRule(rule);
    EXPECT_FALSE(rule.IsValid) << "a repaired rule stays invalid for the rest of the run";
}

namespace {

RuleList listOf(std::initializer_list<const char*> titles) {
    RuleList list;
    for (const char* t : titles) list.Append(titled(t));
    return list;
}

using Titles = std::vector<std::string>;

Titles order(const RuleList& list) {
    Titles out;
    for (const Rule& r : list) out.push_back(r.Title);
    return out;
}

}  // namespace

TEST(RuleList, RemoveClosesTheGapAndIgnoresPositionsPastTheEnd) {
    RuleList list = listOf({"a", "b", "c"});
    list.RemoveAt(0);
    EXPECT_EQ(order(list), (Titles{"b", "c"}));
    list.RemoveAt(2);
    EXPECT_EQ(order(list), (Titles{"b", "c"}));
    list.RemoveAt(1);
    EXPECT_EQ(order(list), (Titles{"b"}));
}

TEST(RuleList, SwapExchangesNeighboursByValueAndDoesNothingAtTheEnd) {
    RuleList list = listOf({"a", "b", "c"});
    list[0].Validness = false;
    list.SwapWithNext(0);
    EXPECT_EQ(order(list), (Titles{"b", "a", "c"}));
    EXPECT_FALSE(list[1].Validness) << "the whole rule moves, not just its title";
    EXPECT_TRUE(list[0].Validness);
    list.SwapWithNext(2);  // last rule down
    EXPECT_EQ(order(list), (Titles{"b", "a", "c"}));
    list.SwapWithNext(1);
    EXPECT_EQ(order(list), (Titles{"b", "c", "a"}));
}

TEST(RuleList, AssignedCopyIsIndependent) {
    const RuleList live = listOf({"a", "b"});
    RuleList working = live;
    working[0].Title = "z";
    working.Append(titled("c"));
    EXPECT_EQ(order(live), (Titles{"a", "b"}));
    EXPECT_EQ(order(working), (Titles{"z", "b", "c"}));
}
