// The global shell hook. This code runs inside every GUI process on the
// desktop, so it does as little as it can: no allocation, no C++ runtime,
// nothing that can throw.
#include "QuilloraHelper.h"

// Shared by every process that maps the library (one copy system-wide).
#define QUILLORA_SHARED __attribute__((section("sdata"), shared))
static HWND g_target QUILLORA_SHARED = nullptr;
static HINSTANCE g_module QUILLORA_SHARED = nullptr;
static HHOOK g_hook QUILLORA_SHARED = nullptr;

// A window's creating thread waits while the program handles the event, so a
// hung or dying program must not freeze it: give up after this long.
static const UINT kSendTimeoutMs = 2000;

static LRESULT CALLBACK hookProc(int code, WPARAM wp, LPARAM lp) {
    if (code < 0) return CallNextHookEx(g_hook, code, wp, lp);

    UINT message = 0;
    switch (code) {
    case HSHELL_WINDOWCREATED: message = QUILLORA_WM_SHELL_CREATED; break;
    case HSHELL_WINDOWDESTROYED: message = QUILLORA_WM_SHELL_DESTROYED; break;
    case HSHELL_WINDOWACTIVATED: message = QUILLORA_WM_SHELL_ACTIVATED; break;
    default: return 0;
    }
    HWND target = g_target;
    if (target) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(target, message, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    }
    return 0;
}

extern "C" int InitializeHelper(HWND target) {
    g_target = target;
    g_hook = SetWindowsHookExA(WH_SHELL, hookProc, g_module, 0);
    return g_hook != nullptr ? 1 : 0;
}

extern "C" int UninitializeHelper(void) {
    g_module = nullptr;
    g_target = nullptr;
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        if (g_module == nullptr) g_module = instance;
    }
    return TRUE;
}
