// The rule editor's capture button, dragged with real mouse input onto a
// child control of another program's window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/DialogDriver.h"
#include "common/Pump.h"
#include "res/resource.h"
#include "rules/Rule.h"
#include "ui/CaptureWindow.h"
#include "ui/RuleEditDialog.h"

using namespace uitest;
using quillora::Rule;

namespace {

const std::string kEditorTitle = "\x83\x8b\x81\x5b\x83\x8b\x82\xcc\x95\xd2\x8f\x57";
const std::string kCapturing = "\x83\x4c\x83\x83\x83\x76\x83\x60\x83\x83\x92\x86";  // キャプチャ中
const std::string kCapture = "\x83\x4c\x83\x83\x83\x76\x83\x60\x83\x83";            // キャプチャ
constexpr char kFrameClass[] = "CaptureWindow";

// testwin.exe with a child button at (10, 10) of its client area.
TestWindow StartOtherProgram() {
    return StartTestWindow("--title \"Other program\" --class OtherClass --x 20 --y 20 --child");
}

POINT centreOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void button(DWORD flag) { mouse_event(flag, 0, 0, 0, 0); }

// Press on the capture button, move onto `to`, wait for the frame to find
// the window there, release; then `check` on the Basic page.
void dragCapture(HWND dialog, POINT to, const std::function<void(HWND)>& check) {
    HWND basic = PageWith(dialog, IDC_CAPTURE);
    const POINT from = centreOf(GetDlgItem(basic, IDC_CAPTURE));
    const auto release = [=] {
        button(MOUSEEVENTF_LEFTUP);
        When([=] { return TextOf(GetDlgItem(basic, IDC_CAPTURE)) == kCapture; },
             [=] {
                 EXPECT_EQ(FindWindowA(kFrameClass, nullptr), nullptr);
                 EXPECT_EQ(GetCapture(), nullptr);
                 check(basic);
                 Click(dialog, IDCANCEL);
             },
             "the capture button's caption back after the release");
    };
    const auto moveOnto = [=] {
        SetCursorPos(to.x, to.y);
        HWND target = quillora::OutermostVisibleAncestor(WindowFromPoint(to));
        // Where the frame finds no target there is no state to wait for:
        // give its tracking a few ticks.
        if (!target) return Later(release, 400);
        const RECT expected = WindowRect(target);
        When([=] {
            const RECT frame = WindowRect(FindWindowA(kFrameClass, nullptr));
            return EqualRect(&frame, &expected) != FALSE;
        },
             release, "the frame on the window under the cursor");
    };
    SetCursorPos(from.x, from.y);
    Later([=] {
        button(MOUSEEVENTF_LEFTDOWN);
        When([=] { return TextOf(GetDlgItem(basic, IDC_CAPTURE)) == kCapturing && FindWindowA(kFrameClass, nullptr); },
             moveOnto, "the capture under way after the press");
    }, 100);
}

}  // namespace

TEST(CaptureTool, FillsTheFieldsFromTheTopLevelWindowOfAChildControl) {
    const TestWindow other = StartOtherProgram();
    ASSERT_NE(other.hwnd, nullptr);
    HWND child = FindWindowExA(other.hwnd, nullptr, "BUTTON", nullptr);
    ASSERT_NE(child, nullptr);
    Rule rule;
    RunDialog([&] { return quillora::RunRuleEditor(nullptr, rule); }, kEditorTitle, [&](HWND dialog) {
        dragCapture(dialog, centreOf(child), [&](HWND basic) {
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_CLASS_NAME)), "OtherClass");
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_TITLE)), "Other program");
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_EXPLANATION)), "Other program");
            EXPECT_EQ(lstrcmpiA(TextOf(GetDlgItem(basic, IDC_APP_NAME)).c_str(), (BinDir() + "\\testwin.exe").c_str()), 0)
                << TextOf(GetDlgItem(basic, IDC_APP_NAME));
        });
    });
}

TEST(CaptureTool, KeepsAnExistingDescriptionAndMatchMethod) {
    const TestWindow other = StartOtherProgram();
    ASSERT_NE(other.hwnd, nullptr);
    Rule rule;
    rule.Explanation = "mine";
    rule.MatchMethod = 2;
    RunDialog([&] { return quillora::RunRuleEditor(nullptr, rule); }, kEditorTitle, [&](HWND dialog) {
        dragCapture(dialog, centreOf(other.hwnd), [&](HWND basic) {
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_TITLE)), "Other program");
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_EXPLANATION)), "mine");
            EXPECT_EQ(SendDlgItemMessageA(basic, IDC_MATCH_METHOD, CB_GETCURSEL, 0, 0), 2);
        });
    });
    EXPECT_EQ(rule.Title, "") << "nothing is written before OK";
}

TEST(CaptureTool, ReleasingOnTheProgramsOwnDialogFillsNothing) {
    // Like the program's dialogs, the editor's owner chain ends at a hidden
    // window, so no target is ever found on it.
    HWND hiddenOwner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    Rule rule;
    RunDialog([&] { return quillora::RunRuleEditor(hiddenOwner, rule); }, kEditorTitle, [&](HWND dialog) {
        dragCapture(dialog, centreOf(GetDlgItem(dialog, IDOK)), [&](HWND basic) {
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_TITLE)), "");
            EXPECT_EQ(TextOf(GetDlgItem(basic, IDC_CLASS_NAME)), "");
        });
    });
    DestroyWindow(hiddenOwner);
}
