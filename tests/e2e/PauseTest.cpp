// Pause, resume, exit, quick capture and recovery after an abrupt end.
#include <gtest/gtest.h>

#include "app/Messages.h"
#include "common/Running.h"

using namespace uitest;

using quillora::ID_PAUSE_RESUME;
using quillora::kTrayIconId;
using quillora::WM_TRAY_NOTIFY;

TEST(Pause, PauseGivesEveryOriginalBackAndResumeShrinksAgain) {
    FocusSink sink;
    RunningQuillora q(Globals() + TitleRule(1, "PlainWin") + TitleRule(2, "LayeredWin") +
                      TitleRule(3, "LaterWin"));
    ASSERT_TRUE(q.Ok());
    TestWindow plain = SmallTestWindow("PlainWin", 20, 20);
    TestWindow layered = SmallTestWindow("LayeredWin", 400, 20, "--layered");
    ASSERT_TRUE(plain.hwnd && layered.hwnd);
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(plain.hwnd) && IsShrunk(layered.hwnd); }));
    HWND oldPseudo = PseudoOf(plain.hwnd);

    q.Send(WM_COMMAND, ID_PAUSE_RESUME);
    EXPECT_TRUE(IsReleased(plain.hwnd, false));
    EXPECT_TRUE(IsReleased(layered.hwnd, true));
    EXPECT_FALSE(IsWindow(oldPseudo));

    TestWindow later = SmallTestWindow("LaterWin", 20, 400);
    ASSERT_NE(later.hwnd, nullptr);
    sink.Take();
    Pump(500);
    EXPECT_EQ(PseudoOf(later.hwnd), nullptr) << "a window was matched while paused";

    // Resume through a double click on the tray icon.
    q.Send(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK);
    for (HWND hwnd : {plain.hwnd, layered.hwnd, later.hwnd}) {
        EXPECT_TRUE(WaitFor([&] { return IsShrunk(hwnd); })) << Text(hwnd);
    }
    q.Send(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK);  // pause again by double click
    EXPECT_TRUE(IsReleased(later.hwnd));
}

TEST(Pause, ExitWhileRunningGivesEverythingBackWritesTheSettingsAndEndsTheGuard) {
    ShrunkWindow shrunk(Globals() + TitleRule(1, "ExitWin"), Made::AfterQuillora, {"ExitWin", 20, 20, 300, 200});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    Process guard = GuardOf(q.Proc());
    ASSERT_TRUE(guard);
    DWORD code = 1;
    ASSERT_TRUE(q.Exit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(IsReleased(w.hwnd));
    EXPECT_TRUE(guard.WaitExit(2000)) << "the guard outlived a normal exit";
    const std::string ini = q.Box().ReadIni();
    EXPECT_EQ(ini.rfind("[Quillora]", 0), 0u);
    EXPECT_NE(ini.find("Title=ExitWin"), std::string::npos);
}

TEST(Recovery, TheEndOfTheSessionGivesEverythingBackAndSavesBeforeTheProgramMayBeEnded) {
    // As at logoff, or when an installer's restart manager closes Quillora:
    // once the end-session message is answered, the process (and its guard)
    // may be ended at any moment.
    ShrunkWindow shrunk(Globals() + TitleRule(1, "SessionWin"), Made::AfterQuillora,
                        {"SessionWin", 20, 20, 300, 200});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    ASSERT_TRUE(DeleteFileA(q.Box().IniPath().c_str()));

    EXPECT_NE(q.Send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), 0) << "Quillora refused the end of the session";
    q.Send(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    GuardOf(q.Proc()).Kill();
    q.Proc().Kill();
    EXPECT_TRUE(IsReleased(w.hwnd));
    EXPECT_NE(q.Box().ReadIni().find("Title=SessionWin"), std::string::npos) << "the settings were not saved";
}

TEST(Recovery, KilledProgramLeavesNoWindowInvisibleAfterTheNextStart) {
    FocusSink sink;
    const std::string rules = TitleRule(1, "KillA") + TitleRule(2, "KillB") + TitleRule(3, "KillC");
    RunningQuillora q(Globals() + rules);
    ASSERT_TRUE(q.Ok());
    TestWindow a = SmallTestWindow("KillA", 20, 20), b = SmallTestWindow("KillB", 400, 20),
               c = SmallTestWindow("KillC", 20, 400, "--layered");
    ASSERT_TRUE(a.hwnd && b.hwnd && c.hwnd);
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(a.hwnd) && IsShrunk(b.hwnd) && IsShrunk(c.hwnd); }));

    // Its guard goes first (as when a whole process tree is ended), so that
    // only the next start can give the windows back.
    GuardOf(q.Proc()).Kill();
    q.Proc().Kill();
    EXPECT_EQ(LayeredAlpha(a.hwnd), 0) << "nothing gave the window back yet";

    // Started with the rules switched off: the windows are only given back.
    q.Box().WriteIni(std::string(Globals()) + TitleRule(1, "KillA", "0") + TitleRule(2, "KillB", "0") +
                     TitleRule(3, "KillC", "0"));
    ASSERT_TRUE(q.Restart());
    EXPECT_TRUE(WaitFor([&] {
        return IsReleased(a.hwnd) && IsReleased(b.hwnd) && IsReleased(c.hwnd, true) && LayeredAlpha(c.hwnd) == 255;
    }));
    ASSERT_TRUE(q.Exit());

    // With the rules on again they are shrunk anew by the new process.
    q.Box().WriteIni(Globals() + rules);
    ASSERT_TRUE(q.Restart());
    sink.Take();
    for (HWND hwnd : {a.hwnd, b.hwnd, c.hwnd}) {
        EXPECT_TRUE(WaitFor([&] { return IsShrunk(hwnd); })) << Text(hwnd);
        DWORD pid = 0;
        GetWindowThreadProcessId(PseudoOf(hwnd), &pid);
        EXPECT_EQ(pid, q.Proc().Id());
    }
}

TEST(Recovery, KilledProgramsGuardGivesEveryWindowBackWithoutARestart) {
    FocusSink sink;
    RunningQuillora q(Globals() + TitleRule(1, "GuardA") + TitleRule(2, "GuardB"));
    ASSERT_TRUE(q.Ok());
    TestWindow a = SmallTestWindow("GuardA", 20, 20), b = SmallTestWindow("GuardB", 400, 20, "--layered");
    ASSERT_TRUE(a.hwnd && b.hwnd);
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(a.hwnd) && IsShrunk(b.hwnd); }));
    Process guard = GuardOf(q.Proc());
    ASSERT_TRUE(guard);

    q.Proc().Kill();
    EXPECT_TRUE(WaitFor([&] { return IsReleased(a.hwnd) && IsReleased(b.hwnd, true) && LayeredAlpha(b.hwnd) == 255; },
                        2000));
    EXPECT_TRUE(guard.WaitExit(5000)) << "the guard stayed after giving everything back";
}

TEST(Recovery, ClosedPseudoWindowOfARefusingOriginalGivesTheOriginalBack) {
    ShrunkWindow shrunk(Globals() + TitleRule(1, "Stubborn"), Made::AfterQuillora,
                        {"Stubborn", 20, 20, 300, 200, "--refuse-close"});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    HWND pseudo = PseudoOf(w.hwnd);
    PostMessageA(pseudo, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(pseudo) && IsReleased(w.hwnd); }));
    EXPECT_TRUE(IsWindow(w.hwnd));
    // Once given back it is an ordinary window again; the rule applies anew
    // only when it is reported again (at the next resume).
    sink.Take();  // closing the pseudo window may have activated the original
    q.Send(WM_COMMAND, ID_PAUSE_RESUME);
    q.Send(WM_COMMAND, ID_PAUSE_RESUME);
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
}

TEST(QuickCapture, ShortPressDoesNothingAndHoldingShowsTheFrame) {
    FocusSink sink;
    RunningQuillora q(Globals());
    ASSERT_TRUE(q.Ok());
    TestWindow w = SmallTestWindow("Target", 100, 100);
    ASSERT_NE(w.hwnd, nullptr);

    // A click released within half a second.
    MoveCursor(1270, 1010);
    MouseButton(true);
    q.Send(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN);
    MouseButton(false);
    Pump(900);
    EXPECT_EQ(FindWindowOf(q.Proc().Id(), "CaptureWindow", 0), nullptr);
    EXPECT_EQ(FindWindowOf(q.Proc().Id(), "#32770", 0), nullptr);

    // Held: the green frame appears and follows the window under the cursor.
    MouseButton(true);
    q.Send(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN);
    HWND frame = FindWindowOf(q.Proc().Id(), "CaptureWindow", 3000);
    ASSERT_NE(frame, nullptr);
    RECT target = WindowRect(w.hwnd);
    MoveCursor((target.left + target.right) / 2, (target.top + target.bottom) / 2);
    EXPECT_TRUE(WaitFor([&] {
        RECT rc = WindowRect(frame);
        return EqualRect(&rc, &target) != FALSE;
    }));
    // Released over the bare desktop: refused with message 150.
    MoveCursor(1275, 1020);
    Pump(300);
    MouseButton(false);
    MessageBoxInfo box = WaitMessageBox(q.Proc().Id(), 5000);
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.text, Ansi("このウィンドウは縮小できません。すでに縮小ウィンドウであるか縮小禁止ウィンドウである可能性があります。"));
    EXPECT_EQ(box.caption, "Quillora");
    EXPECT_FALSE(IsWindow(frame));
    PressButton(box.hwnd, IDOK);
}

TEST(QuickCapture, ReleasingOverAShrunkWindowOrPseudoWindowIsRefused) {
    ShrunkWindow shrunk(Globals() + TitleRule(1, "Shrunk"), Made::AfterQuillora, {"Shrunk", 100, 100, 300, 200});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, w, q] = shrunk;
    HWND pseudo = PseudoOf(w.hwnd);

    RECT pr = WindowRect(pseudo);
    MoveCursor(pr.left + 5, pr.top + 5);
    MouseButton(true);
    q.Send(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN);
    HWND frame = FindWindowOf(q.Proc().Id(), "CaptureWindow", 3000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(WaitFor([&] {
        RECT rc = WindowRect(frame);
        return EqualRect(&rc, &pr) != FALSE;
    }));
    MouseButton(false);
    MessageBoxInfo box = WaitMessageBox(q.Proc().Id(), 5000);
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.text.substr(0, 8), Ansi("このウィンドウ").substr(0, 8));
    PressButton(box.hwnd, IDOK);
}

// A user name in another script, an accented letter: the program's folder
// may hold characters the ANSI code page has not.
TEST(Recovery, FromAFolderNamedOutsideTheCodePageRulesAreReadAndSavedAndTheGuardWorks) {
    FocusSink sink;
    // Without the global section, which only a save writes.
    RunningQuillora q(TitleRule(1, "FarFolderWin"), L"-\u00dcn\u00ef\ud55c");
    ASSERT_TRUE(q.Ok());
    TestWindow w = SmallTestWindow("FarFolderWin", 20, 20);
    ASSERT_NE(w.hwnd, nullptr);
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); })) << "the rules were not read";
    ASSERT_TRUE(q.Exit());
    const std::string ini = q.Box().ReadIni();
    EXPECT_EQ(ini.rfind("[Quillora]", 0), 0u) << "not written back at exit:\n" << ini;
    EXPECT_NE(ini.find("Title=FarFolderWin"), std::string::npos) << ini;

    ASSERT_TRUE(q.Restart());
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
    Process guard = GuardOf(q.Proc());
    ASSERT_TRUE(guard) << "no guard started";
    q.Proc().Kill();
    EXPECT_TRUE(WaitFor([&] { return IsReleased(w.hwnd); }, 2000));
    EXPECT_TRUE(guard.WaitExit(5000));
}
