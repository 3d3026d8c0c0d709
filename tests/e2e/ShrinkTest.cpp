// The running program shrinks matching windows of other programs, restores
// them under the cursor or on activation, and shrinks them again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "app/Messages.h"
#include "common/Running.h"
#include "common/TrayStandIn.h"

using namespace uitest;

namespace {

TestWindow Window(const std::string& title, int x, int y, const std::string& more = "") {
    return StartTestWindow(WindowSpec{title, x, y, 400, 300, more}.Args());
}

// Rests the cursor on the middle of the original's pseudo window until the
// original is back; returns where it came back.
RECT RestoreByHover(HWND original) {
    const POINT c = Centre(PseudoOf(original));
    MoveCursor(c.x, c.y);
    EXPECT_TRUE(WaitFor([&] { return IsRestored(original); })) << Text(original);
    return WindowRect(original);
}

RECT WorkAreaOf(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

bool Inside(const RECT& r, const RECT& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

TEST(Shrink, EachMatchMethodShrinksItsWindowAndLeavesTheOthersAlone) {
    FocusSink sink;
    TestWindow before = Window("ExactTitle", 20, 20);
    ASSERT_NE(before.hwnd, nullptr);
    const std::string ini = Globals() + PixelRule(1, "ExactTitle", 2) +
                            RuleSection(2, {"Explanation=class", "ClassName=quillora*class", "MatchMethod=1"}) +
                            RuleSection(3, {"Explanation=path", "AppName=\\\\testwin\\.exe$", "Title=^ByPath",
                                            "MatchMethod=2", "StretchDirection=4"});
    RunningQuillora q(ini);
    ASSERT_TRUE(q.Ok());

    TestWindow byClass = Window("AnyTitle", 460, 20, "--class QuilloraTestClass");
    TestWindow byPath = Window("ByPath-window", 20, 400);
    TestWindow unmatched = Window("Nothing", 460, 400);
    TestWindow untitled = StartTestWindow("--title \"\" --class QuilloraUntitledClass --x 700 --y 20");
    TestWindow hidden = StartTestWindow("--title ExactTitle --show hidden --x 700 --y 400", false);
    ASSERT_TRUE(byClass.hwnd && byPath.hwnd && unmatched.hwnd && untitled.hwnd && hidden.hwnd);
    sink.Take();

    for (HWND hwnd : {before.hwnd, byClass.hwnd, byPath.hwnd}) {
        EXPECT_TRUE(WaitFor([&] { return IsShrunk(hwnd); })) << Text(hwnd);
    }
    // Exact title, 200 x 150 pixels at the top-right corner.
    const RECT original = WindowRect(before.hwnd);
    const RECT pseudo = WindowRect(PseudoOf(before.hwnd));
    EXPECT_EQ(pseudo.right, original.right);
    EXPECT_EQ(pseudo.top, original.top);
    EXPECT_EQ(pseudo.right - pseudo.left, 200);
    EXPECT_EQ(pseudo.bottom - pseudo.top, 150);
    EXPECT_EQ(Text(PseudoOf(before.hwnd)), "ExactTitle");
    // Defaults of a section without size keys: 50 % x 50 %, Auto corner.
    const RECT classPseudo = WindowRect(PseudoOf(byClass.hwnd));
    EXPECT_EQ(classPseudo.right - classPseudo.left, 200);
    EXPECT_EQ(classPseudo.bottom - classPseudo.top, 150);
    // Bottom-right corner for the path rule.
    const RECT pathOriginal = WindowRect(byPath.hwnd);
    const RECT pathPseudo = WindowRect(PseudoOf(byPath.hwnd));
    EXPECT_EQ(pathPseudo.right, pathOriginal.right);
    EXPECT_EQ(pathPseudo.bottom, pathOriginal.bottom);

    for (HWND hwnd : {unmatched.hwnd, untitled.hwnd, hidden.hwnd, sink.Handle(), q.Main()}) {
        EXPECT_EQ(PseudoOf(hwnd), nullptr) << Text(hwnd);
        EXPECT_FALSE(HasExStyle(hwnd, WS_EX_LAYERED)) << Text(hwnd);
    }
}

TEST(Shrink, WindowsShownAfterTheirReportAreShrunkUnderTheirShownTitle) {
    FocusSink sink;
    RunningQuillora q(Globals() + PixelRule(1, "Late", 1) + PixelRule(2, "Final", 2) + PixelRule(3, "Never", 1));
    ASSERT_TRUE(q.Ok());
    TestWindow retitled = StartTestWindow("--title Draft --title-at-show Final --x 460 --y 20 --show-after 300", false);
    TestWindow never = StartTestWindow("--title Never --x 20 --y 400 --show hidden", false);
    TestWindow late = StartTestWindow("--title Late --x 20 --y 20 --show-after 1500", false);
    ASSERT_TRUE(late.hwnd && retitled.hwnd && never.hwnd);
    EXPECT_FALSE(IsWindowVisible(late.hwnd)) << "shown too early to test a late show";
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(late.hwnd) && IsWindowVisible(retitled.hwnd); }));
    sink.Take();

    EXPECT_TRUE(WaitFor([&] { return IsShrunk(late.hwnd); }));
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(retitled.hwnd); }));
    EXPECT_EQ(Text(PseudoOf(retitled.hwnd)), "Final");
    const RECT original = WindowRect(retitled.hwnd), pseudo = WindowRect(PseudoOf(retitled.hwnd));
    EXPECT_EQ(pseudo.right, original.right) << "not shrunk by the rule of its shown title";

    // One that stays hidden and goes away leaves nothing behind.
    EXPECT_EQ(PseudoOf(never.hwnd), nullptr);
    PostTestWindowCommand(never.hwnd, TestWindowCommand::Close);
    ASSERT_TRUE(never.process.WaitExit(5000));
    EXPECT_EQ(WindowsOf(q.Proc().Id(), "PseudoWindow").size(), 2u);
}

TEST(Shrink, WinesNotepadStartedLaterIsShrunkToTheRulesSize) {
    FocusSink sink;
    RunningQuillora q(Globals() + RuleSection(1, {"Explanation=Notepad", "AppName=*\\notepad.exe", "MatchMethod=1",
                                                   "StretchWidth=50", "StretchHeight=40", "StretchDirection=1"}));
    ASSERT_TRUE(q.Ok());
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    Process notepad = Start(std::string(windows) + "\\system32\\notepad.exe", "");
    ASSERT_TRUE(notepad);
    HWND hwnd = FindWindowOf(notepad.Id(), "Notepad", 15000);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(hwnd) != FALSE; }));
    sink.Take();

    ASSERT_TRUE(WaitFor([&] { return IsShrunk(hwnd); }, 15000));
    const RECT original = WindowRect(hwnd), pseudo = WindowRect(PseudoOf(hwnd));
    EXPECT_EQ(pseudo.right - pseudo.left, static_cast<int>((original.right - original.left) * 0.01 * 50));
    EXPECT_EQ(pseudo.bottom - pseudo.top, static_cast<int>((original.bottom - original.top) * 0.01 * 40));
    EXPECT_EQ(pseudo.left, original.left);
    EXPECT_EQ(pseudo.top, original.top);
    ASSERT_TRUE(q.Exit());
    EXPECT_TRUE(IsReleased(hwnd));
}

TEST(Shrink, ForegroundMaximisedAndMinimisedOriginals) {
    FocusSink sink;
    const std::string ini = Globals() + PixelRule(1, "Front", 1) + PixelRule(2, "Big", 1) + PixelRule(3, "Small", 1);
    RunningQuillora q(ini);
    ASSERT_TRUE(q.Ok());
    TestWindow big = Window("Big", 20, 20, "--show max");
    TestWindow small = Window("Small", 460, 20, "--show min");
    MoveCursor(1270, 1010);
    TestWindow front = Window("Front", 20, 400);
    ASSERT_TRUE(big.hwnd && small.hwnd && front.hwnd);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == front.hwnd; }));

    Pump(700);
    ASSERT_NE(PseudoOf(front.hwnd), nullptr);
    EXPECT_EQ(LayeredAlpha(front.hwnd), 255) << "the foreground original was shrunk";
    EXPECT_FALSE(IsWindowVisible(PseudoOf(front.hwnd)));
    ASSERT_NE(PseudoOf(big.hwnd), nullptr);
    EXPECT_EQ(LayeredAlpha(big.hwnd), 255) << "a maximised original was shrunk";
    ASSERT_NE(PseudoOf(small.hwnd), nullptr);
    EXPECT_FALSE(IsWindowVisible(PseudoOf(small.hwnd)));

    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(front.hwnd); }));

    // Closing an original removes its pseudo window at the next poll.
    HWND pseudo = PseudoOf(front.hwnd);
    PostTestWindowCommand(front.hwnd, TestWindowCommand::Close);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(pseudo); }));
}

TEST(Shrink, AnOriginalItsRunningProgramDestroysLosesItsPseudoWindowWhileNothingMoves) {
    // The program runs on, so no process ends, and nothing moves: the quiet
    // poll must still hear of the window's end. The shell reports it for an
    // unowned window, and for no owned one, and reports it while the window
    // still exists: the program takes its time over the end of its window.
    for (const char* more : {"", "--owned"}) {
        ShrunkWindow shrunk(Globals() + PixelRule(1, "Early", 1), Made::BeforeQuillora,
                            {"Early", 20, 20, 400, 300, more});
        ASSERT_TRUE(shrunk.Ready()) << more;
        const TestWindow& early = shrunk.window;
        HWND pseudo = PseudoOf(early.hwnd);
        Pump(1500);  // the poll settles into its quiet rhythm
        PostTestWindowCommand(early.hwnd, TestWindowCommand::DestroyAndLinger, 20000);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(early.hwnd); }));
        // The look once a second, then our own window's hiding (which Wine
        // under a bare X server drags out to 2 s before the window is gone).
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(pseudo); }, 1500))
            << "a destroyed original kept its pseudo window on screen " << more;
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(pseudo); }, 3000)) << more;
    }
}

TEST(Shrink, HoverRestoresAtTheCornerAndLeavingShrinksAgain) {
    ShrunkWindow shrunk(Globals() + PixelRule(1, "Hover", 4), Made::AfterQuillora, {"Hover", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    HWND pseudo = PseudoOf(w.hwnd);

    // Move the pseudo window (as a user would drag it) so the restore has to
    // follow it: the original's bottom-right goes to the pseudo window's.
    SetWindowPos(pseudo, nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT moved = WindowRect(pseudo);
    const RECT restored = RestoreByHover(w.hwnd);
    EXPECT_EQ(restored.right, moved.right);
    EXPECT_EQ(restored.bottom, moved.bottom);
    EXPECT_EQ(restored.right - restored.left, 400);

    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
}

TEST(Shrink, AnOriginalParkedAcrossTheScreenEdgeKeepsItsStandInOnTheScreenAndComesBackIntoView) {
    FocusSink sink;
    RunningQuillora q(Globals() + PixelRule(1, "Parked", 2) + PixelRule(2, "ParkedLeft", 1));
    ASSERT_TRUE(q.Ok());
    const RECT work = WorkAreaOf(q.Main());
    // Most of each window lies beyond the right edge; at the top left the
    // anchored corner itself is partly beyond it, at the top right wholly.
    const std::string across = std::to_string(work.right - 130);
    TestWindow right = StartTestWindow("--title Parked --x " + across + " --y 60 --w 700 --h 400");
    TestWindow left = StartTestWindow("--title ParkedLeft --x " + across + " --y 520 --w 700 --h 400");
    ASSERT_TRUE(right.hwnd && left.hwnd);
    sink.Take();
    for (HWND hwnd : {right.hwnd, left.hwnd}) {
        ASSERT_TRUE(WaitFor([&] { return IsShrunk(hwnd); })) << Text(hwnd);
        const RECT original = WindowRect(hwnd), pseudo = WindowRect(PseudoOf(hwnd));
        EXPECT_EQ(pseudo.right, work.right) << Text(hwnd) << ": the stand-in is not moved just inside";
        EXPECT_EQ(pseudo.top, original.top) << Text(hwnd);
        EXPECT_EQ(pseudo.right - pseudo.left, 200) << Text(hwnd);
        EXPECT_EQ(pseudo.bottom - pseudo.top, 150) << Text(hwnd);
    }

    // A hover brings each original back wholly in view, its size kept: at
    // the top right its corner is the stand-in's; at the top left it moves
    // back from the edge no further than that takes.
    for (HWND hwnd : {right.hwnd, left.hwnd}) {
        const RECT pseudo = WindowRect(PseudoOf(hwnd));
        const RECT restored = RestoreByHover(hwnd);
        EXPECT_TRUE(Inside(restored, work)) << Text(hwnd);
        EXPECT_EQ(restored.right, pseudo.right) << Text(hwnd);
        EXPECT_EQ(restored.top, pseudo.top) << Text(hwnd);
        EXPECT_EQ(restored.right - restored.left, 700) << Text(hwnd);
        Pump(300);
        EXPECT_TRUE(IsRestored(hwnd)) << Text(hwnd) << ": the restored original is not under the cursor";
        sink.Take();
        ASSERT_TRUE(WaitFor([&] { return IsShrunk(hwnd); })) << Text(hwnd);
    }
}

TEST(Shrink, MarginAndSensitivityKeepTheOriginalShrunk) {
    // Margin 60 on a pseudo window of about 290 x 220 client pixels.
    ShrunkWindow shrunk(Globals(1, 60, 30) + RuleSection(1, {"Title=Margin", "MatchMethod=0", "StretchWidth=300",
                                                              "StretchHeight=250", "StretchWidthUnit=1",
                                                              "StretchHeightUnit=1", "StretchDirection=1"}),
                        Made::AfterQuillora, {"Margin", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    const TestWindow& w = shrunk.window;
    HWND pseudo = PseudoOf(w.hwnd);
    POINT edge{20, 20};
    ClientToScreen(pseudo, &edge);
    MoveCursor(edge.x, edge.y);
    Pump(600);
    EXPECT_TRUE(IsShrunk(w.hwnd)) << "restored within the margin";

    POINT inner{100, 80};
    ClientToScreen(pseudo, &inner);
    MoveCursor(inner.x, inner.y);
    EXPECT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); })) << "the inner band restores";
}

TEST(Shrink, MovingAtSensitivityOrMorePerPollDoesNotRestore) {
    // Sensitivity 1: only a cursor that stood still since the last poll counts.
    ShrunkWindow shrunk(Globals(1, 0, 1) + PixelRule(1, "Moving", 1), Made::AfterQuillora, {"Moving", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    const TestWindow& w = shrunk.window;
    const POINT c = Centre(PseudoOf(w.hwnd));
    const DWORD start = GetTickCount();
    DWORD lastMove = start, longestPause = 0;
    for (int i = 0; GetTickCount() - start < 1200; ++i) {
        const double a = i * 0.37;
        MoveCursor(c.x + static_cast<int>(40 * std::cos(a)), c.y + static_cast<int>(40 * std::sin(a)));
        const DWORD now = GetTickCount();
        longestPause = std::max(longestPause, now - lastMove);
        lastMove = now;
        Sleep(7);
        // On a loaded machine this thread may stall for a whole poll, and a
        // cursor at rest for a poll rightly restores.
        if (!IsShrunk(w.hwnd)) {
            ASSERT_GT(longestPause, 90u) << "restored while the cursor kept moving";
            break;
        }
    }
    EXPECT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); })) << "resting restores";
}

TEST(Shrink, LeftClickRuleRestoresOnClickNotOnHover) {
    ShrunkWindow shrunk(Globals() + PixelRule(1, "Click", 1, "StretchRestoreMethod=1"), Made::AfterQuillora,
                        {"Click", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    const POINT c = Centre(PseudoOf(w.hwnd));
    MoveCursor(c.x, c.y);
    Pump(600);
    EXPECT_TRUE(IsShrunk(w.hwnd)) << "hover restored a left-click rule";
    MouseButton(true);
    MouseButton(false);
    EXPECT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); }));
}

TEST(Shrink, BringingAShrunkOriginalToTheFrontRestoresItOrRaisesItsPseudoWindow) {
    for (int activeRestore : {1, 0}) {
        ShrunkWindow shrunk(Globals(activeRestore) + PixelRule(1, "Activate", 1), Made::AfterQuillora,
                            {"Activate", 100, 100});
        ASSERT_TRUE(shrunk.Ready());
        auto& [sink, w, q] = shrunk;
        HWND pseudo = PseudoOf(w.hwnd);
        SetWindowPos(sink.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        // As a click on its taskbar button or Alt+Tab would.
        SetForegroundWindow(w.hwnd);
        if (activeRestore) {
            EXPECT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); })) << "the window in front stayed invisible";
            continue;
        }
        const auto pseudoAboveSink = [&] {
            for (HWND z = GetTopWindow(nullptr); z; z = GetWindow(z, GW_HWNDNEXT)) {
                if (z == pseudo) return true;
                if (z == sink.Handle()) return false;
            }
            return false;
        };
        EXPECT_TRUE(WaitFor(pseudoAboveSink, 1000)) << "the pseudo window was not raised above the other windows";
        EXPECT_EQ(LayeredAlpha(w.hwnd), 0);
        EXPECT_TRUE(IsWindowVisible(pseudo));
        EXPECT_FALSE(HasExStyle(pseudo, WS_EX_TOPMOST));
    }
}

TEST(Shrink, TheShellsReportOfAnActivationRestoresAtOnce) {
    // Where the shell reports activations (Windows), the report restores the
    // original before the poll sees the new foreground window.
    ShrunkWindow shrunk(Globals() + PixelRule(1, "Reported", 1), Made::AfterQuillora, {"Reported", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    q.Send(quillora::WM_SHELL_ACTIVATED, reinterpret_cast<WPARAM>(w.hwnd));
    EXPECT_TRUE(IsRestored(w.hwnd));
}

TEST(Shrink, AnOriginalMinimisedByAnotherProgramHidesItsPseudoWindowAndGetsItBackWhenRestored) {
    // Nothing else happens meanwhile: no input, no change of the foreground
    // window, and under Wine no report from the shell. Hiding a window keeps
    // Quillora busy for two seconds under Wine without a window manager: each
    // step starts once it is done with the last one.
    ShrunkWindow shrunk(Globals() + PixelRule(1, "Minimised", 1), Made::AfterQuillora, {"Minimised", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    HWND pseudo = PseudoOf(w.hwnd);
    const auto minimise = [&] {
        q.Send(WM_NULL);
        Pump(1500);  // the poll settles into its quiet rhythm
        ShowWindow(w.hwnd, SW_SHOWMINNOACTIVE);
        return IsIconic(w.hwnd) && WaitFor([&] { return !IsWindowVisible(pseudo); }, 1300);
    };
    ASSERT_TRUE(minimise()) << "a minimised original kept its stand-in";

    // Brought back without being activated: neither in front nor under the
    // cursor, it is shrunk again, its stand-in in view.
    q.Send(WM_NULL);
    Pump(1500);
    ShowWindow(w.hwnd, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }, 1300)) << "the restored original stayed out of sight";

    // Brought back as the taskbar does: in front and in view, and shrunk
    // again once it leaves the front.
    ASSERT_TRUE(minimise());
    q.Send(WM_NULL);
    ShowWindow(w.hwnd, SW_RESTORE);
    SetForegroundWindow(w.hwnd);
    ASSERT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); })) << "the window in front stayed invisible";
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
}

TEST(Shrink, AQuietOriginalInFrontIsShrunkAgainWithinAFewPollsOfLosingTheForeground) {
    // Only the foreground changes: no input, no window event, the cursor at
    // rest away from the original. A poll that saw the change only at its
    // once-a-second look would take up to a second; one that asks at every
    // poll takes 40 to 150 ms here.
    ShrunkWindow shrunk(Globals() + PixelRule(1, "Front", 1), Made::AfterQuillora, {"Front", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    // Two prompt rounds of three: one stalled by a busy machine is forgiven.
    int prompt = 0;
    for (int round = 0; round < 3; ++round) {
        SetForegroundWindow(w.hwnd);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == w.hwnd && IsRestored(w.hwnd); }));
        Pump(1500);  // the poll settles into its quiet rhythm
        ASSERT_TRUE(IsRestored(w.hwnd)) << "the original in front was shrunk";
        SetForegroundWindow(sink.Handle());
        if (WaitFor([&] { return IsShrunk(w.hwnd); }, 400)) ++prompt;
        ASSERT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
    }
    EXPECT_GE(prompt, 2);
}

TEST(Shrink, FramedProportionalPseudoWindowKeepsItsProportionsUntilTheUserResizesIt) {
    ShrunkWindow shrunk(Globals() + RuleSection(1, {"Title=Ratio", "MatchMethod=0", "StretchWidth=200",
                                                     "StretchHeight=50", "StretchWidthUnit=1", "StretchHeightUnit=1",
                                                     "Coratio=1", "StretchDirection=1"}),
                        Made::AfterQuillora, {"Ratio", 100, 100, 601, 401});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    const auto pseudoSize = [&] {
        const RECT rc = WindowRect(PseudoOf(w.hwnd));
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    };
    const auto restoreAndShrinkAgain = [&] {
        const POINT c = Centre(PseudoOf(w.hwnd));
        MoveCursor(c.x, c.y);
        EXPECT_TRUE(WaitFor([&] { return IsRestored(w.hwnd); }));
        sink.Take();
        EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
    };
    EXPECT_EQ(pseudoSize().cx, 200);
    EXPECT_EQ(pseudoSize().cy, 133) << "200 / 601 * 401, not the rule's own height";
    restoreAndShrinkAgain();
    EXPECT_EQ(pseudoSize().cy, 133);

    // The user drags the right border: that size is learned and the
    // proportions no longer count.
    HWND pseudo = PseudoOf(w.hwnd);
    const RECT before = WindowRect(pseudo);
    const int y = (before.top + before.bottom) / 2;
    MoveCursor(before.right - 2, y);
    Pump(150);
    MouseButton(true);
    for (int dx = 10; dx <= 80; dx += 10) {
        MoveCursor(before.right - 2 + dx, y);
        Pump(30);
    }
    MouseButton(false);
    // The border follows the cursor, 2 pixels beyond it, once the drag's
    // moves have all been handled.
    ASSERT_TRUE(WaitFor([&] { return WindowRect(pseudo).right == before.right + 80; })) << "the border drag did not resize";
    RECT client{};
    GetClientRect(pseudo, &client);
    restoreAndShrinkAgain();
    EXPECT_EQ(pseudoSize().cx, client.right);
    EXPECT_EQ(pseudoSize().cy, client.bottom) << "the learned height, not the proportions";
}

TEST(Shrink, AChangeOfDisplayPlacesShrunkStandInsAgainAndReloadsTheTrayIcon) {
    ShrunkWindow shrunk(Globals() + RuleSection(1, {"Title=Rescaled", "MatchMethod=0", "StretchWidth=50",
                                                   "StretchHeight=50", "StretchWidthUnit=0", "StretchHeightUnit=0",
                                                   "StretchDirection=2"}), Made::AfterQuillora, {"Rescaled", 100, 100});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    TrayStandIn tray;
    // What the system sends when the display or the work area changed.
    const std::tuple<UINT, WPARAM, LPARAM> changes[] = {{WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024)},
                                                         {WM_SETTINGCHANGE, SPI_SETWORKAREA, 0}};
    int width = 400;
    for (const auto& [msg, wp, lp] : changes) {
        // As the system (or the program) resizes a window for a new scale.
        width += 200;
        const int height = width * 3 / 4;
        SetWindowPos(w.hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump(300);
        EXPECT_NE(WindowRect(PseudoOf(w.hwnd)).right, WindowRect(w.hwnd).right) << "placed before the change " << msg;
        const int modified = tray.Taken(NIM_MODIFY);
        q.Send(msg, wp, lp);
        EXPECT_TRUE(WaitFor([&] {
            const RECT original = WindowRect(w.hwnd), pseudo = WindowRect(PseudoOf(w.hwnd));
            return pseudo.right - pseudo.left == width / 2 && pseudo.bottom - pseudo.top == height / 2 &&
                   pseudo.right == original.right && pseudo.top == original.top;
        })) << "not placed again after " << msg;
        EXPECT_TRUE(IsShrunk(w.hwnd));
        EXPECT_TRUE(WaitUntil([&] { return tray.Taken(NIM_MODIFY) > modified; })) << "icon not reloaded after " << msg;
        EXPECT_EQ(tray.LastIconSize().cx, GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(tray.LastIconSize().cy, GetSystemMetrics(SM_CYSMICON));
    }
}

// Above 100 % (the test command runs this at 144 DPI) Quillora works in
// physical pixels: a 50 % pseudo window is half the original's real size,
// also for a program written before display scaling, whose window the system
// scales; the hover margin of 30 stored pixels grows with the monitor's scale.
TEST(Shrink, AtHighDpiPseudoWindowsHalveThePhysicalSizeAndTheMarginScales) {
    const int dpi = SystemDpi();
    if (dpi <= 96) GTEST_SKIP() << "needs a display scale above 100 %";
    FocusSink sink;
    RunningQuillora q(Globals(1, 30, 30) + RuleSection(1, {"Title=Scaled*", "MatchMethod=1", "StretchWidth=50",
                                                           "StretchHeight=50", "StretchWidthUnit=0",
                                                           "StretchHeightUnit=0", "StretchDirection=2"}));
    ASSERT_TRUE(q.Ok());
    TestWindow aware = Window("Scaled", 40, 480, "--w 600 --h 450");
    TestWindow legacy = Window("ScaledLegacy", 400, 80, "--w 300 --h 200 --dpi-unaware");
    ASSERT_TRUE(aware.hwnd && legacy.hwnd);
    sink.Take();
    for (const auto& [hwnd, width, height] : {std::tuple{aware.hwnd, 600, 450},
                                              std::tuple{legacy.hwnd, MulDiv(300, dpi, 96), MulDiv(200, dpi, 96)}}) {
        ASSERT_TRUE(WaitFor([&] { return IsShrunk(hwnd); })) << Text(hwnd);
        const RECT original = WindowRect(hwnd), shrunk = WindowRect(PseudoOf(hwnd));
        EXPECT_EQ(original.right - original.left, width) << Text(hwnd);
        EXPECT_EQ(original.bottom - original.top, height) << Text(hwnd);
        EXPECT_EQ(shrunk.right - shrunk.left, width / 2) << Text(hwnd);
        EXPECT_EQ(shrunk.bottom - shrunk.top, height / 2) << Text(hwnd);
        EXPECT_EQ(shrunk.right, original.right) << Text(hwnd);
        EXPECT_EQ(shrunk.top, original.top) << Text(hwnd);
    }

    // Beyond the stored margin but within the scaled one (45 at 144 DPI).
    HWND pseudo = PseudoOf(aware.hwnd);
    const RECT shrunk = WindowRect(pseudo);
    RECT client{};
    GetClientRect(pseudo, &client);
    POINT band{(30 + MulDiv(30, dpi, 96)) / 2, client.bottom / 2};
    ClientToScreen(pseudo, &band);
    MoveCursor(band.x, band.y);
    Pump(600);
    EXPECT_TRUE(IsShrunk(aware.hwnd)) << "restored within the scaled margin";

    const RECT restored = RestoreByHover(aware.hwnd);
    EXPECT_EQ(restored.right, shrunk.right);
    EXPECT_EQ(restored.top, shrunk.top);
    EXPECT_EQ(restored.right - restored.left, 600);
}
