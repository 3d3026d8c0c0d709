// Base class for the program's own windows: one static procedure finds the
// object through GWLP_USERDATA and forwards to handleMessage. Exceptions stop
// at the procedure boundary and go to the process-wide failure handler.
#pragma once

#include <windows.h>

namespace win {

// Whether `hwnd` belongs to this process.
bool IsOwnWindow(HWND hwnd);

// How long a window's program may take to answer before it counts as not
// answering.
constexpr UINT kAnswerTimeoutMs = 100;

// Whether the window's program answers within kAnswerTimeoutMs (at once for
// one the system already knows to hang). Changing another program's window
// style or position, or asking it to print, waits for that program's
// thread: ask first. No other message of this thread is handled meanwhile,
// so nothing changes under the caller.
bool Answers(HWND window);

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // Registers a class whose procedure is Window's static procedure.
    // Registering a class that exists already counts as success.
    static bool registerClass(const char* className, UINT classStyle, HBRUSH background);

protected:
    HWND createNative(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                      int height, HWND parent, HMENU menu);

    // Messages not handled go to defaultProc.
    virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
    LRESULT defaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd_, msg, wp, lp); }

    // Called after the native window is gone (WM_NCDESTROY).
    virtual void onNativeDestroyed() {}

private:
    static LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// What happens when an exception reaches a window, dialog or hook boundary.
// The program installs a handler that gives every shrunk window back and
// ends the process; without one the process just ends.
using FailureHandler = void (*)();
void setFailureHandler(FailureHandler handler);
[[noreturn]] void failAtBoundary();

}  // namespace win
