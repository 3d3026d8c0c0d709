#include "ui/RuleEditDialog.h"

#include "res/resource.h"
#include "rules/ResourceString.h"

namespace quillora {

int RuleEditDialog::Run(HWND owner) { return static_cast<int>(runModal(owner, IDD_RULE_EDIT)); }

BOOL RuleEditDialog::onInit() {
    win::CentreOverOwner(handle());
    tabs_.Attach(item(IDC_EDITOR_TAB));
    HWND basic = basic_.Create(tabs_.Tab());
    HWND shrink = shrink_.Create(tabs_.Tab());
    tabs_.AddPage(basic, LoadResourceString(IDS_TAB_BASIC));
    tabs_.AddPage(shrink, LoadResourceString(IDS_TAB_SHRINK));
    tabs_.ShowCurrent();
    return FALSE;
}

bool RuleEditDialog::onNotify(NMHDR& header, LRESULT&) { return tabs_.OnNotify(header); }

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
