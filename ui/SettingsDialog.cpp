#include "ui/SettingsDialog.h"

#include "ui/Dialogs.h"

namespace quillora {

BOOL SettingsDialog::onInit() {
    showPages(IDC_SETTINGS_TAB, general_, IDS_GENERAL_TAB, rules_, IDS_RULES_TAB);
    return FALSE;  // the current page has the focus
}

void SettingsDialog::onOk() {
    general_.Apply();
    rules_.Apply();
    end(IDOK);
}

int ShowSettingsDialog(HWND owner, SettingsStore& store) {
    SettingsDialog dialog(store);
    return dialog.Run(owner);
}

}  // namespace quillora
