// Installs the shell hook from QuilloraHelper.dll with a hidden window of its
// own as the target and counts every window handle that arrives as
// WM_SHELL_CREATED or WM_SHELL_DESTROYED, so a test can ask about them
// (tools/HookProbe.h). It can install the hook from a thread of its own, as
// the program does, and forge the library's shared values as a hostile
// process would. Closes on WM_CLOSE or when its lifetime is over.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <map>
#include <tuple>

#include "hook/QuilloraHelper.h"
#include "tools/HookProbe.h"

namespace {

// (receiving window, shell message, reported window) -> times
std::map<std::tuple<HWND, UINT, HWND>, LRESULT> g_seen;
std::atomic<bool> g_hooked = false;
HWND g_decoy = nullptr;
// The thread that installed the hook, when not this one; it pumps until
// WM_QUIT and then removes the hook.
HANDLE g_hookThread = nullptr;
DWORD g_hookThreadId = 0;

// The library's shared section, found through the PE headers of the loaded
// module the way any process that maps the library could find it.
struct SharedValues {
    HWND target;
    HHOOK hook;
};

SharedValues* sharedValues() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA("QuilloraHelper.dll"));
    if (!base) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::strncmp(reinterpret_cast<const char*>(section->Name), "sdata", IMAGE_SIZEOF_SHORT_NAME) == 0)
            return reinterpret_cast<SharedValues*>(base + section->VirtualAddress);
    }
    return nullptr;
}

DWORD WINAPI hookThread(LPVOID target) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, before anyone posts to it
    g_hooked = InitializeHelper(static_cast<HWND>(target)) == 1;
    SetWindowTextA(static_cast<HWND>(target), g_hooked ? hookprobe::kHookedTitle : hookprobe::kFailedTitle);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return UninitializeHelper();
}

// Removes the hook on the thread that installed it; returns
// UninitializeHelper's answer.
LRESULT unhook() {
    if (!g_hookThread) return g_hooked.exchange(false) ? UninitializeHelper() : 0;
    g_hooked = false;
    DWORD result = 0;
    for (;;) {
        PostThreadMessageA(g_hookThreadId, WM_QUIT, 0, 0);  // fails until the thread has its queue
        const DWORD woke = MsgWaitForMultipleObjects(1, &g_hookThread, FALSE, 50, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
        // Sent messages reach this thread while it waits: the hook's reports.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    GetExitCodeThread(g_hookThread, &result);
    CloseHandle(g_hookThread);
    g_hookThread = nullptr;
    return result;
}

LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case QUILLORA_WM_SHELL_CREATED:
    case QUILLORA_WM_SHELL_DESTROYED:
        ++g_seen[{hwnd, msg, reinterpret_cast<HWND>(wp)}];
        return 0;
    case hookprobe::WM_PROBE_SEEN: {
        const auto found = g_seen.find({hwnd, static_cast<UINT>(wp), reinterpret_cast<HWND>(lp)});
        return found == g_seen.end() ? 0 : found->second;
    }
    case hookprobe::WM_PROBE_UNHOOK: return unhook();
    case hookprobe::WM_PROBE_FORGE_TARGET:
        if (SharedValues* shared = sharedValues()) {
            shared->target = g_decoy;
            return 1;
        }
        return 0;
    case WM_TIMER: DestroyWindow(hwnd); return 0;
    case WM_DESTROY:
        if (hwnd == g_decoy) return 0;
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

HWND createHidden(HINSTANCE instance, const char* className) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc)) return nullptr;
    return CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    HWND target = createHidden(instance, hookprobe::kWindowClass);
    g_decoy = createHidden(instance, hookprobe::kDecoyClass);
    if (!target || !g_decoy) return 1;
    if (std::strstr(commandLine, hookprobe::kOwnThreadSwitch)) {
        g_hookThread = CreateThread(nullptr, 0, hookThread, target, 0, &g_hookThreadId);
        if (!g_hookThread) return 1;
    } else {
        g_hooked = InitializeHelper(target) == 1;
        SetWindowTextA(target, g_hooked ? hookprobe::kHookedTitle : hookprobe::kFailedTitle);
    }
    SetTimer(target, 1, hookprobe::kLifetimeMs, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
