// How a window's program is scaled by the system, without the platform
// headers, so that pure arithmetic can take it.
#pragma once

namespace win {

enum class DpiAwareness {
    // The system cannot say (before Windows 10 1607), or the window is gone.
    Unknown,
    // Draws at 96 DPI; the system stretches it to the monitor's DPI.
    Unaware,
    // Draws at the system DPI of its start; stretched on other monitors.
    SystemAware,
    // Draws at its monitor's DPI: its pixels are physical ones.
    PerMonitor,
};

}  // namespace win
