// The shell-hook library across processes: windows that another program
// creates and destroys reach the target window until the hook is removed.
#include <gtest/gtest.h>

#include "e2e/Harness.h"
#include "hook/QuilloraHelper.h"
#include "tools/HookProbe.h"

using namespace e2e;

namespace {

constexpr UINT kQueryTimeoutMs = 5000;

bool probeSaw(HWND probe, UINT shellMessage, HWND window) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(probe, hookprobe::WM_PROBE_SEEN, shellMessage, reinterpret_cast<LPARAM>(window),
                               SMTO_ABORTIFHUNG, kQueryTimeoutMs, &answer) &&
           answer == 1;
}

class HookProbe {
public:
    HookProbe() : process_(Start(BinDir() + "\\hookprobe.exe", "")) {
        if (process_) window_ = FindWindowOf(process_.Id(), hookprobe::kWindowClass, 10000);
    }
    ~HookProbe() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        process_.WaitExit(10000);
    }
    HookProbe(const HookProbe&) = delete;
    HookProbe& operator=(const HookProbe&) = delete;

    HWND Window() const { return window_; }
    bool Hooked() const {
        return WaitUntil([&] { return Text(window_) == hookprobe::kHookedTitle; });
    }

private:
    Process process_;
    HWND window_ = nullptr;
};

}  // namespace

TEST(ShellHook, WindowsOfAnotherProgramReachTheTargetUntilUnhooked) {
    HookProbe probe;
    ASSERT_NE(probe.Window(), nullptr);
    ASSERT_TRUE(probe.Hooked()) << Text(probe.Window());

    TestWindow app = StartTestWindow("--title HookedApp");
    ASSERT_NE(app.hwnd, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return probeSaw(probe.Window(), QUILLORA_WM_SHELL_CREATED, app.hwnd); }))
        << "the new window was not reported as created";
    EXPECT_FALSE(probeSaw(probe.Window(), QUILLORA_WM_SHELL_DESTROYED, app.hwnd));

    PostMessageA(app.hwnd, WM_APP + 1, 1, 0);  // testwin destroys its window
    EXPECT_TRUE(WaitUntil([&] { return probeSaw(probe.Window(), QUILLORA_WM_SHELL_DESTROYED, app.hwnd); }))
        << "the closed window was not reported as destroyed";

    DWORD_PTR unhooked = 0;
    ASSERT_TRUE(SendMessageTimeoutA(probe.Window(), hookprobe::WM_PROBE_UNHOOK, 0, 0, SMTO_ABORTIFHUNG,
                                    kQueryTimeoutMs, &unhooked));
    EXPECT_EQ(unhooked, 1u);

    TestWindow late = StartTestWindow("--title LateApp");
    ASSERT_NE(late.hwnd, nullptr);
    // The hook reports a window before CreateWindowEx returns, and testwin
    // shows its window only after that: once it is visible, any report
    // would already have been handled.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(late.hwnd) != FALSE; }));
    for (HWND window : WindowsOf(late.process.Id())) {
        EXPECT_FALSE(probeSaw(probe.Window(), QUILLORA_WM_SHELL_CREATED, window)) << ClassOf(window);
    }
}
