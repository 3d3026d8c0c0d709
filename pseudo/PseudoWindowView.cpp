// The pseudo window's picture: back buffer, capture, painting and refresh.
#include "pseudo/PseudoWindow.h"

#include "pseudo/MarkedWindow.h"
#include "win/Log.h"

namespace quillora {

namespace {
constexpr UINT_PTR kRefreshTimer = 1;
}

void PseudoWindow::releaseBackBuffer() {
    // A DC must not be deleted with our bitmap still selected: the bitmap it
    // was made with goes back first.
    backSelected_.reset();
    backDC_.reset();
    backBitmap_.reset();
}

void PseudoWindow::rebuildBackBuffer(int width, int height) {
    win::WindowDC windowDC(handle());
    releaseBackBuffer();
    if (!windowDC || width <= 0 || height <= 0) return;
    win::Bitmap bitmap(CreateCompatibleBitmap(windowDC.get(), width, height));
    win::MemoryDC dc(CreateCompatibleDC(windowDC.get()));
    if (!bitmap || !dc) return;
    backBitmap_ = std::move(bitmap);
    backDC_ = std::move(dc);
    backSelected_.emplace(backDC_.get(), backBitmap_.get());
    if (!backSelected_->Selected()) releaseBackBuffer();
}

Size PseudoWindow::backBufferSize() const {
    BITMAP info{};
    if (!backBitmap_ || GetObjectA(backBitmap_.get(), sizeof info, &info) != sizeof info) return {};
    return {info.bmWidth, info.bmHeight};
}

void PseudoWindow::Capture(HWND original) {
    if (!original) original = MarkedWindow(handle()).Original();
    // GetDC(null) would be the whole screen.
    if (!original || !IsWindow(original) || !backDC_) return;
    const Size destination = backBufferSize();
    RECT client{};
    if (destination.width == 0 || destination.height == 0 || !GetClientRect(original, &client)) return;
    win::WindowDC source(original);
    const bool taken = source && stretcher_->Stretch(backDC_.get(), 0, 0, destination.width, destination.height,
                                                     source.get(), 0, 0, client.right, client.bottom);
    // The stand-in then keeps its last picture; say why once, not per frame.
    if (!taken && !captureFailing_ && IsWindow(original)) {
        win::Log("capture of %08lX failed (error %lu)", HandleToULong(original), GetLastError());
    }
    captureFailing_ = !taken;
}

void PseudoWindow::onSize(int width, int height) {
    rebuildBackBuffer(width, height);
    learnSize(width, height);
}

void PseudoWindow::onPaint() {
    win::PaintDC paint(handle());
    const Size size = backBufferSize();
    if (paint.get() && backDC_ && size.width > 0 && size.height > 0) {
        BitBlt(paint.get(), 0, 0, size.width, size.height, backDC_.get(), 0, 0, SRCCOPY);
    }
}

void PseudoWindow::onTimer(UINT_PTR id) {
    // A hidden pseudo window (original restored or minimised) costs nothing.
    if (id != kRefreshTimer || !IsWindowVisible(handle())) return;
    Capture(nullptr);
    InvalidateRect(handle(), nullptr, FALSE);
    UpdateWindow(handle());
}

}  // namespace quillora
