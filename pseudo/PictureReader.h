// How one original's picture is read. Its own window DC is fast and exact,
// but a program drawn through the compositor (a flip-model swap chain or
// DirectComposition, as browsers and much else are) leaves that DC black:
// such a window is asked to print itself, as the system composes it, and is
// printed from then on, while its DC is looked at again now and then.
#pragma once

#include <windows.h>

#include <cstdint>

#include <memory>

#include "scale/ImageBuffer.h"
#include "scale/Stretcher.h"

namespace quillora {

// QualityStretcher for a non-zero draw method, SpeedStretcher otherwise.
std::unique_ptr<Stretcher> MakeStretcher(std::int32_t drawMethod);

class PictureReader {
public:
    // How long a window whose DC was black, and which did not print either,
    // is left to its DC; and how long a printed window is printed before its
    // DC is looked at again.
    static constexpr DWORD kLookAgainMs = 3000;

    // Renders the original's client area, width x height, into the whole of
    // `back` through `stretcher`. False when no picture could be taken (back
    // keeps its last one). An original that is printed but does not answer
    // keeps its last picture too, and that is no failure.
    bool Read(HWND original, int width, int height, Stretcher& stretcher, ImageBuffer& back);

    bool Printing() const { return printing_; }

private:
    bool fromWindowDC(HWND original, int width, int height, Stretcher& stretcher, ImageBuffer& back, DWORD now);
    bool printed(HWND original, int width, int height, Stretcher& stretcher, ImageBuffer& back, DWORD now);
    // Whether the original printed a picture over what `printed_` holds;
    // asks its program first whether it answers.
    bool print(HWND original);
    // The first look is always due: the tick count may be anywhere in its
    // 49-day cycle, and a comparison with an unset time would say "not yet"
    // for half of it.
    bool lookDue(DWORD now) const { return !looked_ || static_cast<LONG>(now - nextLook_) >= 0; }
    void lookAgainFrom(DWORD now) {
        nextLook_ = now + kLookAgainMs;
        looked_ = true;
    }

    // The original's own pixels, kept only while it is printed: its DC
    // picture, with the printed one over it.
    ImageBuffer printed_;
    bool printing_ = false;
    DWORD nextLook_ = 0;
    bool looked_ = false;
};

}  // namespace quillora
