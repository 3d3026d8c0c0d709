#include "win/TimerWindow.h"

#include "win/Log.h"

namespace win {

namespace {
constexpr char kClassName[] = "Quillora.Timers";
}

TimerWindow::~TimerWindow() {
    if (Handle()) DestroyWindow(Handle());
}

bool TimerWindow::Create() {
    if (!registerClass(kClassName, 0, nullptr)) {
        LogFailure("RegisterClassExA(\"Quillora.Timers\")");
        return false;
    }
    return Checked(createNative(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr),
                   "CreateWindowExA(\"Quillora.Timers\")") != nullptr;
}

void TimerWindow::Start(UINT_PTR id, UINT periodMs) {
    if (!SetTimer(Handle(), id, periodMs, nullptr)) LogFailure("SetTimer");
}

void TimerWindow::Stop(UINT_PTR id) {
    if (Handle()) KillTimer(Handle(), id);
}

LRESULT TimerWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        client_.OnTimer(wp);
        return 0;
    }
    return defaultProc(msg, wp, lp);
}

}  // namespace win
