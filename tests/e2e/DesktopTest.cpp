// What the desktop does around the shrunk windows: a restore that leaves a
// window where it stands, and a locked session.
#include <gtest/gtest.h>
#include <windows.h>
#include <wtsapi32.h>

#include "app/Messages.h"
#include "common/Running.h"

using namespace uitest;

// A window snapped to half the screen loses its snapped state at any move,
// even onto its own place: an original inside the screen whose stand-in
// nobody moved comes back exactly where it was.
TEST(Desktop, AnUnmovedOriginalInsideTheScreenComesBackExactlyWhereItWas) {
    ShrunkWindow setUp(Globals() + PixelRule(1, "InPlace", 4), Made::BeforeQuillora, {"InPlace"});
    ASSERT_TRUE(setUp.Ready());
    auto& [sink, w, q] = setUp;
    const RECT before = WindowRect(w.hwnd);
    const POINT c = Centre(PseudoOf(w.hwnd));
    MoveCursor(c.x, c.y);
    ASSERT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); }));
    const RECT after = WindowRect(w.hwnd);
    EXPECT_TRUE(EqualRect(&before, &after)) << after.left << "," << after.top << " instead of " << before.left << ","
                                            << before.top;
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
}

// The lock screen takes the foreground window and the cursor away; the
// window the user was working in must not be shrunk under it, nor come back
// flickering at the unlock.
TEST(Desktop, LockingTheComputerChangesNoWindowUntilItIsUnlocked) {
    ShrunkWindow setUp(Globals() + PixelRule(1, "InUse", 1), Made::BeforeQuillora, {"InUse"});
    ASSERT_TRUE(setUp.Ready());
    auto& [sink, w, q] = setUp;
    SetForegroundWindow(w.hwnd);  // the user works in it
    ASSERT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); }));

    // As the system reports it, then the foreground and the cursor go.
    q.Send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    sink.Take();
    EXPECT_FALSE(WaitFor([&] { return !IsRestored(w.hwnd); }, 1500)) << "shrunk under the lock screen";

    q.Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); })) << "out of use after the unlock, and not shrunk";
    SetForegroundWindow(w.hwnd);
    EXPECT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); })) << "activation after the unlock";
}
