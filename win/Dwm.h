// What the desktop compositor knows of a window and the window itself does
// not say: where its visible frame lies and whether it is cloaked. The
// compositor's library is looked up at run time, so the program keeps
// importing nothing of it and runs on where it is missing.
#pragma once

#include <windows.h>

namespace win {

// The window's visible frame in physical screen pixels, without the
// invisible resize borders that GetWindowRect counts on Windows 10 and 11;
// the window rectangle where the compositor cannot say (before Windows
// Vista, the compositor off, Wine). False, `frame` untouched, when the
// window is gone.
bool VisibleFrameOf(HWND window, RECT& frame);

// Whether the system keeps the window out of sight though it is visible: on
// another virtual desktop, a suspended store app. False where the system
// cannot say (before Windows 8) or the window is gone.
bool IsCloaked(HWND window);

}  // namespace win
