// The page that edits a rule's shrink settings; shared by the rule editor
// and the quick dialogs.
#pragma once

#include "rules/Rule.h"
#include "win/Dialog.h"

namespace quillora {

class RuleShrinkPage : public win::Dialog {
public:
    explicit RuleShrinkPage(Rule& rule) : rule_(rule) {}
    HWND Create(HWND parent);
    // Checks the draw interval (message 119 when it is bad) and, only when it
    // passes, writes every control into the rule.
    bool Apply();

protected:
    BOOL onInit() override;
    bool onCommand(int id, int code, HWND control) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    void fillLists();
    void applyEnableRules();
    void applyUnitRange(int unitList, int spin);
    void updateTransparencyLabel();

    Rule& rule_;
};

// Accepts a draw interval text: a whole decimal integer from 1 to 100000.
bool ParseUpdateInterval(const std::string& text, int& value);

}  // namespace quillora
