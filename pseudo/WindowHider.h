// Hides and shows original windows (their layered style and alpha) and gives
// them back. Holds no state (everything lives in the windows' properties, so
// that recovery after an abrupt end can do the same), so it is never made:
// its operations are static.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>


namespace quillora {

class WindowHider {
public:
    WindowHider() = delete;

    // Makes the original layered, remembering ("Layered") if it was already,
    // together with its own attributes. Changes its style, so call it only
    // for a window that answers.
    static void Attach(HWND original);
    // Undoes Attach: the style goes unless the window was layered before.
    // Returns false, changing nothing, when the style has to go but the
    // window does not answer.
    static bool Detach(HWND original);
    // Opaque again: the original's own layered attributes when it had
    // some, else alpha 255. Never waits for the original's program.
    static void ShowOriginal(HWND original);
    // Transparent (alpha 0). Never waits for the original's program.
    static void HideOriginal(HWND original);
    static bool IsOriginalShown(HWND original);

    // Gives an original back: opaque, its layered style as before, without
    // "PseudoWindow" and "PseudoWindowObject" ("Transparency" stays).
    // Returns false when the window does not answer: it is then opaque but
    // keeps its style and properties, for a later GiveBack.
    static bool GiveBack(HWND original);
    // Makes every original opaque first, then gives each back; returns how
    // many did not answer (see GiveBack). One hung program thus never keeps
    // another window transparent.
    static std::size_t GiveBackAll(const std::vector<HWND>& originals);
};

}  // namespace quillora
