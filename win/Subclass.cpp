#include "win/Subclass.h"

#include <commctrl.h>

#include "win/Window.h"

namespace win {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

Subclass::~Subclass() {
    if (control_ && IsWindow(control_)) RemoveWindowSubclass(control_, &Subclass::proc, kSubclassId);
}

void Subclass::attach(HWND control) {
    control_ = control;
    SetWindowSubclass(control, &Subclass::proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Subclass::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    try {
        auto* self = reinterpret_cast<Subclass*>(data);
        if (msg == WM_NCDESTROY) {
            self->onControlDestroyed();
            RemoveWindowSubclass(hwnd, &Subclass::proc, kSubclassId);
            self->control_ = nullptr;
            return DefSubclassProc(hwnd, msg, wp, lp);
        }
        LRESULT result = 0;
        if (self->onMessage(msg, wp, lp, result)) return result;
        return DefSubclassProc(hwnd, msg, wp, lp);
    } catch (...) {
        failAtBoundary();
    }
}

}  // namespace win
