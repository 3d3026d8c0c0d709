#include "rules/Rule.h"

namespace quillora {

namespace {

bool sizeInRange(std::int32_t value, std::int32_t unit) {
    if (value < 0) return false;
    if (unit == UnitPercent) return value <= 100;
    if (unit == UnitPixel) return value <= 10000;
    return true;  // other unit values carry no upper bound
}

bool isWellFormed(const Rule& r) {
    return (!r.AppName.empty() || !r.ClassName.empty() || !r.Title.empty()) &&
           (r.MatchMethod >= 0 && r.MatchMethod <= 2) && sizeInRange(r.StretchWidth, r.StretchWidthUnit) &&
           sizeInRange(r.StretchHeight, r.StretchHeightUnit) &&
           (r.UpdateDisplayElapse >= 1 && r.UpdateDisplayElapse <= 100000) &&
           (r.StretchDrawMethod >= 0 && r.StretchDrawMethod <= 1) &&
           (r.StretchDirection >= 0 && r.StretchDirection <= 4) &&
           (r.StretchRestoreMethod >= 0 && r.StretchRestoreMethod <= 1) &&
           (r.Transparency >= 0 && r.Transparency <= 100);
}

}  // namespace

void ValidateRule(Rule& rule) {
    if (!isWellFormed(rule)) rule.IsValid = false;
}

void RuleList::RemoveAt(std::size_t i) {
    if (i < rules_.size()) rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(i));
}

void RuleList::SwapWithNext(std::size_t i) {
    if (i + 1 < rules_.size()) {
        Rule temp = rules_[i];
        rules_[i] = rules_[i + 1];
        rules_[i + 1] = temp;
    }
}

}  // namespace quillora
