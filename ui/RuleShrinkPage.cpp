#include "ui/RuleShrinkPage.h"

#include <charconv>

#include "res/resource.h"
#include "rules/RuleLimits.h"
#include "win/Controls.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

constexpr int kSliderStep = 10;
constexpr int kMaxText = 1023;

int sizeMaximum(int unit) { return unit == UnitPercent ? kEditedPercentSizeMax : kPixelSizeMax; }

void fill(HWND page, int id, std::initializer_list<unsigned> stringIds) {
    for (unsigned s : stringIds) win::AddComboEntry(page, id, win::LoadResourceString(s));
}

}  // namespace

bool ParseUpdateInterval(const std::string& text, int& value) {
    // The whole text is the number, optionally signed with "+" (no spaces).
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
    int parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last) return false;
    if (parsed < kRefreshIntervalMin || parsed > kRefreshIntervalMax) return false;
    value = parsed;
    return true;
}

HWND RuleShrinkPage::Create(HWND parent) { return createModeless(parent, IDD_RULE_SHRINK_PAGE); }

BOOL RuleShrinkPage::onInit() {
    HWND page = Handle();
    win::SetSpinRange(page, IDC_WIDTH_SPIN, kEditedSizeMin, sizeMaximum(rule_.StretchWidthUnit));
    win::SetSpinRange(page, IDC_HEIGHT_SPIN, kEditedSizeMin, sizeMaximum(rule_.StretchHeightUnit));
    win::SetSpinPosition(page, IDC_WIDTH_SPIN, rule_.StretchWidth);
    win::SetSpinPosition(page, IDC_HEIGHT_SPIN, rule_.StretchHeight);
    fillLists();
    win::SetChecked(page, IDC_AUTO_HEIGHT, rule_.Coratio);
    win::SelectComboIndex(page, IDC_WIDTH_UNIT, rule_.StretchWidthUnit);
    win::SelectComboIndex(page, IDC_HEIGHT_UNIT, rule_.StretchHeightUnit);
    win::SelectComboIndex(page, IDC_DIRECTION, rule_.StretchDirection);
    win::SelectComboIndex(page, IDC_RESTORE_METHOD, rule_.StretchRestoreMethod);
    win::SelectComboIndex(page, IDC_DRAW_METHOD, rule_.StretchDrawMethod);
    win::SetChecked(page, IDC_UPDATE_DISPLAY, rule_.UpdateDisplay);
    win::SetItemText(page, IDC_UPDATE_ELAPSE, std::to_string(rule_.UpdateDisplayElapse));
    win::SetChecked(page, IDC_TOPMOST, rule_.Topmost);
    win::SetChecked(page, IDC_FRAME, rule_.Frame);
    win::SetChecked(page, IDC_EXTEND_SYSTEM_MENU, rule_.ExtendSystemMenu);
    win::SetChecked(page, IDC_TRANSPARENT, rule_.Transparent);
    win::SetSliderRange(page, IDC_TRANSPARENCY, kChosenTransparencyMin, kChosenTransparencyMax, kSliderStep, kSliderStep, 1);
    win::SetSliderPosition(page, IDC_TRANSPARENCY, rule_.Transparency);
    updateTransparencyLabel();
    applyEnableRules();
    return TRUE;
}

void RuleShrinkPage::fillLists() {
    HWND page = Handle();
    fill(page, IDC_WIDTH_UNIT, {IDS_UNIT_PERCENT, IDS_UNIT_PIXEL});
    fill(page, IDC_HEIGHT_UNIT, {IDS_UNIT_PERCENT, IDS_UNIT_PIXEL});
    fill(page, IDC_DIRECTION, {IDS_DIR_AUTO, IDS_DIR_TOPLEFT, IDS_DIR_TOPRIGHT, IDS_DIR_BOTTOMLEFT, IDS_DIR_BOTTOMRIGHT});
    fill(page, IDC_RESTORE_METHOD, {IDS_RESTORE_MOUSEOVER, IDS_RESTORE_LEFTCLICK});
    fill(page, IDC_DRAW_METHOD, {IDS_DRAW_SPEED, IDS_DRAW_QUALITY});
}

void RuleShrinkPage::applyEnableRules() {
    HWND page = Handle();
    const bool autoHeight = win::IsChecked(page, IDC_AUTO_HEIGHT);
    for (int id : {IDC_HEIGHT, IDC_HEIGHT_SPIN, IDC_HEIGHT_UNIT}) win::EnableItem(page, id, !autoHeight);
    win::EnableItem(page, IDC_UPDATE_ELAPSE, win::IsChecked(page, IDC_UPDATE_DISPLAY));
    win::EnableItem(page, IDC_EXTEND_SYSTEM_MENU, win::IsChecked(page, IDC_FRAME));
    win::EnableItem(page, IDC_TRANSPARENCY, win::IsChecked(page, IDC_TRANSPARENT));
}

// Only the range follows the unit; the number in the box is left as typed.
void RuleShrinkPage::applyUnitRange(int unitList, int spin) {
    const int unit = win::ComboIndex(Handle(), unitList);
    if (unit == UnitPercent || unit == UnitPixel) win::SetSpinRange(Handle(), spin, kEditedSizeMin, sizeMaximum(unit));
}

void RuleShrinkPage::updateTransparencyLabel() {
    win::SetItemText(Handle(), IDC_TRANSPARENCY_LABEL,
                     win::FormatResourceString(IDS_TRANSPARENCY_LABEL, win::SliderPosition(Handle(), IDC_TRANSPARENCY)));
}

bool RuleShrinkPage::onCommand(int id, int, HWND) {
    switch (id) {
    case IDC_AUTO_HEIGHT:
    case IDC_UPDATE_DISPLAY:
    case IDC_FRAME:
    case IDC_TRANSPARENT:
        applyEnableRules();
        return true;
    case IDC_WIDTH_UNIT:
        applyUnitRange(IDC_WIDTH_UNIT, IDC_WIDTH_SPIN);
        return true;
    case IDC_HEIGHT_UNIT:
        applyUnitRange(IDC_HEIGHT_UNIT, IDC_HEIGHT_SPIN);
        return true;
    default:
        return false;
    }
}

bool RuleShrinkPage::onMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_HSCROLL || reinterpret_cast<HWND>(lp) != item(IDC_TRANSPARENCY)) return false;
    updateTransparencyLabel();
    result = 0;
    return true;
}

bool RuleShrinkPage::Apply() {
    HWND page = Handle();
    int interval = 0;
    if (!ParseUpdateInterval(win::ItemText(page, IDC_UPDATE_ELAPSE, kMaxText), interval)) {
        win::ShowMessageBox(GetAncestor(page, GA_ROOT), IDS_BAD_ELAPSE, 0, MB_OK);
        return false;
    }
    rule_.StretchWidth = win::SpinPosition(page, IDC_WIDTH_SPIN);
    rule_.StretchHeight = win::SpinPosition(page, IDC_HEIGHT_SPIN);
    rule_.StretchWidthUnit = win::ComboIndex(page, IDC_WIDTH_UNIT);
    rule_.StretchHeightUnit = win::ComboIndex(page, IDC_HEIGHT_UNIT);
    rule_.Coratio = win::IsChecked(page, IDC_AUTO_HEIGHT);
    rule_.StretchDrawMethod = win::ComboIndex(page, IDC_DRAW_METHOD);
    rule_.StretchDirection = win::ComboIndex(page, IDC_DIRECTION);
    rule_.StretchRestoreMethod = win::ComboIndex(page, IDC_RESTORE_METHOD);
    rule_.UpdateDisplay = win::IsChecked(page, IDC_UPDATE_DISPLAY);
    rule_.UpdateDisplayElapse = interval;
    rule_.Topmost = win::IsChecked(page, IDC_TOPMOST);
    rule_.Frame = win::IsChecked(page, IDC_FRAME);
    rule_.ExtendSystemMenu = win::IsChecked(page, IDC_EXTEND_SYSTEM_MENU);
    rule_.Transparent = win::IsChecked(page, IDC_TRANSPARENT);
    rule_.Transparency = win::SliderPosition(page, IDC_TRANSPARENCY);
    return true;
}

}  // namespace quillora
