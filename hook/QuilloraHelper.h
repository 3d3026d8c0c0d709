// The shell-hook library's two exports.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Installs the global shell hook; window events go to target as
// WM_SHELL_CREATED / WM_SHELL_DESTROYED / WM_SHELL_ACTIVATED (sent) and
// WM_SHELL_MINMAX (posted). 1 on success.
// Events are delivered only while target is a window of class
// QUILLORA_MAIN_WINDOW_CLASS.
int InitializeHelper(HWND target);
// Removes the hook and clears the shared values. Always 1.
int UninitializeHelper(void);

#ifdef __cplusplus
}
#endif

// The class of the program's main window, the only window the hook reports to.
#define QUILLORA_MAIN_WINDOW_CLASS "Quillora"

// Messages the hook sends (the main window's private message table).
#define QUILLORA_WM_SHELL_CREATED (WM_APP + 0x11)
#define QUILLORA_WM_SHELL_DESTROYED (WM_APP + 0x12)
#define QUILLORA_WM_SHELL_ACTIVATED (WM_APP + 0x13)
// A top-level window is being minimised or maximised, or restored from
// either (wParam: the window; lParam: 0).
#define QUILLORA_WM_SHELL_MINMAX (WM_APP + 0x16)
