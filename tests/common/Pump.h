// Message pumping with a deadline for in-process window and dialog tests.
#pragma once

#include <windows.h>

#include <functional>

namespace uitest {

// Dispatches this thread's messages until cond holds or the deadline passes.
inline bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 3000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (cond()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace uitest
