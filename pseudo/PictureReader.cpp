#include "pseudo/PictureReader.h"

#include <memory>

#include "rules/Rule.h"
#include "win/Window.h"

namespace quillora {

namespace {

// PW_RENDERFULLCONTENT, which the headers offer only to Windows 8.1 and later
// (earlier systems ignore the flag and print as WM_PRINT does).
constexpr UINT kRenderFullContent = 0x2;
// Only the client area, rendered by the compositor.
constexpr UINT kPrintFlags = PW_CLIENTONLY | kRenderFullContent;

bool scale(Stretcher& stretcher, ImageBuffer& back, HDC source, int width, int height) {
    return stretcher.Stretch(back.Context(), back.Width(), back.Height(), source, width, height);
}

}  // namespace

std::unique_ptr<Stretcher> MakeStretcher(std::int32_t drawMethod) {
    if (drawMethod == SpeedPriority) return std::make_unique<SpeedStretcher>();
    return std::make_unique<QualityStretcher>();
}

bool PictureReader::Read(HWND original, int width, int height, Stretcher& stretcher, ImageBuffer& back) {
    const DWORD now = GetTickCount();
    return printing_ ? printed(original, width, height, stretcher, back, now)
                     : fromWindowDC(original, width, height, stretcher, back, now);
}

bool PictureReader::fromWindowDC(HWND original, int width, int height, Stretcher& stretcher, ImageBuffer& back,
                                DWORD now) {
    win::WindowDC source(original);
    if (!source || !scale(stretcher, back, source.get(), width, height)) {
        return false;
    }
    // The scaled picture is the cheap test, run on every frame; a black one
    // is looked into no more often than kLookAgainMs, so that a window that
    // is truly black costs its refreshes nothing more.
    if (!lookDue(now) || !back.IsBlack()) return true;
    lookAgainFrom(now);
    // Scaling may have dropped a few bright pixels: judge the original's own,
    // then print over them (a program that declines to print leaves them).
    if (printed_.Take(width, height, source.get()) && printed_.IsBlack() && print(original) && !printed_.IsBlack()) {
        printing_ = true;
        return scale(stretcher, back, printed_.Context(), width, height);
    }
    printed_.Release();
    return true;
}

bool PictureReader::printed(HWND original, int width, int height, Stretcher& stretcher, ImageBuffer& back, DWORD now) {
    // Printing is a call into the other program; one that does not answer
    // keeps its last picture.
    if (!win::Answers(original)) return true;
    const bool resized = printed_.Width() != width || printed_.Height() != height;
    if (resized || lookDue(now)) {
        lookAgainFrom(now);
        win::WindowDC source(original);
        if (!source || !printed_.Take(width, height, source.get())) return false;
        if (!printed_.IsBlack()) {
            // The DC shows the picture again: back to the fast way.
            printing_ = false;
            const bool drawn = scale(stretcher, back, printed_.Context(), width, height);
            printed_.Release();
            return drawn;
        }
    }
    // Over the last picture: a print that gives nothing leaves it.
    PrintWindow(original, printed_.Context(), kPrintFlags);
    return scale(stretcher, back, printed_.Context(), width, height);
}

bool PictureReader::print(HWND original) {
    if (!win::Answers(original)) return false;
    PrintWindow(original, printed_.Context(), kPrintFlags);
    return true;
}

}  // namespace quillora
