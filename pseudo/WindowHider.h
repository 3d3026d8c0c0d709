// Hides, shows and swaps original windows and their pseudo windows. Holds no
// state: everything lives in the windows' properties.
#pragma once

#include <windows.h>

#include <vector>

#include "pseudo/PseudoWindow.h"

namespace quillora {

class WindowHider {
public:
    // Makes the original layered, remembering ("Layered") if it was already.
    void Attach(HWND original);
    // Undoes Attach: the style goes unless the window was layered before.
    void Detach(HWND original);
    // Restores the original of a pseudo window, or shrinks an original that
    // has a pseudo window; anything else is ignored.
    void Toggle(HWND window);
    void ShowOriginal(HWND original);
    void HideOriginal(HWND original);
    bool IsOriginalShown(HWND original);

    // Gives an original back: opaque, its layered style as before, without
    // "PseudoWindow" and "PseudoWindowObject" ("Transparency" stays).
    void GiveBack(HWND original);
    // Gives the original of one entry back (opaque, style as before, without
    // "PseudoWindow" and "PseudoWindowObject") and destroys its pseudo window.
    void Release(const PseudoWindow& entry);
    // Release for every entry in order, then empties the list.
    void ReleaseAll(std::vector<PseudoWindowPtr>& list);
};

// The stale test of the restore polling: true when the entry's pseudo window
// is gone, or its original is gone (then the pseudo window is destroyed).
// An original that outlived its closed pseudo window is given back as
// Release does, so that it never stays invisible.
bool IsStale(const PseudoWindow& entry);

}  // namespace quillora
