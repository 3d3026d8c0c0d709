// Windows of the shell itself (taskbars, the desktop), which are never
// shrunk. Known by their class, so that a taskbar made anew by a restarted
// Explorer, or that of another monitor, is known too.
#pragma once

#include <windows.h>

#include <string_view>

namespace win {

// Whether a window of class `className` belongs to the shell: the taskbars
// of the primary and other monitors, the desktop and its icon layer.
bool IsShellClassName(std::string_view className);

// Whether `window` belongs to the shell by its class; false for a window
// that is gone.
bool IsShellWindow(HWND window);

}  // namespace win
