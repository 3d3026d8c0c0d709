#include "win/Dpi.h"

#include <algorithm>
#include <climits>

#include "win/Handles.h"
#include "win/Library.h"
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

// GetAwarenessFromDpiAwarenessContext's answers (DPI_AWARENESS_*).
constexpr int kAwarenessUnaware = 0;
constexpr int kAwarenessSystem = 1;
constexpr int kAwarenessPerMonitor = 2;

struct DpiFunctions {
    // user32, Windows 10 (version 1607 on; per-monitor v2 from 1703).
    BOOL(WINAPI* setProcessAwarenessContext)(AwarenessContext) = nullptr;
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    int(WINAPI* systemMetricsForDpi)(int, UINT) = nullptr;
    AwarenessContext(WINAPI* windowAwarenessContext)(HWND) = nullptr;
    AwarenessContext(WINAPI* setThreadAwarenessContext)(AwarenessContext) = nullptr;
    int(WINAPI* awarenessFromContext)(AwarenessContext) = nullptr;
    // shcore, Windows 8.1 on.
    HRESULT(WINAPI* setProcessDpiAwareness)(int) = nullptr;
};

// shcore, Windows 8.1 on; loaded at the first use.
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
DpiForMonitor dpiForMonitor() {
    static const DpiForMonitor found = LookUp<DpiForMonitor>(LoadSystemLibrary("shcore.dll"), "GetDpiForMonitor");
    return found;
}

const DpiFunctions& functions() {
    static const DpiFunctions found = [] {
        DpiFunctions f;
        HMODULE user32 = GetModuleHandleA("user32.dll");
        f.setProcessAwarenessContext = LookUp<decltype(f.setProcessAwarenessContext)>(user32, "SetProcessDpiAwarenessContext");
        f.dpiForWindow = LookUp<decltype(f.dpiForWindow)>(user32, "GetDpiForWindow");
        f.systemMetricsForDpi = LookUp<decltype(f.systemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
        f.windowAwarenessContext = LookUp<decltype(f.windowAwarenessContext)>(user32, "GetWindowDpiAwarenessContext");
        f.setThreadAwarenessContext =
            LookUp<decltype(f.setThreadAwarenessContext)>(user32, "SetThreadDpiAwarenessContext");
        f.awarenessFromContext =
            LookUp<decltype(f.awarenessFromContext)>(user32, "GetAwarenessFromDpiAwarenessContext");
        if (!f.setProcessAwarenessContext || !f.dpiForWindow) {
            // Only where user32 cannot answer (Windows 8.1 and the first
            // Windows 10); the library then stays loaded for the process.
            HMODULE shcore = LoadSystemLibrary("shcore.dll");
            f.setProcessDpiAwareness = LookUp<decltype(f.setProcessDpiAwareness)>(shcore, "SetProcessDpiAwareness");
        }
        return f;
    }();
    return found;
}

}  // namespace

int ScaleForDpi(int value, UINT dpi) { return ScaleBetweenDpi(value, kBaseDpi, dpi); }

int ScaleBetweenDpi(int value, UINT fromDpi, UINT toDpi) {
    if (fromDpi == 0) return value;
    const long long product = static_cast<long long>(value) * toDpi;
    const long long half = fromDpi / 2;
    const long long scaled = (product >= 0 ? product + half : product - half) / static_cast<long long>(fromDpi);
    return static_cast<int>(std::clamp<long long>(scaled, INT_MIN, INT_MAX));
}

UINT SystemDpi() {
    static const UINT dpi = [] {
        WindowDC screen(nullptr);
        const int logPixels = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
        return logPixels > 0 ? static_cast<UINT>(logPixels) : kBaseDpi;
    }();
    return dpi;
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
        return SystemDpi();
    }
    return MonitorDpiOf(hwnd);
}

UINT MonitorDpiOf(HWND window) {
    if (const DpiForMonitor get = dpiForMonitor()) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor && SUCCEEDED(get(monitor, kEffectiveDpi, &x, &y)) && x) return x;
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
    const DpiFunctions& f = functions();
    return f.systemMetricsForDpi ? f.systemMetricsForDpi(index, dpi) : GetSystemMetrics(index);
}

DpiAwareness AwarenessOf(HWND window) {
    const DpiFunctions& f = functions();
    if (!f.windowAwarenessContext || !f.awarenessFromContext) return DpiAwareness::Unknown;
    const AwarenessContext context = f.windowAwarenessContext(window);
    if (!context) return DpiAwareness::Unknown;  // the window is gone
    switch (f.awarenessFromContext(context)) {
    case kAwarenessUnaware: return DpiAwareness::Unaware;  // also the GDI-scaled kind
    case kAwarenessSystem: return DpiAwareness::SystemAware;
    case kAwarenessPerMonitor: return DpiAwareness::PerMonitor;
    default: return DpiAwareness::Unknown;
    }
}

ThreadDpiAwarenessScope::ThreadDpiAwarenessScope(HWND window) {
    const DpiFunctions& f = functions();
    if (!f.windowAwarenessContext || !f.setThreadAwarenessContext) return;
    const AwarenessContext context = f.windowAwarenessContext(window);
    // Null answers both "the window is gone" and "the switch failed".
    if (context) previous_ = f.setThreadAwarenessContext(context);
}

ThreadDpiAwarenessScope::~ThreadDpiAwarenessScope() {
    if (previous_) functions().setThreadAwarenessContext(previous_);
}

}  // namespace win
