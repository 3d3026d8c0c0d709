// The commands a running test window (tools/testwin.cpp) obeys: one posted
// message whose wParam names the command and whose lParam carries its
// argument. Posted, so each is handled in turn from its message loop.
#pragma once

#include <windows.h>

namespace uitest {

constexpr UINT WM_TESTWIN_COMMAND = WM_APP + 1;

enum class TestWindowCommand : WPARAM {
    Close = 1,          // destroys the window, which ends the program
    Retitle = 2,        // takes the title held by the global ATOM in lParam
    Repaint = 3,        // paints itself in the COLORREF in lParam
    StopAnswering = 4,  // its thread sleeps lParam milliseconds
    DestroyAndLinger = 5,  // destroys the window, taking 500 ms over its WM_NCDESTROY; the program lives on lParam ms
};

inline void PostTestWindowCommand(HWND window, TestWindowCommand command, LPARAM argument = 0) {
    PostMessageA(window, WM_TESTWIN_COMMAND, static_cast<WPARAM>(command), argument);
}

}  // namespace uitest
