// The rule editor: Basic and Shrink pages over one rule.
#pragma once

#include <windows.h>

#include "rules/Rule.h"
#include "ui/RuleBasicPage.h"
#include "ui/RuleShrinkPage.h"
#include "ui/TabbedDialog.h"

namespace quillora {

class RuleEditDialog : public TabbedDialog {
public:
    // The pages edit a draft; `rule` changes only when both pages' checks
    // pass on OK, so a refused OK followed by Cancel leaves it as it was.
    explicit RuleEditDialog(Rule& rule) : rule_(rule), draft_(rule), basic_(draft_), shrink_(draft_) {}
    int Run(HWND owner);

protected:
    BOOL onInit() override;
    void onOk() override;

private:
    Rule& rule_;
    Rule draft_;
    RuleBasicPage basic_;
    RuleShrinkPage shrink_;
    PageTab tabs_;
};

// Runs the editor modally; IDOK when `rule` was written.
int RunRuleEditor(HWND owner, Rule& rule);

}  // namespace quillora
