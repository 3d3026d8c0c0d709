// Installs the shell hook from QuilloraHelper.dll with a hidden window of its
// own as the target and remembers every window handle that arrives as
// WM_SHELL_CREATED or WM_SHELL_DESTROYED, so a test can ask about them
// (tools/HookProbe.h). Closes on WM_CLOSE or when its lifetime is over.
#include <windows.h>

#include <set>
#include <utility>

#include "QuilloraHelper.h"
#include "tools/HookProbe.h"

namespace {

std::set<std::pair<UINT, HWND>> g_seen;
bool g_hooked = false;

void unhook() {
    if (g_hooked) UninitializeHelper();
    g_hooked = false;
}

LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case QUILLORA_WM_SHELL_CREATED:
    case QUILLORA_WM_SHELL_DESTROYED:
        g_seen.insert({msg, reinterpret_cast<HWND>(wp)});
        return 0;
    case hookprobe::WM_PROBE_SEEN:
        return g_seen.count({static_cast<UINT>(wp), reinterpret_cast<HWND>(lp)}) ? 1 : 0;
    case hookprobe::WM_PROBE_UNHOOK:
        g_hooked = false;
        return UninitializeHelper();
    case WM_TIMER: DestroyWindow(hwnd); return 0;
    case WM_DESTROY:
        unhook();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return handle(hwnd, msg, wp, lp);
    } catch (...) {
        return 0;  // out of memory while recording: the test will see the event missing
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = hookprobe::kWindowClass;
    if (!RegisterClassA(&wc)) return 1;
    HWND target = CreateWindowExA(0, hookprobe::kWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  instance, nullptr);
    if (!target) return 1;
    g_hooked = InitializeHelper(target) == 1;
    SetWindowTextA(target, g_hooked ? hookprobe::kHookedTitle : hookprobe::kFailedTitle);
    SetTimer(target, 1, hookprobe::kLifetimeMs, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
