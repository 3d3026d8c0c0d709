// The global shell hook. This code runs inside every GUI process on the
// desktop, so it does as little as it can: linked without any runtime
// (kernel32 and user32 only, no TLS, no code at thread start or exit), no
// allocation, nothing that can throw.
#include "QuilloraHelper.h"

namespace {

// One copy system-wide, shared by every process that maps the library, so
// any of them can write it: the hook trusts none of it beyond what it checks.
struct SharedState {
    HWND target;  // the program's main window
    HHOOK hook;
};
__attribute__((section("sdata"), shared)) SharedState g_shared = {nullptr, nullptr};

// This process's own handle of the library (not shared).
HINSTANCE g_self = nullptr;

// A window's creating thread waits while the program handles the event, so a
// hung or dying program must not freeze it: give up after this long.
const UINT kSendTimeoutMs = 2000;

// Only the program's main window receives reports, whatever the shared
// section says: a live window of exactly this class.
constexpr char kClass[] = QUILLORA_MAIN_WINDOW_CLASS;

bool isProgramWindow(HWND window) {
    char name[sizeof kClass + 1];
    if (GetClassNameA(window, name, sizeof name) != static_cast<int>(sizeof kClass - 1)) return false;
    for (unsigned i = 0; i < sizeof kClass - 1; ++i) {
        if (name[i] != kClass[i]) return false;
    }
    return true;
}

// Tells the program about the event; nothing it does here may keep the
// event from the hooks installed before this one.
void report(int code, WPARAM wp, LPARAM lp) {
    UINT message = 0;
    switch (code) {
    case HSHELL_WINDOWCREATED: message = QUILLORA_WM_SHELL_CREATED; break;
    case HSHELL_WINDOWDESTROYED: message = QUILLORA_WM_SHELL_DESTROYED; break;
    case HSHELL_WINDOWACTIVATED: message = QUILLORA_WM_SHELL_ACTIVATED; break;
    case HSHELL_GETMINRECT: message = QUILLORA_WM_SHELL_MINMAX; break;
    default: return;
    }
    HWND target = g_shared.target;
    if (!target || !isProgramWindow(target)) return;
    if (message == QUILLORA_WM_SHELL_MINMAX) {
        // Only news for the program, which needs no answer: posted, so the
        // minimising or maximising thread never waits. lParam points into
        // this process and is not passed on.
        PostMessageA(target, message, wp, 0);
        return;
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(target, message, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

// Every code goes on to the next hook, whose answer is the chain's (an
// HSHELL_APPCOMMAND handled further on must still say so).
LRESULT CALLBACK hookProc(int code, WPARAM wp, LPARAM lp) {
    if (code >= 0) report(code, wp, lp);
    return CallNextHookEx(g_shared.hook, code, wp, lp);
}

}  // namespace

extern "C" int InitializeHelper(HWND target) {
    g_shared.target = target;
    // Our own handle, never the shared one: another process could have
    // written anything there.
    g_shared.hook = SetWindowsHookExA(WH_SHELL, hookProc, g_self, 0);
    return g_shared.hook != nullptr ? 1 : 0;
}

extern "C" int UninitializeHelper(void) {
    g_shared.target = nullptr;
    UnhookWindowsHookEx(g_shared.hook);
    g_shared.hook = nullptr;
    return 1;
}

// The library's entry point (the link names it; there is no runtime start-up).
extern "C" BOOL WINAPI QuilloraHelperEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
