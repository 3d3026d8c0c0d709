#include "win/Dialog.h"

#include "win/Window.h"

namespace win {

Dialog::~Dialog() {
    if (hwnd_ && IsWindow(hwnd_)) SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
}

INT_PTR Dialog::runModal(HWND owner, int templateId) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, &Dialog::staticProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createModeless(HWND parent, int templateId) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, &Dialog::staticProc,
                              reinterpret_cast<LPARAM>(this));
}

void Dialog::end(INT_PTR result) { EndDialog(hwnd_, result); }

bool Dialog::onCommand(int id, int, HWND) {
    if (id == IDOK) {
        onOk();
        return true;
    }
    if (id == IDCANCEL) {
        onCancel();
        return true;
    }
    return false;
}

bool Dialog::onNotify(NMHDR&, LRESULT&) { return false; }

bool Dialog::onMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR CALLBACK Dialog::staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        if (self) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        }
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT)

    try {
        INT_PTR result = self->dispatch(msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, DWLP_USER, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    } catch (...) {
        failAtBoundary();
    }
}

INT_PTR Dialog::dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return onInit();
    case WM_COMMAND:
        return onCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!onNotify(*reinterpret_cast<NMHDR*>(lp), result)) return FALSE;
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default: {
        INT_PTR result = FALSE;
        return onMessage(msg, wp, lp, result) ? result : FALSE;
    }
    }
}

POINT CentredPosition(const RECT& reference, SIZE size, const RECT& workArea) {
    auto place = [](LONG refLow, LONG refHigh, LONG extent, LONG workLow, LONG workHigh) {
        LONG pos = (refLow + refHigh) / 2 - extent / 2;
        if (pos < workLow) return workLow;
        if (pos + extent > workHigh) return workHigh - extent;
        return pos;
    };
    return POINT{place(reference.left, reference.right, size.cx, workArea.left, workArea.right),
                 place(reference.top, reference.bottom, size.cy, workArea.top, workArea.bottom)};
}

void CentreOverOwner(HWND dialog) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT reference = work;
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &reference)) {
        // An owner on another monitor keeps its dialog there (and at that
        // monitor's scale), not pushed back onto the primary one.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoA(MonitorFromRect(&reference, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
    }
    RECT self{};
    GetWindowRect(dialog, &self);
    const POINT at = CentredPosition(reference, SIZE{self.right - self.left, self.bottom - self.top}, work);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win
