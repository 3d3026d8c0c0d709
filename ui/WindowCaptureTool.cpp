#include "ui/WindowCaptureTool.h"

#include <commctrl.h>

#include "res/resource.h"
#include "rules/Matching.h"
#include "rules/ResourceString.h"
#include "win/Window.h"

namespace quillora {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

WindowCaptureTool::~WindowCaptureTool() {
    if (button_ && IsWindow(button_)) RemoveWindowSubclass(button_, &WindowCaptureTool::buttonProc, kSubclassId);
}

void WindowCaptureTool::Attach(HWND page, HWND button) {
    page_ = page;
    button_ = button;
    SetWindowSubclass(button, &WindowCaptureTool::buttonProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void WindowCaptureTool::begin() {
    frame_.Create(GetAncestor(page_, GA_ROOT));
    tracking_ = true;
    SetCapture(button_);
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    SetWindowTextA(button_, LoadResourceString(IDS_CAPTURING).c_str());
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
    SetWindowTextA(button_, LoadResourceString(IDS_CAPTURE).c_str());
}

void WindowCaptureTool::fillFields(HWND target) {
    const WindowIdentity identity = GatherWindowIdentity(target, IdentityPurpose::CaptureTool);
    SetDlgItemTextA(page_, IDC_APP_NAME, identity.ExePath.c_str());
    SetDlgItemTextA(page_, IDC_CLASS_NAME, identity.ClassName.c_str());
    SetDlgItemTextA(page_, IDC_TITLE, identity.Title.c_str());
    if (GetWindowTextLengthA(GetDlgItem(page_, IDC_EXPLANATION)) == 0)
        SetDlgItemTextA(page_, IDC_EXPLANATION, identity.Title.c_str());
}

LRESULT CALLBACK WindowCaptureTool::buttonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    try {
        auto* self = reinterpret_cast<WindowCaptureTool*>(data);
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:  // a quick second press is a press too
            if (!self->tracking_) self->begin();
            return 0;
        case WM_LBUTTONUP:
            if (self->tracking_) self->finish();
            return 0;
        case WM_CAPTURECHANGED:
            if (self->tracking_) self->abandon();
            return 0;
        case WM_NCDESTROY:
            if (self->tracking_) self->abandon();
            RemoveWindowSubclass(hwnd, &WindowCaptureTool::buttonProc, kSubclassId);
            self->button_ = nullptr;
            break;
        default:
            break;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    } catch (...) {
        win::failAtBoundary();
    }
}

}  // namespace quillora
