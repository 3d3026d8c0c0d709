// Which windows the user can see and which belong to the shell, what the
// compositor says of a window, and the user's primary mouse button.
#include <gtest/gtest.h>
#include <windows.h>

#include "pseudo/Visibility.h"
#include "win/Dwm.h"
#include "win/Mouse.h"
#include "win/ShellWindows.h"

using quillora::StandInChange;

namespace {

// A visible top-level window of this process, of class `className`.
class OwnWindow {
public:
    explicit OwnWindow(const char* className = "STATIC") {
        handle_ = CreateWindowExA(0, className, "desktop test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 80, 500, 400,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~OwnWindow() {
        if (handle_) DestroyWindow(handle_);
    }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    HWND get() const { return handle_; }

private:
    HWND handle_ = nullptr;
};

}  // namespace

TEST(ShellWindows, TaskbarsAndTheDesktopAreKnownByClass) {
    for (const char* name : {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman", "WorkerW", "shell_traywnd", "PROGMAN"}) {
        EXPECT_TRUE(win::IsShellClassName(name)) << name;
    }
    for (const char* name : {"", "Notepad", "Shell_TrayWndX", "Shell_", "WorkerA", "CabinetWClass", "TrayNotifyWnd"}) {
        EXPECT_FALSE(win::IsShellClassName(name)) << name;
    }
}

TEST(ShellWindows, AWindowIsAskedByItsClass) {
    // A desktop icon layer made anew, as after an Explorer restart: no handle
    // taken earlier knows it.
    WNDCLASSA workerClass{};
    workerClass.lpfnWndProc = DefWindowProcA;
    workerClass.hInstance = GetModuleHandleA(nullptr);
    workerClass.lpszClassName = "WorkerW";
    ASSERT_NE(RegisterClassA(&workerClass), 0);
    {
        OwnWindow worker("WorkerW");
        ASSERT_NE(worker.get(), nullptr);
        EXPECT_TRUE(win::IsShellWindow(worker.get()));
        OwnWindow other;
        EXPECT_FALSE(win::IsShellWindow(other.get()));
    }
    UnregisterClassA("WorkerW", GetModuleHandleA(nullptr));
    EXPECT_FALSE(win::IsShellWindow(nullptr));
    // Wine's explorer makes a taskbar where there is no desktop of its own.
    if (HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr)) {
        EXPECT_TRUE(win::IsShellWindow(taskbar));
    }
}

TEST(Mouse, PrimaryButtonFollowsTheSwap) {
    EXPECT_EQ(win::PrimaryButtonKey(false), VK_LBUTTON);
    EXPECT_EQ(win::PrimaryButtonKey(true), VK_RBUTTON);
    // The user's setting as the system reads it, put back whatever happens.
    struct Unswap {
        BOOL was = SwapMouseButton(TRUE);
        ~Unswap() { SwapMouseButton(was); }
    } swapped;
    if (!GetSystemMetrics(SM_SWAPBUTTON)) GTEST_SKIP() << "the buttons cannot be swapped here";
    EXPECT_EQ(win::PrimaryButtonKey(), VK_RBUTTON);
    SwapMouseButton(FALSE);
    EXPECT_EQ(win::PrimaryButtonKey(), VK_LBUTTON);
}

TEST(Visibility, OnlyAVisibleWindowOutOfNoCloakIsShrunk) {
    EXPECT_TRUE(quillora::MayBeShrunk(true, false));
    EXPECT_FALSE(quillora::MayBeShrunk(true, true));  // another virtual desktop, a suspended app
    EXPECT_FALSE(quillora::MayBeShrunk(false, false));
    EXPECT_FALSE(quillora::MayBeShrunk(false, true));
}

TEST(Visibility, StandInHidesWhileItsOriginalIsOutOfSightAndComesBack) {
    struct Case {
        bool minimised, cloaked, transparent, shown;
        StandInChange change;
    };
    const Case cases[] = {
        // Shrunk and in sight: as it is.
        {false, false, true, true, StandInChange::Leave},
        // The user went to another desktop, or the original was minimised.
        {false, true, true, true, StandInChange::Hide},
        {true, false, true, true, StandInChange::Hide},
        {true, true, true, true, StandInChange::Hide},
        {true, false, false, true, StandInChange::Hide},
        // Hidden already while out of sight.
        {false, true, true, false, StandInChange::Leave},
        {true, false, false, false, StandInChange::Leave},
        {true, true, true, false, StandInChange::Leave},
        // Back on its desktop, still transparent: its stand-in shows again.
        {false, false, true, false, StandInChange::Show},
        // Restored over its stand-in, or given back opaque: not this decision's.
        {false, false, false, false, StandInChange::Leave},
        {false, true, false, false, StandInChange::Leave},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quillora::StandInChangeFor(c.minimised, c.cloaked, c.transparent, c.shown), c.change)
            << "minimised " << c.minimised << ", cloaked " << c.cloaked << ", transparent " << c.transparent
            << ", shown " << c.shown;
    }
}

// Under Wine, without a compositor, the frame is the window rectangle and
// nothing is cloaked: the program behaves as before.
TEST(Dwm, FrameAndCloakOfAPlainWindowAndOfOneThatIsGone) {
    HWND window = CreateWindowExA(0, "STATIC", "desktop test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 80, 500, 400,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    RECT rect{}, frame{};
    GetWindowRect(window, &rect);
    ASSERT_TRUE(win::VisibleFrameOf(window, frame));
    // The visible frame lies within the rectangle, each border at most a few
    // scaled pixels wide.
    EXPECT_GE(frame.left, rect.left);
    EXPECT_EQ(frame.top, rect.top);
    EXPECT_LE(frame.right, rect.right);
    EXPECT_LE(frame.bottom, rect.bottom);
    EXPECT_LE(rect.right - frame.right + frame.left - rect.left, 2 * 16);
    EXPECT_FALSE(win::IsCloaked(window));

    HWND gone = window;
    DestroyWindow(gone);
    RECT untouched{1, 2, 3, 4};
    EXPECT_FALSE(win::VisibleFrameOf(gone, untouched));
    EXPECT_EQ(untouched.left, 1);
    EXPECT_FALSE(win::IsCloaked(gone));
}
