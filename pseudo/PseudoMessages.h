// What a pseudo window tells the program's main window.
#pragma once

#include <windows.h>

namespace quillora {

// The user clicked a pseudo window whose rule restores on a click
// (wParam: the pseudo window).
constexpr UINT WM_PSEUDO_CLICKED = WM_APP + 0x14;
// The quick-edit dialog changed a pseudo window's rule: build it again
// (wParam: the original).
constexpr UINT WM_PSEUDO_REBUILD = WM_APP + 0x15;

}  // namespace quillora
