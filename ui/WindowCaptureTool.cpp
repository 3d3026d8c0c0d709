#include "ui/WindowCaptureTool.h"

#include "res/resource.h"
#include "rules/Matching.h"
#include "win/ResourceString.h"

namespace quillora {

void WindowCaptureTool::Attach(HWND page, HWND button) {
    page_ = page;
    attach(button);
}

void WindowCaptureTool::begin() {
    frame_.Create(GetAncestor(page_, GA_ROOT));
    tracking_ = true;
    SetCapture(control());
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    SetWindowTextA(control(), win::LoadResourceString(IDS_CAPTURING).c_str());
}

void WindowCaptureTool::finish() {
    if (HWND target = frame_.Target()) fillFields(target);
    cleanUp();
}

void WindowCaptureTool::abandon() { cleanUp(); }

void WindowCaptureTool::cleanUp() {
    tracking_ = false;  // before ReleaseCapture, whose WM_CAPTURECHANGED comes back here
    frame_.Destroy();
    ReleaseCapture();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SetWindowTextA(control(), win::LoadResourceString(IDS_CAPTURE).c_str());
}

void WindowCaptureTool::fillFields(HWND target) {
    const WindowIdentity identity = GatherWindowIdentity(target, IdentityPurpose::CaptureTool);
    SetDlgItemTextA(page_, IDC_APP_NAME, identity.ExePath.c_str());
    SetDlgItemTextA(page_, IDC_CLASS_NAME, identity.ClassName.c_str());
    SetDlgItemTextA(page_, IDC_TITLE, identity.Title.c_str());
    if (GetWindowTextLengthA(GetDlgItem(page_, IDC_EXPLANATION)) == 0)
        SetDlgItemTextA(page_, IDC_EXPLANATION, identity.Title.c_str());
}

bool WindowCaptureTool::onMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second press is a press too
        if (!tracking_) begin();
        break;
    case WM_LBUTTONUP:
        if (tracking_) finish();
        break;
    case WM_CAPTURECHANGED:
        if (tracking_) abandon();
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

void WindowCaptureTool::onControlDestroyed() {
    if (tracking_) abandon();
}

}  // namespace quillora
