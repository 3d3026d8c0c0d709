#include "ui/GeneralPage.h"

#include "res/resource.h"
#include "ui/StartupShortcut.h"
#include "win/Controls.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {
constexpr int kMarginMax = 100;
constexpr int kSensitivityMax = 100;
constexpr int kSliderStep = 10;
}  // namespace

HWND GeneralPage::Create(HWND parent) { return createModeless(parent, IDD_GENERAL_PAGE); }

BOOL GeneralPage::onInit() {
    HWND page = Handle();
    shortcutPath_ = StartupShortcutPath();
    startupRegistered_ = FileExists(shortcutPath_);
    win::SetChecked(page, IDC_STARTUP, startupRegistered_);
    win::SetChecked(page, IDC_ACTIVE_RESTORE, store_.Settings.ActiveRestore);
    win::SetSpinRange(page, IDC_MARGIN_SPIN, 0, kMarginMax);
    win::SetSpinPosition(page, IDC_MARGIN_SPIN, store_.Settings.Mergin);
    win::SetSliderRange(page, IDC_SENSITIVITY, 0, kSensitivityMax, kSliderStep, kSliderStep, 1);
    win::SetSliderPosition(page, IDC_SENSITIVITY, store_.Settings.Sensitivity);
    return TRUE;
}

bool GeneralPage::Apply() {
    applyStartup();
    store_.Settings.ActiveRestore = win::IsChecked(Handle(), IDC_ACTIVE_RESTORE);
    store_.Settings.Mergin = win::SpinPosition(Handle(), IDC_MARGIN_SPIN);
    store_.Settings.Sensitivity = win::SliderPosition(Handle(), IDC_SENSITIVITY);
    return true;
}

// An existing shortcut is never rewritten: only a change of the box since the
// page opened touches the file.
void GeneralPage::applyStartup() {
    const bool wanted = win::IsChecked(Handle(), IDC_STARTUP);
    if (wanted && !startupRegistered_) {
        if (!CreateShortcut(shortcutPath_, store_.ExecutablePath, store_.ExecutableDirectory)) {
            win::ShowMessageBox(GetAncestor(Handle(), GA_ROOT), IDS_STARTUP_FAILED, IDS_PROGRAM_NAME, MB_OK | MB_ICONWARNING);
        }
    } else if (!wanted && startupRegistered_) {
        DeleteFileW(shortcutPath_.c_str());
    }
}

}  // namespace quillora
