// A shrunk window whose rule refreshes its picture keeps showing what the
// original shows now.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/Running.h"

using namespace uitest;

namespace {

// Whether the pseudo window shows `colour` at points of its lower right
// three quarters. The pseudo window covers the top-left corner of the
// original, and an X server without a compositor keeps no pixels of a
// window where another covers it: that part of the original reads black.
bool Shows(HWND pseudo, COLORREF colour) {
    RECT client{};
    if (!GetClientRect(pseudo, &client) || client.right < 4 || client.bottom < 4) return false;
    HDC dc = GetDC(pseudo);
    if (!dc) return false;
    const LONG w = client.right, h = client.bottom;
    bool all = true;
    for (auto [x, y] : {std::pair{w / 2, h / 2}, {w - 2, h / 2}, {w / 2, h - 2}, {w - 2, h - 2}, {w / 4, h - 2}}) {
        all = all && GetPixel(dc, x, y) == colour;
    }
    ReleaseDC(pseudo, dc);
    return all;
}

void Repaint(HWND original, COLORREF colour) { PostTestWindowCommand(original, TestWindowCommand::Repaint, static_cast<LPARAM>(colour)); }

}  // namespace

TEST(Capture, QualityRefreshFollowsTheOriginalsColourAndSize) {
    // On top of the transparent original, which still shows on a screen
    // without a compositor.
    ShrunkWindow shrunk("[Quillora]\r\nActiveRestore=1\r\nMergin=30\r\nSensitivity=30\r\n" +
                            RuleSection(1, {"Title=LivePicture", "MatchMethod=0", "StretchWidth=25",
                                            "StretchHeight=25", "StretchDirection=1", "StretchDrawMethod=1",
                                            "UpdateDisplay=1", "UpdateDisplayElapse=50", "Topmost=1", "Frame=0"}),
                        Made::AfterQuillora, {"LivePicture", 100, 100, 480, 360, "--color 204020"});
    ASSERT_TRUE(shrunk.Ready());
    const TestWindow& w = shrunk.window;
    HWND pseudo = PseudoOf(w.hwnd);
    EXPECT_TRUE(WaitFor([&] { return Shows(pseudo, RGB(0x20, 0x40, 0x20)); })) << "the picture at shrinking";

    Repaint(w.hwnd, RGB(10, 120, 250));
    EXPECT_TRUE(WaitFor([&] { return Shows(pseudo, RGB(10, 120, 250)); })) << "the refreshed picture";

    // A larger original, in a new colour, while it stays shrunk.
    ASSERT_TRUE(SetWindowPos(w.hwnd, nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    Repaint(w.hwnd, RGB(250, 200, 30));
    EXPECT_TRUE(WaitFor([&] { return Shows(pseudo, RGB(250, 200, 30)); })) << "the picture after the resize";
    EXPECT_TRUE(IsShrunk(w.hwnd));
}

// A program drawn through the compositor (its DC black; printed instead)
// that stops answering holds up neither Quillora nor the other stand-ins.
TEST(Capture, HungPrintOnlyOriginalHoldsUpNeitherQuilloraNorOtherStandIns) {
    FocusSink sink;
    const std::vector<std::string> refreshed = {"MatchMethod=0",  "StretchWidth=25", "StretchHeight=25", "StretchDirection=1",
                                           "UpdateDisplay=1", "UpdateDisplayElapse=50", "Topmost=1", "Frame=0"};
    auto rule = [&](int n, const std::string& title) {
        std::vector<std::string> keys = refreshed;
        keys.push_back("Title=" + title);
        return RuleSection(n, keys);
    };
    RunningQuillora q(Globals() + rule(1, "PrintOnlyHung") + rule(2, "LiveBeside"));
    ASSERT_TRUE(q.Ok());
    TestWindow hung = StartTestWindow("--title PrintOnlyHung --x 20 --y 20 --w 400 --h 300 --print-only");
    TestWindow live = StartTestWindow("--title LiveBeside --x 500 --y 20 --w 400 --h 300 --color 204020");
    ASSERT_TRUE(hung.hwnd && live.hwnd);
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(hung.hwnd) && IsShrunk(live.hwnd); }));
    HWND pseudo = PseudoOf(live.hwnd);
    ASSERT_TRUE(WaitFor([&] { return Shows(pseudo, RGB(0x20, 0x40, 0x20)); }));

    ASSERT_TRUE(Hang(hung, 6000));
    Repaint(live.hwnd, RGB(10, 120, 250));
    EXPECT_TRUE(WaitUntil([&] { return Shows(pseudo, RGB(10, 120, 250)); }, 2000)) << "the other stand-in stopped";
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(Answers(q.Main(), 300)) << "Quillora waits for the hung program";
        Pump(100);
    }
    EXPECT_TRUE(IsShrunk(hung.hwnd));
}
