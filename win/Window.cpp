#include "win/Window.h"

#include <cstdlib>

namespace win {

namespace {
FailureHandler g_failureHandler = nullptr;
}

void setFailureHandler(FailureHandler handler) { g_failureHandler = handler; }

bool IsOwnWindow(HWND hwnd) {
    DWORD process = 0;
    return GetWindowThreadProcessId(hwnd, &process) != 0 && process == GetCurrentProcessId();
}

bool Answers(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored) != 0;
}

void failAtBoundary() {
    if (FailureHandler handler = g_failureHandler) {
        g_failureHandler = nullptr;  // never re-enter from a nested failure
        handler();
    }
    ExitProcess(3);
}

Window::~Window() {
    // The object may go before its native window (only on paths that destroy
    // the native window first); make sure no message can reach it afterwards.
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    }
}

bool Window::registerClass(const char* className, UINT classStyle, HBRUSH background) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, className, &existing)) return true;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &Window::staticProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND Window::createNative(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU menu) {
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                           GetModuleHandleA(nullptr), this);
}

LRESULT CALLBACK Window::staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        self = static_cast<Window*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);

    try {
        if (msg == WM_NCDESTROY) {
            LRESULT result = self->handleMessage(msg, wp, lp);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            self->onNativeDestroyed();
            return result;
        }
        return self->handleMessage(msg, wp, lp);
    } catch (...) {
        failAtBoundary();
    }
}

}  // namespace win
