// Display scaling. The program works in physical pixels throughout; lengths
// the user sets (hover margin, sensitivity) and the program's own fixed
// lengths are given at 96 DPI and scaled for the monitor a window is on.
// The per-monitor functions are looked up at run time, so the program still
// starts on systems that lack them and then uses the system DPI.
#pragma once

#include <windows.h>

namespace win {

constexpr UINT kBaseDpi = 96;

// value * dpi / 96, rounded half away from zero like MulDiv, and held within
// the int range instead of failing on overflow.
int ScaleForDpi(int value, UINT dpi);

// Makes the process per-monitor DPI aware (the best level the system has)
// when its manifest has not already settled the awareness; otherwise a no-op.
void EnableDpiAwareness();

// The DPI of the monitor `hwnd` is on; the system DPI where the system has no
// per-monitor DPI.
UINT DpiOf(HWND hwnd);

// GetSystemMetrics for a window at `dpi`, where the system can say; the
// system DPI's value otherwise.
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace win
