// Hides, shows and swaps original windows and their pseudo windows. Holds no
// state (everything lives in the windows' properties), so it is never made:
// its operations are static.
#pragma once

#include <windows.h>

#include <vector>

#include "pseudo/PseudoWindow.h"

namespace quillora {

class WindowHider {
public:
    WindowHider() = delete;

    // How long a window's program may take to answer before it counts as
    // not answering.
    static constexpr UINT kAnswerTimeoutMs = 100;

    // Whether the window's program answers within kAnswerTimeoutMs (at once
    // for one the system already knows to hang). Changing another program's
    // window style or position waits for that program's thread: ask first.
    static bool Answers(HWND window);

    // Makes the original layered, remembering ("Layered") if it was already,
    // together with its own attributes. Changes its style, so call it only
    // for a window that answers.
    static void Attach(HWND original);
    // Undoes Attach: the style goes unless the window was layered before.
    // Returns false, changing nothing, when the style has to go but the
    // window does not answer.
    static bool Detach(HWND original);
    // Restores the original of a pseudo window, or shrinks an original that
    // has a pseudo window; anything else is ignored.
    static void Toggle(HWND window);
    // The original of `pseudo` shown again at the pseudo window's anchor
    // corner, the pseudo window hidden; ignored unless `pseudo` is the live
    // pseudo window of its original, outside a move or resize by the user.
    static void Restore(HWND pseudo);
    // `original` made transparent behind its pseudo window, placed and
    // showing a fresh picture; a minimised original only has its pseudo
    // window hidden, and a maximised one is left shown. Ignored unless the
    // original has a pseudo window of this process.
    static void Shrink(HWND original);
    // Opaque again: the original's own layered attributes when it had
    // some, else alpha 255. Never waits for the original's program.
    static void ShowOriginal(HWND original);
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
    // Gives the original of one entry back and destroys its pseudo window;
    // false as GiveBack.
    static bool Release(const PseudoWindow& entry);
    // Release for every entry, every original made opaque before the first
    // is given back, then empties the list. Returns how many originals did
    // not answer.
    static std::size_t ReleaseAll(std::vector<PseudoWindowPtr>& list);
};

// The stale test of the restore polling: true when the entry's pseudo window
// is gone, or its original is gone (then the pseudo window is destroyed).
// An original that outlived its closed pseudo window is given back as
// Release does, so that it never stays invisible (if its program does not
// answer, only made opaque; it still carries "PseudoWindow" for a later
// attempt).
bool IsStale(const PseudoWindow& entry);

}  // namespace quillora
