#include "win/SessionNotifications.h"

#include <wtsapi32.h>

#include "win/Library.h"
#include "win/Log.h"

namespace win {

namespace {

HMODULE terminalServices() {
    static const HMODULE module = LoadSystemLibrary("wtsapi32.dll");
    return module;
}

}  // namespace

bool SessionNotifications::Start(HWND window) {
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    const auto registerFor = LookUp<Register>(terminalServices(), "WTSRegisterSessionNotification");
    if (!registerFor || !registerFor(window, NOTIFY_FOR_THIS_SESSION)) {
        LogFailure("WTSRegisterSessionNotification");
        return false;
    }
    window_ = window;
    return true;
}

void SessionNotifications::Stop() {
    if (!window_) return;
    using Unregister = BOOL(WINAPI*)(HWND);
    if (const auto unregister = LookUp<Unregister>(terminalServices(), "WTSUnRegisterSessionNotification")) {
        unregister(window_);
    }
    window_ = nullptr;
}

}  // namespace win
