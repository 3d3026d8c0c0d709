// One shrunk window: making the pair, shrinking and restoring, the pseudo
// window's messages, its placement and that of its original, and its picture.
#include "pseudo/PseudoWindow.h"

#include "pseudo/MarkedWindow.h"
#include "pseudo/Visibility.h"
#include "pseudo/WindowHider.h"
#include "res/resource.h"
#include "win/Dpi.h"
#include "win/Dwm.h"
#include "win/Log.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

constexpr UINT kSeparatorCommand = 0;  // command id of the system menu's separators

// What the once-a-second look reads of an original: its WS_MINIMIZE and
// WS_MAXIMIZE bits and whether it is cloaked (kCloaked, a bit no style
// has), or kGone once the window is no more.
constexpr LONG_PTR kGone = -1;
constexpr LONG_PTR kCloaked = 0x1;

LONG_PTR sizeStateOf(HWND window) {
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    if (style == 0 && GetLastError() != ERROR_SUCCESS) return kGone;
    return (style & (WS_MINIMIZE | WS_MAXIMIZE)) | (win::IsCloaked(window) ? kCloaked : 0);
}


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

void copyTitle(HWND from, HWND to) {
    constexpr int kTitleBufferSize = 256;
    char title[kTitleBufferSize] = {};
    int length = GetWindowTextA(from, title, kTitleBufferSize);
    if (length < 0) length = 0;
    if (length > kTitleBufferSize - 1) length = kTitleBufferSize - 1;
    title[length] = '\0';
    SetWindowTextA(to, title);
}

}  // namespace

PseudoWindow::PseudoWindow(PseudoWindowHost& host, HWND original, const Rule& rule)
    : host_(host), original_(original), stretcher_(MakeStretcher(rule.StretchDrawMethod)), rule_(rule) {}

PseudoWindow::~PseudoWindow() {
    if (Handle()) DestroyWindow(Handle());
}

PseudoWindow::Created PseudoWindow::Create() {
    if (!registerClass(kPseudoWindowClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                       reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)))) {
        win::LogFailure("RegisterClassExA(\"PseudoWindow\")");
        return Created::Failed;
    }
    DWORD exStyle = WS_EX_TOOLWINDOW;
    if (rule_.Topmost) exStyle |= WS_EX_TOPMOST;
    if (rule_.Transparent) exStyle |= WS_EX_LAYERED;
    DWORD style = WS_POPUP;
    if (rule_.Frame) style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

    HWND hwnd = win::Checked(createNative(exStyle, kPseudoWindowClass, "", style, 0, 0, 0, 0, nullptr, nullptr),
                             "CreateWindowExA(\"PseudoWindow\")");
    if (!hwnd) return Created::Failed;

    if (rule_.Transparent) {
        SetLayeredWindowAttributes(hwnd, 0, AlphaForTransparency(rule_.Transparency), LWA_ALPHA);
    }
    if (rule_.ExtendSystemMenu) extendSystemMenu();

    MarkedWindow(hwnd).SetOriginal(original_);
    // Without its mark the original could not be found and given back after
    // an abrupt end: nothing else is changed on it then.
    if (!markOriginal(hwnd)) {
        const DWORD error = GetLastError();
        win::LogFailureOn(original_, "SetPropA", ", \"PseudoWindow\"");
        return error == ERROR_ACCESS_DENIED ? Created::Refused : Created::Failed;
    }
    sizeState_ = sizeStateOf(original_);
    WindowHider::Attach(original_);
    WindowHider::ShowOriginal(original_);
    return Created::Made;
}

bool PseudoWindow::markOriginal(HWND pseudo) { return MarkedWindow(original_).SetPseudo(pseudo, this); }

bool PseudoWindow::OriginalStateChanged() {
    const LONG_PTR state = sizeStateOf(original_);
    if (state == sizeState_) return false;
    sizeState_ = state;
    return true;
}

void PseudoWindow::Shrink() {
    // Hiding the original with no pseudo window to show would lose it.
    if (!Handle()) return;
    const bool minimised = IsIconic(original_) != FALSE;
    const bool shown = WindowHider::IsOriginalShown(original_);
    // Cloaked (on another virtual desktop): the stand-in, a tool window that
    // every desktop shows, goes out of sight with its original, and comes
    // back with it.
    const bool cloaked = win::IsCloaked(original_);
    switch (StandInChangeFor(minimised, cloaked, !shown, IsWindowVisible(Handle()) != FALSE)) {
    case StandInChange::Hide: ShowWindow(Handle(), SW_HIDE); break;
    case StandInChange::Show: ShowWindow(Handle(), SW_SHOWNOACTIVATE); break;
    case StandInChange::Leave: break;
    }
    if (minimised) {
        // Out of sight anyway. Opaque, it comes back in view however it is
        // brought back (the taskbar, its own program, another one), and is
        // shrunk again like any shown original; left transparent, it would
        // come back with neither itself nor its stand-in to be seen.
        if (!shown) WindowHider::ShowOriginal(original_);
        return;
    }
    // An original that is already shrunk is what every poll meets most.
    if (!shown || cloaked || IsZoomed(original_)) return;
    copyTitle(original_, Handle());
    placePseudo();
    takePicture();
    WindowHider::HideOriginal(original_);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void PseudoWindow::Restore() {
    if (!Handle() || !outsideSizeMove_) return;
    // Moving another program's window waits for that program: one that
    // does not answer comes back where it stands.
    if (win::Answers(original_)) placeOriginal();
    ShowWindow(Handle(), SW_HIDE);
    WindowHider::ShowOriginal(original_);
}

void PseudoWindow::Raise() {
    // Passing through topmost lifts it above everything, then it goes back
    // among the ordinary windows, on top of them.
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool PseudoWindow::GiveBack() {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    return WindowHider::GiveBack(original_);
}

void PseudoWindow::extendSystemMenu() {
    HMENU menu = GetSystemMenu(Handle(), FALSE);  // the window's own copy; it goes with the window
    if (!menu) return;
    const std::string edit = win::LoadResourceString(IDS_MENU_EDIT);
    InsertMenuA(menu, kSeparatorCommand, MF_BYCOMMAND | MF_STRING, kQuickEditCommand, edit.c_str());
    InsertMenuA(menu, kQuickEditCommand, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
}

LRESULT PseudoWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    ++busy_;
    const LRESULT result = dispatch(msg, wp, lp);
    --busy_;
    return result;
}

LRESULT PseudoWindow::dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_DESTROY:
    case WM_MOVE: return 0;
    case WM_SIZE: onSize(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_PAINT: onPaint(); return 0;
    case WM_CLOSE: onClose(); return 0;
    case WM_SYSCOMMAND:
        if (onSysCommand(wp)) return 0;
        break;
    case WM_TIMER: onTimer(wp); return 0;
    case WM_LBUTTONDOWN: onLButtonDown(); return 0;
    case WM_MOUSEWHEEL: onMouseWheel(GET_WHEEL_DELTA_WPARAM(wp)); return 0;
    case WM_SIZING: onSizing(static_cast<int>(wp), reinterpret_cast<RECT*>(lp)); return TRUE;
    case WM_MOVING: return TRUE;
    case WM_ENTERSIZEMOVE: outsideSizeMove_ = false; return 0;
    case WM_EXITSIZEMOVE: outsideSizeMove_ = true; return 0;
    }
    return defaultProc(msg, wp, lp);
}

void PseudoWindow::onCreate() {
    if (rule_.UpdateDisplay) SetTimer(Handle(), kRefreshTimer, static_cast<UINT>(rule_.UpdateDisplayElapse), nullptr);
}

void PseudoWindow::onClose() {
    // Only a request: the original's program decides whether it closes.
    if (IsWindow(original_)) PostMessageA(original_, WM_SYSCOMMAND, SC_CLOSE, 0);
    // The owner drops this object, which destroys the window.
    ShowWindow(Handle(), SW_HIDE);
    closed_ = true;
    host_.PseudoClosed(*this);
}

void PseudoWindow::onLButtonDown() {
    if (rule_.StretchRestoreMethod == RestoreLeftClick) host_.PseudoClicked(*this);
}

void PseudoWindow::onMouseWheel(int delta) {
    rule_.Transparency = WheelTransparency(rule_.Transparency, delta);
    if (!rule_.Transparent) {
        const LONG exStyle = GetWindowLongA(Handle(), GWL_EXSTYLE);
        SetWindowLongA(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        rule_.Transparent = true;
    }
    SetLayeredWindowAttributes(Handle(), 0, AlphaForTransparency(rule_.Transparency), LWA_ALPHA);
}

bool PseudoWindow::onSysCommand(WPARAM wp) {
    if (LOWORD(wp) != kQuickEditCommand) return false;
    host_.PseudoEditRequested(*this);
    return true;
}

// Placement: where the pseudo window and its original go, and what the
// user's sizing of the pseudo window teaches its rule copy.
void PseudoWindow::placePseudo() {
    {
        LearningPaused paused(sizeLearning_);
        RECT window{}, frame{};
        if (!GetWindowRect(original_, &window) || !win::VisibleFrameOf(original_, frame)) return;
        const Rect originalRect = toRect(window);
        // A rule's pixels are pixels at 96 DPI, as on the original's monitor.
        const Size size =
            PseudoSize(rule_, originalRect.width(), originalRect.height(), win::MonitorDpiOf(original_));
        // At the corner of what the user sees of the original, without the
        // invisible resize borders. A stand-in beyond the screen could be
        // neither seen nor hovered, and its original is transparent: it is
        // kept on the original's monitor.
        const Rect visible = toRect(frame);
        const Rect placed =
            PlaceAtCorner(rule_.StretchDirection, visible, size.width, size.height, monitorNearest(visible));
        placed_ = placed;
        // Without Topmost the pseudo window sits right behind the transparent
        // original, where it shows through.
        UINT flags = SWP_NOREDRAW | SWP_NOACTIVATE;
        if (rule_.Topmost) flags |= SWP_NOZORDER;
        SetWindowPos(Handle(), original_, placed.left, placed.top, size.width, size.height, flags);
    }
    // From the first placement on, a size change is the user's.
    sizeLearning_ = true;
}

void PseudoWindow::placeOriginal() {
    LearningPaused paused(sizeLearning_);
    RECT pseudo{}, window{}, frame{};
    if (!GetWindowRect(Handle(), &pseudo) || !GetWindowRect(original_, &window) ||
        !win::VisibleFrameOf(original_, frame)) {
        return;
    }
    const bool pseudoHadFocus = GetForegroundWindow() == Handle();
    const Rect originalRect = toRect(window);
    const Rect visible = toRect(frame);
    const Rect pseudoRect = toRect(pseudo);
    HWND insertAfter = HWND_TOP;
    if (rule_.Topmost) {
        SetWindowPos(original_, Handle(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
        insertAfter = HWND_NOTOPMOST;
    }
    UINT flags = SWP_NOREDRAW;
    if (!pseudoHadFocus) flags |= SWP_NOACTIVATE;
    // Where it stands, within its work area, under a stand-in nobody moved:
    // not moved at all, so that a window snapped to half the screen stays
    // snapped (any move, even onto its own place, ends that).
    if (RestoresInPlace(visible, monitorNearest(visible).work, !(pseudoRect == placed_))) {
        SetWindowPos(original_, insertAfter, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    // Else it comes back into view on the stand-in's monitor: moved no more
    // than that takes, it still covers the stand-in under the cursor.
    const Rect back =
        RestoredWindowRect(rule_.StretchDirection, pseudoRect, originalRect, visible, monitorNearest(pseudoRect));
    SetWindowPos(original_, insertAfter, back.left, back.top, back.width(), back.height(), flags);
}

void PseudoWindow::PlaceAgain() {
    // Hidden: the original is in view (or minimised), and its next shrink
    // places the pseudo window anyway. Nor is a window taken from the user
    // who is dragging it.
    if (!Handle() || !IsWindow(original_) || !IsWindowVisible(Handle()) || !outsideSizeMove_) return;
    placePseudo();
    takePicture();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PseudoWindow::learnSize(int width, int height) {
    if (!sizeLearning_ || width == 0 || height == 0) return;
    RECT client{};
    if (GetClientRect(original_, &client)) {
        const UINT dpi = win::MonitorDpiOf(original_);
        const std::int32_t w =
            LearnedSizeValue(rule_.StretchWidthUnit, width, client.right, rule_.StretchWidth, dpi);
        const std::int32_t h =
            LearnedSizeValue(rule_.StretchHeightUnit, height, client.bottom, rule_.StretchHeight, dpi);
        const bool changed = w != rule_.StretchWidth || h != rule_.StretchHeight;
        rule_.StretchWidth = w;
        rule_.StretchHeight = h;
        if (changed) takePicture();
    }
    // From now on the user's height counts, not the proportions.
    rule_.Coratio = false;
}

void PseudoWindow::onSizing(int edge, RECT* proposed) {
    if (!proposed || GetAsyncKeyState(VK_CONTROL) == 0) return;
    const int caption = rule_.Frame ? win::SystemMetricForDpi(SM_CYCAPTION, win::DpiOf(Handle())) : 0;
    RECT client{};
    if (!GetClientRect(original_, &client)) return;
    const Rect locked = AspectLockedRect(edge, toRect(*proposed), client.right, client.bottom, caption);
    *proposed = RECT{locked.left, locked.top, locked.right, locked.bottom};
}

// The picture: back buffer, reading, painting and refresh.
void PseudoWindow::takePicture() {
    // GetDC(null) would be the whole screen.
    if (!IsWindow(original_) || !back_.Context()) return;
    RECT client{};
    if (!GetClientRect(original_, &client)) return;
    // A program the system scales for it (unaware, or aware of the system
    // DPI only) draws, and is read and printed, in its own smaller pixels:
    // the thread works in the original's coordinates meanwhile, so that the
    // whole of its picture is copied and scaled to the stand-in.
    const win::ThreadDpiAwarenessScope own(original_);
    RECT ownClient{};
    const Size ownRead = own.Switched() && GetClientRect(original_, &ownClient)
                             ? Size{ownClient.right, ownClient.bottom}
                             : Size{};
    const Size source = CaptureSourceSize(win::AwarenessOf(original_), Size{client.right, client.bottom}, ownRead,
                                          win::MonitorDpiOf(original_), win::SystemDpi());
    const bool taken = reader_.Read(original_, source.width, source.height, *stretcher_, back_);
    // The stand-in then keeps its last picture; say why once, not per frame.
    if (!taken && !pictureFailing_ && IsWindow(original_)) {
        win::Log("reading the picture of %08lX failed (error %lu)", HandleToULong(original_), GetLastError());
    }
    pictureFailing_ = !taken;
}

void PseudoWindow::onSize(int width, int height) {
    // A new size leaves the pixels undefined until the next capture.
    back_.Resize(width, height);
    learnSize(width, height);
}

void PseudoWindow::onPaint() {
    win::PaintDC paint(Handle());
    if (paint.get() && back_.Context()) {
        BitBlt(paint.get(), 0, 0, back_.Width(), back_.Height(), back_.Context(), 0, 0, SRCCOPY);
    }
}

void PseudoWindow::onTimer(UINT_PTR id) {
    // A hidden pseudo window (original restored or minimised) costs nothing.
    if (id != kRefreshTimer || !IsWindowVisible(Handle())) return;
    takePicture();
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

}  // namespace quillora
