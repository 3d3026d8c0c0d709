// A stand-in for another application: one top-level window described on the
// command line. Options (all optional):
//   --title T  --class C  --x N --y N --w N --h N  --color RRGGBB
//   --layered (created with WS_EX_LAYERED)   --show normal|max|min|hidden
//   --layered-attrs RRGGBB ALPHA (created with WS_EX_LAYERED and given that
//   colour key and alpha through SetLayeredWindowAttributes)
//   --refuse-close (ignores WM_CLOSE and SC_CLOSE)   --child (adds a child button)
//   --dpi-unaware (a program written before display scaling: its window is
//   created in the DPI-unaware context, which the system scales for it)
// Like ordinary programs it creates its window hidden and shows it afterwards:
//   --show-after MS (shows it MS milliseconds after creation, not at once)
//   --title-at-show T (the title it takes just before it is shown)
//   --create-visible (creates it already visible instead)
//   --idle-timer MS (a timer that does nothing: the floor of a polling program)
//   --owned (owned by a hidden window of its own, as tool windows and most
//   dialogs are: the shell reports neither its creation nor its end)
//   --print-only (paints black and shows its colour only when asked to print
//   itself, as a program drawn through the compositor leaves its DC black)
// While running it obeys the commands of common/TestWindowCommands.h and
// writes nothing.
// It counts the SC_CLOSE requests it receives in its own window property
// "TestSysCloseCount".
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/TestWindowCommands.h"

namespace {

using uitest::TestWindowCommand;

struct Options {
    std::string title = "Test Window";
    std::string className = "QuilloraTestWindow";
    int x = 100, y = 100, w = 400, h = 300;
    COLORREF color = RGB(255, 0, 0);
    bool layered = false;
    bool layeredAttrs = false;
    COLORREF layeredKey = 0;
    BYTE layeredAlpha = 255;
    bool refuseClose = false;
    bool child = false;
    int show = SW_SHOWNORMAL;
    bool createVisible = false;
    int showAfterMs = 0;
    bool retitle = false;
    std::string titleAtShow;
    int idleTimerMs = 0;
    bool dpiUnaware = false;
    bool owned = false;
    bool printOnly = false;
};

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kIdleTimer = 2;

Options g_options;
HBRUSH g_brush = nullptr;
DWORD g_lingerMs = 0;  // how long the program outlives its window
constexpr DWORD kSaveStateMs = 500;  // how long such a program takes over WM_NCDESTROY

COLORREF parseColor(const char* text) {
    unsigned long v = std::strtoul(text, nullptr, 16);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--title") o.title = next();
        else if (a == "--class") o.className = next();
        else if (a == "--x") o.x = std::atoi(next());
        else if (a == "--y") o.y = std::atoi(next());
        else if (a == "--w") o.w = std::atoi(next());
        else if (a == "--h") o.h = std::atoi(next());
        else if (a == "--color") o.color = parseColor(next());
        else if (a == "--layered") o.layered = true;
        else if (a == "--layered-attrs") {
            o.layered = o.layeredAttrs = true;
            o.layeredKey = parseColor(next());
            o.layeredAlpha = static_cast<BYTE>(std::atoi(next()));
        }
        else if (a == "--refuse-close") o.refuseClose = true;
        else if (a == "--child") o.child = true;
        else if (a == "--create-visible") o.createVisible = true;
        else if (a == "--dpi-unaware") o.dpiUnaware = true;
        else if (a == "--owned") o.owned = true;
        else if (a == "--print-only") o.printOnly = true;
        else if (a == "--show-after") o.showAfterMs = std::atoi(next());
        else if (a == "--idle-timer") o.idleTimerMs = std::atoi(next());
        else if (a == "--title-at-show") {
            o.retitle = true;
            o.titleAtShow = next();
        }
        else if (a == "--show") {
            std::string s = next();
            o.show = s == "max" ? SW_SHOWMAXIMIZED : s == "min" ? SW_SHOWMINIMIZED : s == "hidden" ? SW_HIDE : SW_SHOWNORMAL;
        }
    }
    return o;
}

void showWindow(HWND hwnd) {
    if (g_options.retitle) SetWindowTextA(hwnd, g_options.titleAtShow.c_str());
    ShowWindow(hwnd, g_options.show);
    UpdateWindow(hwnd);
}

void obey(HWND hwnd, TestWindowCommand command, LPARAM lp) {
    switch (command) {
    case TestWindowCommand::Close: DestroyWindow(hwnd); break;
    case TestWindowCommand::Retitle: {
        char title[256] = {};
        GlobalGetAtomNameA(static_cast<ATOM>(lp), title, sizeof title);
        SetWindowTextA(hwnd, title);
        break;
    }
    case TestWindowCommand::Repaint:
        DeleteObject(g_brush);
        g_brush = CreateSolidBrush(static_cast<COLORREF>(lp));
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case TestWindowCommand::StopAnswering: Sleep(static_cast<DWORD>(lp)); break;
    case TestWindowCommand::DestroyAndLinger:
        g_lingerMs = static_cast<DWORD>(lp);
        DestroyWindow(hwnd);
        break;
    }
}

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kShowTimer) {
            KillTimer(hwnd, kShowTimer);
            showWindow(hwnd);
        }
        return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        const bool black = msg == WM_ERASEBKGND && g_options.printOnly;
        FillRect(reinterpret_cast<HDC>(wp), &rc, black ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : g_brush);
        return msg == WM_ERASEBKGND ? 1 : 0;
    }
    case WM_CLOSE:
        if (g_options.refuseClose) return 0;
        break;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE) {
            auto count = reinterpret_cast<UINT_PTR>(GetPropA(hwnd, "TestSysCloseCount"));
            SetPropA(hwnd, "TestSysCloseCount", reinterpret_cast<HANDLE>(count + 1));
            if (g_options.refuseClose) return 0;
        }
        break;
    case uitest::WM_TESTWIN_COMMAND:
        obey(hwnd, static_cast<TestWindowCommand>(wp), lp);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_NCDESTROY:
        // A program that lives on after its window (one of several windows,
        // or a tray program) often saves its state on the way out: the
        // window is still there for a while after the shell has reported
        // its end.
        if (g_lingerMs) Sleep(kSaveStateMs);
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The thread's DPI context; the process's may already be settled (Wine
// makes every process per-monitor aware unless its manifest says otherwise).
void becomeDpiUnaware() {
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set) set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)));  // DPI_AWARENESS_CONTEXT_UNAWARE
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_options = parse(__argc, __argv);
    if (g_options.dpiUnaware) becomeDpiUnaware();
    g_brush = CreateSolidBrush(g_options.color);

    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = g_options.className.c_str();
    RegisterClassA(&wc);

    DWORD exStyle = g_options.layered ? WS_EX_LAYERED : 0;
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (g_options.createVisible) {
        if (g_options.show == SW_SHOWNORMAL) style |= WS_VISIBLE;
        if (g_options.show == SW_SHOWMAXIMIZED) style |= WS_VISIBLE | WS_MAXIMIZE;
        if (g_options.show == SW_SHOWMINIMIZED) style |= WS_VISIBLE | WS_MINIMIZE;
    }
    HWND owner = g_options.owned ? CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                                                   nullptr)
                                 : nullptr;
    HWND hwnd = CreateWindowExA(exStyle, g_options.className.c_str(), g_options.title.c_str(), style,
                                g_options.x, g_options.y, g_options.w, g_options.h, owner, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    if (g_options.layeredAttrs) {
        SetLayeredWindowAttributes(hwnd, g_options.layeredKey, g_options.layeredAlpha, LWA_COLORKEY | LWA_ALPHA);
    } else if (g_options.layered) {
        SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
    }
    if (g_options.child) {
        CreateWindowExA(0, "BUTTON", "child", WS_CHILD | WS_VISIBLE, 10, 10, 120, 40, hwnd, nullptr, instance, nullptr);
    }
    if (g_options.idleTimerMs > 0) SetTimer(hwnd, kIdleTimer, static_cast<UINT>(g_options.idleTimerMs), nullptr);
    if (g_options.showAfterMs > 0) {
        SetTimer(hwnd, kShowTimer, static_cast<UINT>(g_options.showAfterMs), nullptr);
    } else {
        showWindow(hwnd);
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(g_brush);
    Sleep(g_lingerMs);
    return 0;
}
