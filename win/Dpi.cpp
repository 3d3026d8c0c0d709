#include "win/Dpi.h"

#include <algorithm>
#include <climits>

#include "win/Handles.h"
#include "win/Log.h"

namespace win {

namespace {

// Values the system headers only declare for newer target versions than
// ours (DPI_AWARENESS_CONTEXT_*, PROCESS_PER_MONITOR_DPI_AWARE,
// MDT_EFFECTIVE_DPI).
using AwarenessContext = HANDLE;
const AwarenessContext kPerMonitorV2 = reinterpret_cast<AwarenessContext>(static_cast<INT_PTR>(-4));
const AwarenessContext kPerMonitor = reinterpret_cast<AwarenessContext>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorAware = 2;
constexpr int kEffectiveDpi = 0;

template <typename Function>
Function lookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct DpiFunctions {
    // user32, Windows 10 (version 1607 on; per-monitor v2 from 1703).
    BOOL(WINAPI* setProcessAwarenessContext)(AwarenessContext) = nullptr;
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    int(WINAPI* systemMetricsForDpi)(int, UINT) = nullptr;
    // shcore, Windows 8.1 on.
    HRESULT(WINAPI* setProcessDpiAwareness)(int) = nullptr;
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

const DpiFunctions& functions() {
    static const DpiFunctions found = [] {
        DpiFunctions f;
        HMODULE user32 = GetModuleHandleA("user32.dll");
        f.setProcessAwarenessContext = lookUp<decltype(f.setProcessAwarenessContext)>(user32, "SetProcessDpiAwarenessContext");
        f.dpiForWindow = lookUp<decltype(f.dpiForWindow)>(user32, "GetDpiForWindow");
        f.systemMetricsForDpi = lookUp<decltype(f.systemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
        if (!f.setProcessAwarenessContext || !f.dpiForWindow) {
            // Only where user32 cannot answer (Windows 8.1 and the first
            // Windows 10); the library then stays loaded for the process.
            HMODULE shcore = LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
            f.setProcessDpiAwareness = lookUp<decltype(f.setProcessDpiAwareness)>(shcore, "SetProcessDpiAwareness");
            f.dpiForMonitor = lookUp<decltype(f.dpiForMonitor)>(shcore, "GetDpiForMonitor");
        }
        return f;
    }();
    return found;
}

UINT systemDpi() {
    static const UINT dpi = [] {
        WindowDC screen(nullptr);
        const int logPixels = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
        return logPixels > 0 ? static_cast<UINT>(logPixels) : kBaseDpi;
    }();
    return dpi;
}

}  // namespace

int ScaleForDpi(int value, UINT dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kBaseDpi / 2;
    const long long scaled = (product >= 0 ? product + half : product - half) / kBaseDpi;
    return static_cast<int>(std::clamp<long long>(scaled, INT_MIN, INT_MAX));
}

void EnableDpiAwareness() {
    // The manifest has normally settled the awareness before the first line
    // of the program ran; these calls then fail with "access denied" and
    // change nothing. They count where the manifest was not applied.
    const DpiFunctions& f = functions();
    if (f.setProcessAwarenessContext) {
        // Per-monitor v2 is unknown before Windows 10 1703.
        if (f.setProcessAwarenessContext(kPerMonitorV2) || f.setProcessAwarenessContext(kPerMonitor)) return;
        if (GetLastError() != ERROR_ACCESS_DENIED) LogFailure("SetProcessDpiAwarenessContext");
    } else if (f.setProcessDpiAwareness) {
        const HRESULT result = f.setProcessDpiAwareness(kProcessPerMonitorAware);
        if (FAILED(result) && result != E_ACCESSDENIED) Log("SetProcessDpiAwareness failed (0x%08lX)", result);
    } else if (!SetProcessDPIAware()) {
        LogFailure("SetProcessDPIAware");
    }
}

UINT DpiOf(HWND hwnd) {
    const DpiFunctions& f = functions();
    if (f.dpiForWindow) {
        if (const UINT dpi = f.dpiForWindow(hwnd)) return dpi;  // 0 for a window that is gone
    } else if (f.dpiForMonitor) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
        if (monitor && SUCCEEDED(f.dpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x) return x;
    }
    return systemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
    const DpiFunctions& f = functions();
    return f.systemMetricsForDpi ? f.systemMetricsForDpi(index, dpi) : GetSystemMetrics(index);
}

}  // namespace win
