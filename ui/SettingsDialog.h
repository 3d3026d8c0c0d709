// The settings dialog: General and Rules pages in a tab control. Nothing is
// written into the application before OK.
#pragma once

#include "res/resource.h"
#include "rules/SettingsStore.h"
#include "ui/GeneralPage.h"
#include "ui/RulesPage.h"
#include "ui/TabbedDialog.h"

namespace quillora {

class SettingsDialog : public TabbedDialog {
public:
    explicit SettingsDialog(SettingsStore& store) : general_(store), rules_(store) {}
    int Run(HWND owner) { return static_cast<int>(runModal(owner, IDD_SETTINGS)); }

protected:
    BOOL onInit() override;
    void onOk() override;

private:
    GeneralPage general_;
    RulesPage rules_;
};

}  // namespace quillora
