#include "ui/QuickDialogs.h"

#include <vector>

#include "res/resource.h"
#include "ui/Dialogs.h"

namespace quillora {

namespace {
constexpr int kTitleChars = 1023;
}

HWND QuickCaptureTitlePage::Create(HWND parent) { return createModeless(parent, IDD_QUICK_CAPTURE_TITLE_PAGE); }

BOOL QuickCaptureTitlePage::onInit() {
    std::vector<char> title(kTitleChars + 1, '\0');
    GetWindowTextA(target_, title.data(), kTitleChars + 1);
    SetDlgItemTextA(Handle(), IDC_TITLE, title.data());
    return TRUE;
}

int QuickCaptureDialog::Run(HWND owner) { return static_cast<int>(runModal(owner, IDD_QUICK_CAPTURE)); }

BOOL QuickCaptureDialog::onInit() {
    showPages(IDC_EDITOR_TAB, titlePage_, IDS_TAB_BASIC, shrink_, IDS_TAB_SHRINK);
    return FALSE;
}

void QuickCaptureDialog::onOk() {
    if (shrink_.Apply()) end(IDOK);
}

int QuickEditDialog::Run(HWND owner) { return static_cast<int>(runModal(owner, IDD_QUICK_EDIT)); }

BOOL QuickEditDialog::onInit() {
    win::CentreOverOwner(Handle());
    HWND page = shrink_.Create(Handle());
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    ShowWindow(page, SW_SHOW);
    return TRUE;
}

void QuickEditDialog::onOk() {
    if (shrink_.Apply()) end(IDOK);
}

int ShowQuickCaptureDialog(HWND owner, Rule& rule, HWND target) {
    QuickCaptureDialog dialog(rule, target);
    return dialog.Run(owner);
}

int ShowQuickEditDialog(HWND owner, Rule& rule) {
    QuickEditDialog dialog(rule);
    return dialog.Run(owner);
}

}  // namespace quillora
