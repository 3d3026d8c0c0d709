// Display scaling. The program works in physical pixels throughout; lengths
// the user sets (hover margin, sensitivity) and the program's own fixed
// lengths are given at 96 DPI and scaled for the monitor a window is on.
// The per-monitor functions are looked up at run time, so the program still
// starts on systems that lack them and then uses the system DPI.
#pragma once

#include <windows.h>

#include "win/DpiAwareness.h"

namespace win {

constexpr UINT kBaseDpi = 96;

// value * dpi / 96, rounded half away from zero like MulDiv, and held within
// the int range instead of failing on overflow.
int ScaleForDpi(int value, UINT dpi);

// value * toDpi / fromDpi, rounded and held like ScaleForDpi: a length at
// one DPI as it measures at another. A zero fromDpi gives the value back.
int ScaleBetweenDpi(int value, UINT fromDpi, UINT toDpi);

// Makes the process per-monitor DPI aware (the best level the system has)
// when its manifest has not already settled the awareness; otherwise a no-op.
void EnableDpiAwareness();

// The DPI of the monitor `hwnd` is on; the system DPI where the system has no
// per-monitor DPI.
UINT DpiOf(HWND hwnd);

// The DPI of the monitor `window` is on, whatever the window's own awareness
// (DpiOf answers 96 for an unaware program's window and the system DPI for a
// system-aware one's, the DPI they draw at); the system DPI where the system
// has no per-monitor DPI.
UINT MonitorDpiOf(HWND window);

// GetSystemMetrics for a window at `dpi`, where the system can say; the
// system DPI's value otherwise.
int SystemMetricForDpi(int index, UINT dpi);

// The system DPI: what a system-aware program draws at wherever it is.
UINT SystemDpi();

// How the system scales `window`'s program; Unknown where the system cannot
// say (before Windows 10 1607) or the window is gone.
DpiAwareness AwarenessOf(HWND window);

// Runs the calling thread in `window`'s DPI awareness for the scope's life,
// so that sizes read and device contexts obtained meanwhile are in that
// window's own coordinates (a DC keeps the scaling it was obtained with:
// obtain it inside the scope). Puts the thread's awareness back when it
// ends. Does nothing where the system cannot switch (before Windows 10
// 1607) or the window is gone; Switched() says which.
class ThreadDpiAwarenessScope {
public:
    explicit ThreadDpiAwarenessScope(HWND window);
    ~ThreadDpiAwarenessScope();
    ThreadDpiAwarenessScope(const ThreadDpiAwarenessScope&) = delete;
    ThreadDpiAwarenessScope& operator=(const ThreadDpiAwarenessScope&) = delete;

    bool Switched() const { return previous_ != nullptr; }

private:
    HANDLE previous_ = nullptr;  // the thread's awareness context before
};

}  // namespace win
