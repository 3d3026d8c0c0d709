// The pseudo window's picture: back buffer, capture, painting and refresh.
#include "pseudo/PseudoWindow.h"

#include "pseudo/MarkedWindow.h"
#include "win/Log.h"

namespace quillora {

void PseudoWindow::Capture(HWND original) {
    if (!original) original = MarkedWindow(Handle()).Original();
    // GetDC(null) would be the whole screen.
    if (!original || !IsWindow(original) || !back_.Context()) return;
    RECT client{};
    if (!GetClientRect(original, &client)) return;
    const bool taken = route_.Render(original, client.right, client.bottom, *stretcher_, back_);
    // The stand-in then keeps its last picture; say why once, not per frame.
    if (!taken && !captureFailing_ && IsWindow(original)) {
        win::Log("capture of %08lX failed (error %lu)", HandleToULong(original), GetLastError());
    }
    captureFailing_ = !taken;
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
    Capture(nullptr);
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

}  // namespace quillora
