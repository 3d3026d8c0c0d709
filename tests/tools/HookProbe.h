// What hookprobe.exe and the tests that drive it agree on.
#pragma once

#include <windows.h>

#include "hook/QuilloraHelper.h"

namespace hookprobe {

// The probe's hidden target window: the hook reports only to windows of the
// program's main window class.
constexpr char kWindowClass[] = QUILLORA_MAIN_WINDOW_CLASS;
// A second hidden window, of another class, that the probe can write into the
// library's shared section as the target, the way any process could.
constexpr char kDecoyClass[] = "QuilloraHookDecoy";
// Its title once InitializeHelper has answered.
constexpr char kHookedTitle[] = "hooked";
constexpr char kFailedTitle[] = "hook failed";

// Command-line switch: install the hook from a thread of the probe's own
// that only pumps messages (and removes it there), as the program does.
constexpr char kOwnThreadSwitch[] = "--own-thread";

// Sent to the target or the decoy window by a test:
// wParam = a shell message (WM_SHELL_CREATED, ...), lParam = a window handle;
// returns how many times that message has arrived at this window with that
// window as its wParam.
constexpr UINT WM_PROBE_SEEN = WM_APP + 1;
// Calls UninitializeHelper and returns its result.
constexpr UINT WM_PROBE_UNHOOK = WM_APP + 2;
// Writes the decoy window into the shared section as the target; returns 1
// when the section was found.
constexpr UINT WM_PROBE_FORGE_TARGET = WM_APP + 3;

// The probe ends by itself after this long, so it never outlives a test run.
constexpr UINT kLifetimeMs = 120000;

}  // namespace hookprobe
