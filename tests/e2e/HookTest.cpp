// The shell-hook library across processes: windows that another program
// creates and destroys reach the target window until the hook is removed,
// whether the hook was installed by the target's thread or by a thread of
// its own; only the program's own window receives them, whatever the shared
// section says; and the hooks installed before it still hear every event.
#include <gtest/gtest.h>

#include "common/Harness.h"
#include "hook/QuilloraHelper.h"
#include "tools/HookProbe.h"

using namespace uitest;

namespace {

constexpr UINT kQueryTimeoutMs = 5000;

// How many times the probe's window received that report about `window`.
DWORD_PTR timesSeen(HWND probe, UINT shellMessage, HWND window) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(probe, hookprobe::WM_PROBE_SEEN, shellMessage, reinterpret_cast<LPARAM>(window),
                        SMTO_ABORTIFHUNG, kQueryTimeoutMs, &answer);
    return answer;
}

bool probeSaw(HWND probe, UINT shellMessage, HWND window) { return timesSeen(probe, shellMessage, window) > 0; }

// testwin handles posted messages only in its message loop, after it has
// created and shown its window: once it has taken the posted title, the
// hook's reports about that window have all been sent.
bool waitUntilSettled(HWND app) {
    const ATOM marker = GlobalAddAtomA("settled");
    PostTestWindowCommand(app, TestWindowCommand::Retitle, marker);
    const bool settled = WaitUntil([&] { return Text(app) == "settled"; });
    GlobalDeleteAtom(marker);
    return settled;
}

class HookProbe {
public:
    explicit HookProbe(const std::string& args = "") : process_(Start(BinDir() + "\\hookprobe.exe", args)) {
        if (process_) window_ = FindWindowOf(process_.Id(), hookprobe::kWindowClass, 10000);
    }
    ~HookProbe() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        process_.WaitExit(10000);
    }
    HookProbe(const HookProbe&) = delete;
    HookProbe& operator=(const HookProbe&) = delete;

    HWND Window() const { return window_; }
    DWORD Id() const { return process_.Id(); }
    bool Hooked() const {
        return WaitUntil([&] { return Text(window_) == hookprobe::kHookedTitle; });
    }

private:
    Process process_;
    HWND window_ = nullptr;
};

}  // namespace

class ShellHookFrom : public ::testing::TestWithParam<const char*> {};

TEST_P(ShellHookFrom, WindowsOfAnotherProgramReachTheTargetUntilUnhooked) {
    HookProbe probe(GetParam());
    ASSERT_NE(probe.Window(), nullptr);
    ASSERT_TRUE(probe.Hooked()) << Text(probe.Window());

    TestWindow app = StartTestWindow("--title HookedApp");
    ASSERT_NE(app.hwnd, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return probeSaw(probe.Window(), QUILLORA_WM_SHELL_CREATED, app.hwnd); }))
        << "the new window was not reported as created";
    EXPECT_FALSE(probeSaw(probe.Window(), QUILLORA_WM_SHELL_DESTROYED, app.hwnd));

    PostTestWindowCommand(app.hwnd, TestWindowCommand::Close);
    EXPECT_TRUE(WaitUntil([&] { return probeSaw(probe.Window(), QUILLORA_WM_SHELL_DESTROYED, app.hwnd); }))
        << "the closed window was not reported as destroyed";

    DWORD_PTR unhooked = 0;
    ASSERT_TRUE(SendMessageTimeoutA(probe.Window(), hookprobe::WM_PROBE_UNHOOK, 0, 0, SMTO_ABORTIFHUNG,
                                    kQueryTimeoutMs, &unhooked));
    EXPECT_EQ(unhooked, 1u);

    TestWindow late = StartTestWindow("--title LateApp");
    ASSERT_NE(late.hwnd, nullptr);
    ASSERT_TRUE(waitUntilSettled(late.hwnd));
    for (HWND window : WindowsOf(late.process.Id())) {
        EXPECT_FALSE(probeSaw(probe.Window(), QUILLORA_WM_SHELL_CREATED, window)) << ClassOf(window);
    }
}

// The target's own thread, and a thread that does nothing but pump, as the
// program installs it.
INSTANTIATE_TEST_SUITE_P(ShellHook, ShellHookFrom, ::testing::Values("", hookprobe::kOwnThreadSwitch),
                         [](const auto& info) { return std::string(*info.param ? "OwnThread" : "TargetThread"); });

// Any process that maps the library can write its shared section: a target
// of another class must not receive other programs' windows.
TEST(ShellHook, AForgedTargetReceivesNoReports) {
    HookProbe probe;
    ASSERT_NE(probe.Window(), nullptr);
    ASSERT_TRUE(probe.Hooked()) << Text(probe.Window());
    const HWND decoy = FindWindowOf(probe.Id(), hookprobe::kDecoyClass);
    ASSERT_NE(decoy, nullptr);

    DWORD_PTR forged = 0;
    ASSERT_TRUE(SendMessageTimeoutA(probe.Window(), hookprobe::WM_PROBE_FORGE_TARGET, 0, 0, SMTO_ABORTIFHUNG,
                                    kQueryTimeoutMs, &forged));
    ASSERT_EQ(forged, 1u) << "the shared section was not found";

    TestWindow app = StartTestWindow("--title ForgedTargetApp");
    ASSERT_NE(app.hwnd, nullptr);
    ASSERT_TRUE(waitUntilSettled(app.hwnd));
    EXPECT_FALSE(probeSaw(decoy, QUILLORA_WM_SHELL_CREATED, app.hwnd)) << "a forged target received the report";
}

// A shell hook installed before the program's (a taskbar tool, a window
// manager) must go on hearing every event. Here the earlier hook is the same
// library installed by a first probe: the second probe's window then hears
// each report twice, once from its own hook and once passed down the chain.
TEST(ShellHook, TheHooksInstalledBeforeHearEveryEvent) {
    HookProbe earlier;
    ASSERT_TRUE(earlier.Window() && earlier.Hooked()) << Text(earlier.Window());
    HookProbe later(hookprobe::kOwnThreadSwitch);
    ASSERT_TRUE(later.Window() && later.Hooked()) << Text(later.Window());

    TestWindow app = StartTestWindow("--title ChainedApp");
    ASSERT_NE(app.hwnd, nullptr);
    ASSERT_TRUE(waitUntilSettled(app.hwnd));
    EXPECT_TRUE(WaitUntil([&] { return timesSeen(later.Window(), QUILLORA_WM_SHELL_CREATED, app.hwnd) == 2; }))
        << "reported " << timesSeen(later.Window(), QUILLORA_WM_SHELL_CREATED, app.hwnd) << " time(s)";
}
