#include "ui/CaptureWindow.h"

#include "win/Dpi.h"
#include "win/Dwm.h"
#include "win/Handles.h"

namespace quillora {

namespace {
constexpr char kClassName[] = "CaptureWindow";
constexpr COLORREF kFrameColour = RGB(0, 255, 0);
}  // namespace

HWND OutermostVisibleAncestor(HWND w) {
    if (!w) return nullptr;
    // GetParent also yields the owner of a pop-up, so the climb reaches the
    // window that owns a dialog, not the dialog itself.
    for (HWND parent = GetParent(w); parent; parent = GetParent(w)) w = parent;
    return IsWindowVisible(w) ? w : nullptr;
}

CaptureWindow::~CaptureWindow() { Destroy(); }

bool CaptureWindow::Create(HWND owner) {
    if (Exists()) return true;
    if (!registerClass(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return false;
    return createNative(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP | WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr) != nullptr;
}

void CaptureWindow::Destroy() {
    if (Exists()) DestroyWindow(Handle());
}

LRESULT CaptureWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        SetTimer(Handle(), kTrackTimer, kTrackIntervalMs, nullptr);
        return 0;
    case WM_DESTROY:
        KillTimer(Handle(), kTrackTimer);
        return 0;
    case WM_TIMER:
        if (wp == kTrackTimer) onTrack();
        return 0;
    case WM_SIZE:
        onSize(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_DPICHANGED: {
        // Moved onto a monitor of another scale: the frame keeps lying on
        // its target (not the suggested rectangle) and gets that monitor's
        // width.
        RECT client{};
        if (GetClientRect(Handle(), &client)) onSize(client.right, client.bottom);
        return 0;
    }
    case WM_PAINT:
        onPaint();
        return 0;
    default:
        return defaultProc(msg, wp, lp);
    }
}

void CaptureWindow::onTrack() {
    POINT p{};
    if (!GetCursorPos(&p)) return;
    HWND found = OutermostVisibleAncestor(WindowFromPoint(p));
    if (found == target_) return;
    target_ = found;
    if (!found) return;  // keep the frame where it is
    // Around what the user sees of it, without invisible resize borders.
    RECT r{};
    if (!win::VisibleFrameOf(found, r)) return;
    SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

void CaptureWindow::onSize(int cx, int cy) {
    const int b = win::ScaleForDpi(kFrameWidth, win::DpiOf(Handle()));
    if (b < cx - b && b < cy - b) {
        win::Region outer(CreateRectRgn(0, 0, cx, cy));
        win::Region inner(CreateRectRgn(b, b, cx - b, cy - b));
        if (outer && inner && CombineRgn(outer.get(), outer.get(), inner.get(), RGN_XOR) != ERROR) {
            // The system owns the region once it is set.
            if (SetWindowRgn(Handle(), outer.get(), TRUE)) outer.release();
        }
    } else {
        SetWindowRgn(Handle(), nullptr, FALSE);
    }
}

void CaptureWindow::onPaint() {
    win::PaintDC dc(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    win::Brush brush(CreateSolidBrush(kFrameColour));
    win::Pen pen(CreatePen(PS_SOLID, 1, kFrameColour));
    win::SelectObjectScope useBrush(dc.get(), brush.get());
    win::SelectObjectScope usePen(dc.get(), pen.get());
    Rectangle(dc.get(), 0, 0, client.right, client.bottom);
}

}  // namespace quillora
