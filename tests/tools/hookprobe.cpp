// Installs the shell hook from QuilloraHelper.dll with a hidden window of its
// own as the target and remembers every window handle that arrives as
// WM_SHELL_CREATED or WM_SHELL_DESTROYED, so a test can ask about them
// (tools/HookProbe.h). It can also forge the library's shared values as a
// hostile process would. Closes on WM_CLOSE or when its lifetime is over.
#include <windows.h>

#include <cstring>
#include <set>
#include <tuple>

#include "hook/QuilloraHelper.h"
#include "tools/HookProbe.h"

namespace {

// (receiving window, shell message, reported window)
std::set<std::tuple<HWND, UINT, HWND>> g_seen;
bool g_hooked = false;
HWND g_decoy = nullptr;

// The library's shared section, found through the PE headers of the loaded
// module the way any process that maps the library could find it.
struct SharedValues {
    HWND target;
    HINSTANCE module;
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

void unhook() {
    if (g_hooked) UninitializeHelper();
    g_hooked = false;
}

LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case QUILLORA_WM_SHELL_CREATED:
    case QUILLORA_WM_SHELL_DESTROYED:
        g_seen.insert({hwnd, msg, reinterpret_cast<HWND>(wp)});
        return 0;
    case hookprobe::WM_PROBE_SEEN:
        return g_seen.count({hwnd, static_cast<UINT>(wp), reinterpret_cast<HWND>(lp)}) ? 1 : 0;
    case hookprobe::WM_PROBE_UNHOOK:
        g_hooked = false;
        return UninitializeHelper();
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
    if (std::strstr(commandLine, hookprobe::kForgeModuleSwitch)) {
        SharedValues* shared = sharedValues();
        if (!shared) return 1;
        shared->module = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x10000));
    }
    g_hooked = InitializeHelper(target) == 1;
    SetWindowTextA(target, g_hooked ? hookprobe::kHookedTitle : hookprobe::kFailedTitle);
    SetTimer(target, 1, hookprobe::kLifetimeMs, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
