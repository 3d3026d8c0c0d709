// Other programs that stop answering must not hold Quillora, nor keep any
// window transparent; and pre-layered originals get their own look back.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/Messages.h"
#include "common/Running.h"

using namespace uitest;

namespace {

struct LayeredLook {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
};

LayeredLook LookOf(HWND hwnd) {
    LayeredLook look;
    if (!GetLayeredWindowAttributes(hwnd, &look.key, &look.alpha, &look.flags)) look.flags = 0;
    return look;
}

// Pre-layered with a green colour key and alpha 200, opaque otherwise, and
// given back exactly so.
bool HasItsOwnLook(HWND hwnd) {
    const LayeredLook look = LookOf(hwnd);
    return HasExStyle(hwnd, WS_EX_LAYERED) && !PseudoOf(hwnd) && !GetPropA(hwnd, "PseudoWindowObject") &&
           look.flags == (LWA_COLORKEY | LWA_ALPHA) && look.key == RGB(0, 255, 0) && look.alpha == 200;
}

}  // namespace

TEST(Hung, PauseGivesTheHealthyWindowBackAtOnceAndTheHungOneWhenItAnswers) {
    // The hung one first, so that it comes first in every pass over the list.
    ShrunkWindow shrunk(Globals() + TitleRule(1, "HungWin") + TitleRule(2, "HealthyWin"), Made::AfterQuillora,
                        {"HungWin", 20, 20, 300, 200});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, hung, q] = shrunk;
    TestWindow healthy = SmallTestWindow("HealthyWin", 400, 20);
    ASSERT_NE(healthy.hwnd, nullptr);
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(healthy.hwnd); }));

    ASSERT_TRUE(Hang(hung, 12000));
    const DWORD start = GetTickCount();
    q.Post(WM_COMMAND, quillora::ID_PAUSE_RESUME);
    const bool healthyBack = WaitUntil([&] { return IsReleased(healthy.hwnd); }, 15000);
    const DWORD elapsed = GetTickCount() - start;
    std::printf("[ timing ] pause with a hung original: healthy window given back after %lu ms\n", elapsed);
    EXPECT_TRUE(healthyBack);
    EXPECT_LT(elapsed, 1500u) << "the healthy window waited for the hung one";
    EXPECT_EQ(LayeredAlpha(hung.hwnd), 255) << "the hung window stayed transparent";
    // Quillora answers again while the other program still does not.
    EXPECT_TRUE(WaitUntil([&] { return Answers(q.Main(), 200); }, 8000)) << "Quillora does not answer";
    EXPECT_FALSE(Answers(hung.hwnd, 50)) << "Quillora answered only once the hung program did";

    // Once its program answers again it is given back completely.
    EXPECT_TRUE(WaitFor([&] { return IsReleased(hung.hwnd); }, 20000));
}

TEST(Hung, ExitEndsAndSavesAndTheNextStartGivesTheHungWindowBackWithoutWaitingForIt) {
    ShrunkWindow shrunk(Globals() + TitleRule(1, "HungExit"), Made::AfterQuillora, {"HungExit", 20, 20, 300, 200});
    ASSERT_TRUE(shrunk.Ready());
    auto& [sink, hung, q] = shrunk;

    ASSERT_TRUE(Hang(hung, 15000));
    ASSERT_TRUE(DeleteFileA(q.Box().IniPath().c_str()));
    const DWORD start = GetTickCount();
    q.Post(WM_COMMAND, quillora::ID_EXIT);
    DWORD code = 1;
    ASSERT_TRUE(q.Proc().WaitExit(8000, &code)) << "exit waits for the hung program";
    std::printf("[ timing ] exit with a hung original: %lu ms\n", GetTickCount() - start);
    EXPECT_EQ(code, 0u);
    EXPECT_NE(q.Box().ReadIni().find("Title=HungExit"), std::string::npos) << "the settings were not saved";
    EXPECT_EQ(LayeredAlpha(hung.hwnd), 255) << "the hung window stayed transparent";

    // Started while the window still does not answer: Quillora answers at
    // once, and gives the window back completely once its program does.
    q.Box().WriteIni(std::string(Globals()) + TitleRule(1, "HungExit", "0"));
    ASSERT_FALSE(Answers(hung.hwnd, 50));
    ASSERT_TRUE(q.Restart());
    EXPECT_TRUE(WaitUntil([&] { return Answers(q.Main(), 200); }, 1500)) << "start-up waits for the hung program";
    EXPECT_TRUE(WaitFor([&] { return IsReleased(hung.hwnd); }, 20000));
}

TEST(Layered, PreLayeredOriginalGetsItsColourKeyAndAlphaBackAfterPauseAndAfterAKill) {
    ShrunkWindow shrunk(Globals() + TitleRule(1, "OwnLook"), Made::AfterQuillora,
                        {"OwnLook", 20, 20, 300, 200, "--layered-attrs 00FF00 200"});
    auto& [sink, w, q] = shrunk;
    ASSERT_TRUE(q.Ok());
    ASSERT_NE(w.hwnd, nullptr);
    ASSERT_TRUE(HasItsOwnLook(w.hwnd));
    ASSERT_TRUE(shrunk.Ready());

    q.Send(WM_COMMAND, quillora::ID_PAUSE_RESUME);
    EXPECT_TRUE(HasItsOwnLook(w.hwnd));

    q.Send(WM_COMMAND, quillora::ID_PAUSE_RESUME);  // resume: shrunk again, then the program is killed
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); }));
    q.Proc().Kill();
    q.Box().WriteIni(std::string(Globals()) + TitleRule(1, "OwnLook", "0"));
    ASSERT_TRUE(q.Restart());
    EXPECT_TRUE(WaitFor([&] { return HasItsOwnLook(w.hwnd); }));
}
