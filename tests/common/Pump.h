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

// The one wait of the tests: dispatches this thread's messages (its own
// windows, and any modal loop they run, answer at once, as a program's loop
// does) and polls cond until it has held for `holdMs` on every poll, or the
// deadline passes. Returns whether it held.
inline bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 5000, int holdMs = 0) {
    const DWORD start = GetTickCount();
    DWORD heldSince = 0;
    bool holding = false;
    for (;;) {
        DispatchPending();
        const DWORD now = GetTickCount();
        if (!cond()) {
            holding = false;
        } else if (!holding) {
            holding = true;
            heldSince = now;
        }
        if (holding && now - heldSince >= static_cast<DWORD>(holdMs)) return true;
        if (now - start > static_cast<DWORD>(timeoutMs)) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// For states rather than events: cond must still hold a poll later, so a
// passing moment does not count.
inline bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 10000) { return WaitUntil(cond, timeoutMs, 20); }

// Dispatches this thread's messages for ms milliseconds.
inline void Pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        DispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

}  // namespace uitest
