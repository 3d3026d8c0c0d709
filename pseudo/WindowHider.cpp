#include "pseudo/WindowHider.h"

#include "pseudo/Properties.h"
#include "win/Log.h"

namespace quillora {

namespace {

constexpr UINT_PTR kShownTransparency = 255;
constexpr UINT_PTR kHiddenTransparency = 0;
constexpr int kTitleBufferSize = 256;

HWND propWindow(HWND hwnd, const char* name) { return static_cast<HWND>(GetPropA(hwnd, name)); }

// The original's "PseudoWindow" as a native window of this process that names
// the original back; null for a value left by an earlier run of the program,
// which may by now be the handle of any other program's window.
HWND ownPseudoWindowOf(HWND original) {
    HWND pseudo = propWindow(original, kPropPseudoWindow);
    if (!pseudo || !IsWindow(pseudo) || propWindow(pseudo, kPropOriginalWindow) != original) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(pseudo, &process);
    return process == GetCurrentProcessId() ? pseudo : nullptr;
}

void copyTitle(HWND from, HWND to) {
    char title[kTitleBufferSize] = {};
    int length = GetWindowTextA(from, title, kTitleBufferSize);
    if (length < 0) length = 0;
    if (length > kTitleBufferSize - 1) length = kTitleBufferSize - 1;
    title[length] = '\0';
    SetWindowTextA(to, title);
}

// A window that vanished meanwhile is no news; one that stays opaque while
// its stand-in shows, or stays invisible, is.
void setAlpha(HWND original, BYTE alpha) {
    if (SetLayeredWindowAttributes(original, 0, alpha, LWA_ALPHA)) return;
    const DWORD error = GetLastError();
    if (IsWindow(original)) {
        win::Log("SetLayeredWindowAttributes(%08lX, alpha %u) failed (error %lu)", HandleToULong(original),
                 static_cast<unsigned>(alpha), error);
    }
}

}  // namespace

void WindowHider::GiveBack(HWND original) {
    // Unconditionally: after an abrupt end the property may say "shown"
    // while the alpha is still 0.
    ShowOriginal(original);
    if (!IsWindow(original)) return;
    Detach(original);
    RemovePropA(original, kPropPseudoWindow);
    RemovePropA(original, kPropPseudoWindowObject);
}

void WindowHider::Attach(HWND original) {
    const LONG exStyle = GetWindowLongA(original, GWL_EXSTYLE);
    if (exStyle & WS_EX_LAYERED) {
        SetPropA(original, kPropLayered, reinterpret_cast<HANDLE>(1));
    } else {
        SetWindowLongA(original, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    }
}

void WindowHider::Detach(HWND original) {
    if (GetPropA(original, kPropLayered)) {
        RemovePropA(original, kPropLayered);
        return;
    }
    const LONG exStyle = GetWindowLongA(original, GWL_EXSTYLE);
    if (exStyle & WS_EX_LAYERED) SetWindowLongA(original, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
}

void WindowHider::ShowOriginal(HWND original) {
    setAlpha(original, 255);
    SetPropA(original, kPropTransparency, reinterpret_cast<HANDLE>(kShownTransparency));
}

void WindowHider::HideOriginal(HWND original) {
    setAlpha(original, 0);
    SetPropA(original, kPropTransparency, reinterpret_cast<HANDLE>(kHiddenTransparency));
}

bool WindowHider::IsOriginalShown(HWND original) {
    return (reinterpret_cast<UINT_PTR>(GetPropA(original, kPropTransparency)) & 0xFF) == kShownTransparency;
}

void WindowHider::Toggle(HWND window) {
    if (!window) return;
    if (HWND original = propWindow(window, kPropOriginalWindow)) {
        PseudoWindow* object = PseudoWindow::FromOriginal(original);
        if (!object || object->Handle() != window || !object->IsOutsideSizeMove()) return;
        object->PlaceOriginal(original);
        ShowWindow(window, SW_HIDE);
        ShowOriginal(original);
        return;
    }
    if (!GetPropA(window, kPropPseudoWindow)) return;

    HWND original = window;
    const bool minimised = IsIconic(original) != FALSE;
    // An original that is already shrunk is what every poll meets most: settle
    // it with these two lookups before validating the pseudo window.
    if (!minimised && !IsOriginalShown(original)) return;
    HWND pseudo = ownPseudoWindowOf(original);
    // Hiding the original with no pseudo window of ours to show would lose it.
    if (!pseudo) return;
    if (minimised) {
        ShowWindow(pseudo, SW_HIDE);
        return;
    }
    if (IsZoomed(original)) return;
    PseudoWindow* object = PseudoWindow::FromOriginal(original);
    if (object) {
        copyTitle(original, pseudo);
        object->PlacePseudo(original);
        object->Capture(original);
    }
    HideOriginal(original);
    ShowWindow(pseudo, SW_SHOWNOACTIVATE);
}

void WindowHider::Release(const PseudoWindow& entry) {
    HWND pseudo = entry.Handle();
    const bool pseudoAlive = pseudo && IsWindow(pseudo);
    // A pseudo window already closed no longer names its original; the entry
    // still knows it while the original points back at that window.
    HWND original = pseudoAlive ? propWindow(pseudo, kPropOriginalWindow) : entry.Original();
    if (original && !IsOriginalShown(original)) ShowOriginal(original);
    if (pseudoAlive) DestroyWindow(pseudo);
    if (original) GiveBack(original);
}

void WindowHider::ReleaseAll(std::vector<PseudoWindowPtr>& list) {
    for (const PseudoWindowPtr& entry : list) {
        if (entry) Release(*entry);
    }
    list.clear();
}

bool IsStale(const PseudoWindow& entry) {
    HWND pseudo = entry.Handle();
    HWND original = pseudo ? propWindow(pseudo, kPropOriginalWindow) : nullptr;
    if (!original) {
        // The pseudo window is gone (closed by the user) but its original may
        // have refused to close: it must not stay invisible.
        HWND survivor = entry.Original();
        if (survivor && GetPropA(survivor, kPropPseudoWindowObject) == &entry) {
            WindowHider().GiveBack(survivor);
        }
        return true;
    }
    if (!IsWindow(original)) {
        DestroyWindow(pseudo);
        return true;
    }
    return false;
}

}  // namespace quillora
