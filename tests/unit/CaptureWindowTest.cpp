// The green capture frame: its native window and how it follows windows.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/Harness.h"
#include "common/Pump.h"
#include "ui/CaptureWindow.h"

using quillora::CaptureWindow;
using quillora::OutermostVisibleAncestor;
using uitest::WindowRect;

namespace {

// A visible top-level window of this process with one child button.
struct Host {
    HWND top = nullptr;
    HWND child = nullptr;
    Host(int x, int y) {
        top = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, 300, 200, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
        child = CreateWindowExA(0, "BUTTON", "child", WS_CHILD | WS_VISIBLE, 50, 50, 100, 40, top, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    ~Host() { DestroyWindow(top); }
};

}  // namespace

TEST(CaptureWindow, NativeWindowHasTheFrameClassAndStyles) {
    CaptureWindow frame;
    ASSERT_TRUE(frame.Create(nullptr));
    ASSERT_TRUE(frame.Exists());
    char name[64] = {};
    GetClassNameA(frame.Handle(), name, sizeof name);
    EXPECT_STREQ(name, "CaptureWindow");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(frame.Handle(), GWL_STYLE)) & 0x90000000u, 0x90000000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(frame.Handle(), GWL_EXSTYLE)) & 0x88u, 0x88u);
    EXPECT_EQ(GetClassLongPtrA(frame.Handle(), GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    frame.Destroy();
    EXPECT_FALSE(frame.Exists());
}

TEST(CaptureWindow, FilterClimbsToTheOutermostVisibleWindow) {
    Host host(200, 200);
    EXPECT_EQ(OutermostVisibleAncestor(host.child), host.top);
    EXPECT_EQ(OutermostVisibleAncestor(host.top), host.top);
    EXPECT_EQ(OutermostVisibleAncestor(nullptr), nullptr);
    ShowWindow(host.top, SW_HIDE);
    EXPECT_EQ(OutermostVisibleAncestor(host.child), nullptr);
}

TEST(CaptureWindow, FollowsTheTopLevelWindowUnderTheCursorAndKeepsTargetAcrossRecreation) {
    Host host(150, 150);
    CaptureWindow frame;
    ASSERT_TRUE(frame.Create(nullptr));
    SetCursorPos(150 + 100, 150 + 70);  // over the child button
    ASSERT_TRUE(uitest::WaitUntil([&] { return frame.Target() == host.top; }, 3000));
    const RECT target = WindowRect(host.top);
    ASSERT_TRUE(uitest::WaitUntil([&] { const RECT now = WindowRect(frame.Handle());
        return EqualRect(&target, &now) != 0; }, 3000));
    // Only a hollow frame takes part in hit testing.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(frame.Handle(), rgn), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(rgn, 150, 100));
    EXPECT_TRUE(PtInRegion(rgn, 1, 100));
    // Three pixels wide at 96 DPI, scaled with the monitor (5 at 144 DPI).
    HDC screen = GetDC(nullptr);
    const int width = MulDiv(CaptureWindow::kFrameWidth, GetDeviceCaps(screen, LOGPIXELSX), 96);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(PtInRegion(rgn, width - 1, 100));
    EXPECT_FALSE(PtInRegion(rgn, width, 100));
    DeleteObject(rgn);

    frame.Destroy();
    EXPECT_EQ(frame.Target(), host.top);
    ASSERT_TRUE(frame.Create(nullptr));
    EXPECT_EQ(frame.Target(), host.top);
}
