// Message pumping for tests whose thread owns windows: waiting keeps those
// windows (and any modal loop they run) responsive.
#pragma once

#include <windows.h>

#include <functional>

namespace uitest {

// Dispatches every message already queued for this thread.
inline void DispatchPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Dispatches this thread's messages until cond holds or the deadline passes.
inline bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000) {
    const DWORD start = GetTickCount();
    for (;;) {
        DispatchPending();
        if (cond()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches this thread's messages for ms milliseconds.
inline void Pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        DispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

}  // namespace uitest
