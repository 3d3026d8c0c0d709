// Windows reported while hidden are held until they are shown, destroyed or
// too old, once each.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/PendingWindows.h"

using quillora::PendingWindows;

namespace {

HWND hiddenWindow() {
    return CreateWindowExA(0, "STATIC", "pending", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

TEST(PendingWindows, HoldsEachWindowOnceUntilShownDestroyedOrTooOld) {
    HWND shownLater = hiddenWindow(), destroyed = hiddenWindow(), forgotten = hiddenWindow();
    ASSERT_TRUE(shownLater && destroyed && forgotten);
    const DWORD t0 = 0xFFFFF000;  // the tick count wraps around while they wait
    PendingWindows pending;
    pending.Add(shownLater, t0);
    pending.Add(destroyed, t0);
    pending.Add(forgotten, t0);
    pending.Add(shownLater, t0 + 5000);
    EXPECT_EQ(pending.Size(), 3u);

    EXPECT_TRUE(pending.TakeShown(t0 + 100).empty());
    EXPECT_EQ(pending.Size(), 3u);

    DestroyWindow(destroyed);
    ShowWindow(shownLater, SW_SHOWNOACTIVATE);
    EXPECT_EQ(pending.TakeShown(t0 + PendingWindows::kPatienceMs - 1), std::vector<HWND>{shownLater});
    EXPECT_EQ(pending.Size(), 1u) << "the destroyed window is still held";

    EXPECT_TRUE(pending.TakeShown(t0 + PendingWindows::kPatienceMs).empty());
    EXPECT_TRUE(pending.Empty()) << "a window hidden for the whole patience is still held";
    DestroyWindow(shownLater);
    DestroyWindow(forgotten);
}
