// What hookprobe.exe and the tests that drive it agree on.
#pragma once

#include <windows.h>

namespace hookprobe {

// The probe's hidden target window.
constexpr char kWindowClass[] = "QuilloraHookProbe";
// Its title once InitializeHelper has answered.
constexpr char kHookedTitle[] = "hooked";
constexpr char kFailedTitle[] = "hook failed";

// Sent to the target window by a test:
// wParam = a shell message (WM_SHELL_CREATED, ...), lParam = a window handle;
// returns 1 when that message has arrived with that window as its wParam.
constexpr UINT WM_PROBE_SEEN = WM_APP + 1;
// Calls UninitializeHelper and returns its result.
constexpr UINT WM_PROBE_UNHOOK = WM_APP + 2;

// The probe ends by itself after this long, so it never outlives a test run.
constexpr UINT kLifetimeMs = 120000;

}  // namespace hookprobe
