#include "win/Dwm.h"

#include "win/Library.h"

namespace win {

namespace {

// DWMWINDOWATTRIBUTE values (dwmapi.h is not included: nothing is imported).
constexpr DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS, Vista on
constexpr DWORD kCloaked = 14;             // DWMWA_CLOAKED, Windows 8 on

using GetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);

GetWindowAttribute windowAttribute() {
    static const GetWindowAttribute found =
        LookUp<GetWindowAttribute>(LoadSystemLibrary("dwmapi.dll"), "DwmGetWindowAttribute");
    return found;
}

}  // namespace

bool VisibleFrameOf(HWND window, RECT& frame) {
    RECT bounds{};
    const GetWindowAttribute get = windowAttribute();
    // A minimised window's bounds, or an answer of a compositor that is off,
    // may come back empty: the window rectangle is the better guess then.
    if (get && SUCCEEDED(get(window, kExtendedFrameBounds, &bounds, sizeof bounds)) && bounds.right > bounds.left &&
        bounds.bottom > bounds.top) {
        frame = bounds;
        return true;
    }
    if (!GetWindowRect(window, &bounds)) return false;
    frame = bounds;
    return true;
}

bool IsCloaked(HWND window) {
    DWORD cloaked = 0;
    const GetWindowAttribute get = windowAttribute();
    return get && SUCCEEDED(get(window, kCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}

}  // namespace win
