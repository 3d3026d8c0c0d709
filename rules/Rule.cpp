#include "rules/Rule.h"

#include "rules/RuleLimits.h"

namespace quillora {

namespace {

bool sizeInRange(std::int32_t value, std::int32_t unit) {
    if (value < 0) return false;
    if (unit == UnitPercent) return value <= kPercentSizeMax;
    if (unit == UnitPixel) return value <= kPixelSizeMax;
    return true;  // other unit values carry no upper bound
}

bool isWellFormed(const Rule& r) {
    return (!r.AppName.empty() || !r.ClassName.empty() || !r.Title.empty()) &&
           (r.MatchMethod >= MatchExactMethod && r.MatchMethod <= MatchRegexMethod) &&
           sizeInRange(r.StretchWidth, r.StretchWidthUnit) && sizeInRange(r.StretchHeight, r.StretchHeightUnit) &&
           (r.UpdateDisplayElapse >= kRefreshIntervalMin && r.UpdateDisplayElapse <= kRefreshIntervalMax) &&
           (r.StretchDrawMethod >= SpeedPriority && r.StretchDrawMethod <= QualityPriority) &&
           (r.StretchDirection >= DirAuto && r.StretchDirection <= DirBottomRight) &&
           (r.StretchRestoreMethod >= RestoreMouseOver && r.StretchRestoreMethod <= RestoreLeftClick) &&
           (r.Transparency >= kTransparencyMin && r.Transparency <= kTransparencyMax);
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
