// Where the pseudo window and its original go, and what the user's sizing of
// the pseudo window teaches its rule copy.
#include "pseudo/PseudoWindow.h"

#include "pseudo/MarkedWindow.h"
#include "win/Dpi.h"

namespace quillora {

namespace {

// The program's own placements cause WM_SIZE too; those are not the user's.
class LearningPaused {
public:
    explicit LearningPaused(bool& learning) : learning_(learning), saved_(learning) { learning_ = false; }
    ~LearningPaused() { learning_ = saved_; }
    LearningPaused(const LearningPaused&) = delete;
    LearningPaused& operator=(const LearningPaused&) = delete;

private:
    bool& learning_;
    bool saved_;
};

Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The monitor a window at `r` is on, or is nearest to: where Auto looks and
// what a placement must stay within. Should the system not say, the primary
// work area, whose monitor starts at the screen origin.
MonitorArea monitorNearest(const Rect& r) {
    const RECT rc{r.left, r.top, r.right, r.bottom};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoA(monitor, &info)) return {toRect(info.rcMonitor), toRect(info.rcWork)};
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return {};
    return {Rect{0, 0, work.right, work.bottom}, toRect(work)};
}

HWND originalOf(HWND pseudo) { return MarkedWindow(pseudo).Original(); }

}  // namespace

void PseudoWindow::PlacePseudo(HWND original) {
    placePseudo(original);
    // From the first placement on, a size change is the user's.
    sizeLearning_ = true;
}

void PseudoWindow::placePseudo(HWND original) {
    LearningPaused paused(sizeLearning_);
    if (!original) original = originalOf(Handle());
    RECT window{};
    if (!original || !GetWindowRect(original, &window)) return;
    const Rect originalRect = toRect(window);
    const Size size = PseudoSize(rule_, originalRect.width(), originalRect.height());
    // A stand-in beyond the screen could be neither seen nor hovered, and its
    // original is transparent: it is kept on the original's monitor.
    const Rect placed =
        PlaceAtCorner(rule_.StretchDirection, originalRect, size.width, size.height, monitorNearest(originalRect));
    // Without Topmost the pseudo window sits right behind the transparent
    // original, where it shows through.
    UINT flags = SWP_NOREDRAW | SWP_NOACTIVATE;
    if (rule_.Topmost) flags |= SWP_NOZORDER;
    SetWindowPos(Handle(), original, placed.left, placed.top, size.width, size.height, flags);
}

void PseudoWindow::PlaceOriginal(HWND original) {
    LearningPaused paused(sizeLearning_);
    if (!original) original = originalOf(Handle());
    RECT pseudo{}, window{};
    if (!original || !GetWindowRect(Handle(), &pseudo) || !GetWindowRect(original, &window)) return;
    const bool pseudoHadFocus = GetForegroundWindow() == Handle();
    const Rect O = toRect(window);
    const Rect P = toRect(pseudo);
    // The original comes back into view on the stand-in's monitor: moved no
    // more than that takes, it still covers the stand-in under the cursor.
    const Rect B = PlaceAtCorner(rule_.StretchDirection, P, O.width(), O.height(), monitorNearest(P));
    HWND insertAfter = HWND_TOP;
    if (rule_.Topmost) {
        SetWindowPos(original, Handle(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
        insertAfter = HWND_NOTOPMOST;
    }
    UINT flags = SWP_NOREDRAW;
    if (!pseudoHadFocus) flags |= SWP_NOACTIVATE;
    SetWindowPos(original, insertAfter, B.left, B.top, O.width(), O.height(), flags);
}

void PseudoWindow::PlaceAgain() {
    HWND original = Original();
    // Hidden: the original is in view (or minimised), and its next shrink
    // places the pseudo window anyway. Nor is a window taken from the user
    // who is dragging it.
    if (!original || !IsWindowVisible(Handle()) || !outsideSizeMove_) return;
    PlacePseudo(original);
    Capture(original);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PseudoWindow::learnSize(int width, int height) {
    if (!sizeLearning_ || width == 0 || height == 0) return;
    HWND original = originalOf(Handle());
    RECT client{};
    if (original && GetClientRect(original, &client)) {
        const std::int32_t w = LearnedSizeValue(rule_.StretchWidthUnit, width, client.right, rule_.StretchWidth);
        const std::int32_t h = LearnedSizeValue(rule_.StretchHeightUnit, height, client.bottom, rule_.StretchHeight);
        const bool changed = w != rule_.StretchWidth || h != rule_.StretchHeight;
        rule_.StretchWidth = w;
        rule_.StretchHeight = h;
        if (changed) Capture(original);
    }
    // From now on the user's height counts, not the proportions.
    rule_.Coratio = false;
}

void PseudoWindow::onSizing(int edge, RECT* proposed) {
    if (!proposed || GetAsyncKeyState(VK_CONTROL) == 0) return;
    const int caption = rule_.Frame ? win::SystemMetricForDpi(SM_CYCAPTION, win::DpiOf(Handle())) : 0;
    RECT client{};
    if (!GetClientRect(originalOf(Handle()), &client)) return;
    const Rect locked = AspectLockedRect(edge, toRect(*proposed), client.right, client.bottom, caption);
    *proposed = RECT{locked.left, locked.top, locked.right, locked.bottom};
}

}  // namespace quillora
