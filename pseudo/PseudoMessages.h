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
// The user chose the quick edit in a pseudo window's system menu: the main
// window runs the dialog on the pseudo window's rule and returns IDOK when
// it was accepted. Sent, never posted (wParam: the pseudo window; lParam:
// its Rule*, valid for the call only).
constexpr UINT WM_PSEUDO_QUICK_EDIT = WM_APP + 0x17;

// The command the pseudo window adds to its system menu to edit its rule
// (a WM_SYSCOMMAND id).
constexpr UINT kQuickEditCommand = 1;

}  // namespace quillora
