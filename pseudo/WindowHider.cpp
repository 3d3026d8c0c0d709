#include "pseudo/WindowHider.h"

#include "pseudo/MarkedWindow.h"
#include "win/Log.h"
#include "win/Window.h"

namespace quillora {

namespace {

// The extended style of another program's window. SetWindowLongA returns
// the previous value, which may be zero: only the last error tells.
void setExStyle(HWND window, LONG exStyle) {
    SetLastError(0);
    if (SetWindowLongA(window, GWL_EXSTYLE, exStyle) == 0 && GetLastError() != 0) {
        win::LogFailureOn(window, "SetWindowLongA", ", GWL_EXSTYLE");
    }
}

// An original that stays opaque while its stand-in shows, or stays
// invisible, is news.
void setLook(HWND original, COLORREF key, BYTE alpha, DWORD flags) {
    if (SetLayeredWindowAttributes(original, key, alpha, flags)) return;
    char detail[16] = {};
    wsprintfA(detail, ", alpha %u", static_cast<unsigned>(alpha));
    win::LogFailureOn(original, "SetLayeredWindowAttributes", detail);
}

void setAlpha(HWND original, BYTE alpha) { setLook(original, 0, alpha, LWA_ALPHA); }

// The attributes a window that was layered before it was attached had set
// itself. One drawn through UpdateLayeredWindow has none (the call fails):
// it is given back opaque.
void saveOwnLook(HWND original) {
    MarkedWindow::Look look{};
    if (!GetLayeredWindowAttributes(original, &look.key, &look.alpha, &look.flags) || look.flags == 0) return;
    MarkedWindow(original).SaveOwnLook(look);
}

// The part of giving back that changes the style: it may have to wait until
// the window answers. "PseudoWindowObject" goes at once, since the object it
// names is released; "PseudoWindow" stays until the rest is done, and marks
// the window for a later attempt.
bool finishGiveBack(HWND original) {
    if (!IsWindow(original)) return true;
    const MarkedWindow marks(original);
    marks.ForgetObject();
    if (!WindowHider::Detach(original)) return false;
    marks.ForgetPseudo();
    return true;
}

}  // namespace

bool WindowHider::GiveBack(HWND original) {
    // Unconditionally: after an abrupt end the property may say "shown"
    // while the alpha is still 0.
    ShowOriginal(original);
    return finishGiveBack(original);
}

std::size_t WindowHider::GiveBackAll(const std::vector<HWND>& originals) {
    for (HWND original : originals) ShowOriginal(original);
    std::size_t waiting = 0;
    for (HWND original : originals) {
        if (!finishGiveBack(original)) ++waiting;
    }
    return waiting;
}

void WindowHider::Attach(HWND original) {
    const LONG exStyle = GetWindowLongA(original, GWL_EXSTYLE);
    if (exStyle & WS_EX_LAYERED) {
        MarkedWindow(original).SetWasLayered();
        saveOwnLook(original);
    } else {
        setExStyle(original, exStyle | WS_EX_LAYERED);
    }
}

bool WindowHider::Detach(HWND original) {
    const MarkedWindow marks(original);
    marks.ForgetOwnLook();
    if (marks.WasLayered()) {
        marks.ForgetWasLayered();
        return true;
    }
    const LONG exStyle = GetWindowLongA(original, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) return true;
    if (!win::Answers(original)) return false;
    setExStyle(original, exStyle & ~WS_EX_LAYERED);
    return true;
}

void WindowHider::ShowOriginal(HWND original) {
    const MarkedWindow marks(original);
    if (const auto look = marks.OwnLook()) {
        setLook(original, look->key, look->alpha, look->flags);
    } else {
        setAlpha(original, 255);
    }
    marks.SetShown(true);
}

void WindowHider::HideOriginal(HWND original) {
    setAlpha(original, 0);
    MarkedWindow(original).SetShown(false);
}

bool WindowHider::IsOriginalShown(HWND original) { return MarkedWindow(original).IsShown(); }

}  // namespace quillora
