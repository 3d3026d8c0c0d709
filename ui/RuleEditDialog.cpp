#include "ui/RuleEditDialog.h"

#include "res/resource.h"

namespace quillora {

int RuleEditDialog::Run(HWND owner) { return static_cast<int>(runModal(owner, IDD_RULE_EDIT)); }

BOOL RuleEditDialog::onInit() {
    showPages(IDC_EDITOR_TAB, basic_, IDS_TAB_BASIC, shrink_, IDS_TAB_SHRINK);
    return FALSE;
}

void RuleEditDialog::onOk() {
    if (!basic_.Apply()) return;
    if (!shrink_.Apply()) return;
    rule_ = draft_;
    end(IDOK);
}

int RunRuleEditor(HWND owner, Rule& rule) {
    RuleEditDialog dialog(rule);
    return dialog.Run(owner);
}

}  // namespace quillora
