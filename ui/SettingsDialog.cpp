#include "ui/SettingsDialog.h"

#include "rules/ResourceString.h"
#include "ui/Dialogs.h"

namespace quillora {

BOOL SettingsDialog::onInit() {
    win::CentreOverOwner(handle());
    tabs_.Attach(item(IDC_SETTINGS_TAB));
    HWND general = general_.Create(tabs_.Tab());
    HWND rules = rules_.Create(tabs_.Tab());
    tabs_.AddPage(general, LoadResourceString(IDS_GENERAL_TAB));
    tabs_.AddPage(rules, LoadResourceString(IDS_RULES_TAB));
    tabs_.ShowCurrent();
    return FALSE;  // the current page has the focus
}

bool SettingsDialog::onNotify(NMHDR& header, LRESULT&) { return tabs_.OnNotify(header); }

void SettingsDialog::onOk() {
    general_.Apply();
    rules_.Apply();
    end(IDOK);
}

int ShowSettingsDialog(HWND owner, Application& app) {
    SettingsDialog dialog(app);
    return dialog.Run(owner);
}

}  // namespace quillora
