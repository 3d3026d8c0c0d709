#include "pseudo/WindowHider.h"

#include "pseudo/MarkedWindow.h"
#include "win/Log.h"

namespace quillora {

namespace {

constexpr int kTitleBufferSize = 256;

// The extended style of another program's window. SetWindowLongA returns
// the previous value, which may be zero: only the last error tells.
void setExStyle(HWND window, LONG exStyle) {
    SetLastError(0);
    if (SetWindowLongA(window, GWL_EXSTYLE, exStyle) == 0 && GetLastError() != 0) {
        win::LogFailureOn(window, "SetWindowLongA", ", GWL_EXSTYLE");
    }
}

void copyTitle(HWND from, HWND to) {
    char title[kTitleBufferSize] = {};
    int length = GetWindowTextA(from, title, kTitleBufferSize);
    if (length < 0) length = 0;
    if (length > kTitleBufferSize - 1) length = kTitleBufferSize - 1;
    title[length] = '\0';
    SetWindowTextA(to, title);
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

// The original of one list entry: a pseudo window already closed no longer
// names its original; the entry still knows it while the original points
// back at that window.
HWND originalOf(const PseudoWindow& entry) {
    HWND pseudo = entry.Handle();
    return pseudo && IsWindow(pseudo) ? MarkedWindow(pseudo).Original() : entry.Original();
}

// The part of giving back that changes the style: it may have to wait until
// the window answers. The object pointer goes at once, so that nothing ever
// reaches a released object through it; "PseudoWindow" stays until the rest
// is done, and marks the window for a later attempt.
bool finishGiveBack(HWND original) {
    if (!IsWindow(original)) return true;
    const MarkedWindow marks(original);
    marks.ForgetObject();
    if (!WindowHider::Detach(original)) return false;
    marks.ForgetPseudo();
    return true;
}

}  // namespace

bool WindowHider::Answers(HWND window) {
    // SMTO_BLOCK: no other message of ours is handled meanwhile, so that
    // nothing changes under the caller.
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored) != 0;
}

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
    if (!Answers(original)) return false;
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

void WindowHider::Toggle(HWND window) {
    if (!window) return;
    const MarkedWindow marks(window);
    if (marks.Original()) {
        Restore(window);
    } else if (marks.Pseudo()) {
        Shrink(window);
    }
}

void WindowHider::Restore(HWND pseudo) {
    HWND original = MarkedWindow(pseudo).Original();
    if (!original) return;
    PseudoWindow* object = PseudoWindow::FromOriginal(original);
    if (!object || object->Handle() != pseudo || !object->IsOutsideSizeMove()) return;
    // Moving another program's window waits for that program: one that
    // does not answer comes back where it stands.
    if (Answers(original)) object->PlaceOriginal(original);
    ShowWindow(pseudo, SW_HIDE);
    ShowOriginal(original);
}

void WindowHider::Shrink(HWND original) {
    const bool minimised = IsIconic(original) != FALSE;
    // An original that is already shrunk is what every poll meets most: settle
    // it with these two lookups before validating the pseudo window.
    if (!minimised && !IsOriginalShown(original)) return;
    // A value left by an earlier run may by now name any other program's window.
    HWND pseudo = MarkedWindow(original).OwnPseudo();
    // Hiding the original with no pseudo window of ours to show would lose it.
    if (!pseudo) return;
    if (minimised) {
        ShowWindow(pseudo, SW_HIDE);
        // Out of sight anyway. Opaque, it comes back in view however it is
        // brought back (the taskbar, its own program, another one), and is
        // shrunk again like any shown original; left transparent, it would
        // come back with neither itself nor its stand-in to be seen.
        if (!IsOriginalShown(original)) ShowOriginal(original);
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

bool WindowHider::Release(const PseudoWindow& entry) {
    HWND original = originalOf(entry);
    const bool done = !original || GiveBack(original);
    if (entry.Handle() && IsWindow(entry.Handle())) DestroyWindow(entry.Handle());
    return done;
}

std::size_t WindowHider::ReleaseAll(std::vector<PseudoWindowPtr>& list) {
    // The originals first, all of them opaque before any is given its style
    // back (which may wait for its program); our own windows go last.
    std::vector<HWND> originals;
    for (const PseudoWindowPtr& entry : list) {
        if (HWND original = entry ? originalOf(*entry) : nullptr) originals.push_back(original);
    }
    const std::size_t waiting = GiveBackAll(originals);
    for (const PseudoWindowPtr& entry : list) {
        if (entry && entry->Handle() && IsWindow(entry->Handle())) DestroyWindow(entry->Handle());
    }
    list.clear();
    return waiting;
}

bool IsStale(const PseudoWindow& entry) {
    HWND pseudo = entry.Handle();
    HWND original = pseudo ? MarkedWindow(pseudo).Original() : nullptr;
    if (!original) {
        // The pseudo window is gone (closed by the user) but its original may
        // have refused to close: it must not stay invisible. If its program
        // does not answer, it is opaque now and the rest is left to the
        // recovery of abandoned originals.
        HWND survivor = entry.Original();
        if (survivor && MarkedWindow(survivor).Object() == &entry) {
            WindowHider::GiveBack(survivor);
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
