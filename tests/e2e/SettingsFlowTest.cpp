// The settings dialog around pausing, the Rules page driven like a user's
// keyboard would, and quick capture through to a shrunk window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/Messages.h"
#include "common/Running.h"
#include "res/resource.h"

using namespace uitest;

namespace {

using quillora::ID_PAUSE_RESUME;
using quillora::ID_SETTINGS;
using quillora::kTrayIconId;
using quillora::WM_TRAY_NOTIFY;

std::string SettingsTitle() { return Ansi("Quilloraの設定"); }

// Clicks a button of a page as the page sees it (a page may be hidden
// behind another tab).
void Click(HWND dialog, int id) {
    HWND button = Control(dialog, id);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Key(HWND control, UINT vk) {
    PostMessageA(control, WM_KEYDOWN, vk, 0);
    PostMessageA(control, WM_KEYUP, vk, 0xC0000000);
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

// The position of a rule's section and the value of a key in it.
size_t SectionOf(const std::string& ini, const std::string& explanation) {
    const size_t at = ini.find("Explanation=" + explanation + "\r\n");
    return at == std::string::npos ? at : ini.rfind("[Rule", at);
}

}  // namespace

TEST(SettingsFlow, OkWhileRunningShrinksAgainAndWhilePausedStaysPaused) {
    ShrunkWindow setUp(Globals() + TitleRule(1, "FlowTarget"), Made::BeforeQuillora, {"FlowTarget"});
    ASSERT_TRUE(setUp.Ready());
    auto& [sink, target, q] = setUp;

    q.Post(WM_COMMAND, ID_SETTINGS);
    HWND dialog = WaitDialog(q.Proc().Id(), SettingsTitle());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsReleased(target.hwnd));
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(target.hwnd); })) << "not shrunk again after OK";

    q.Send(WM_COMMAND, ID_PAUSE_RESUME);
    ASSERT_TRUE(IsReleased(target.hwnd));
    q.Post(WM_COMMAND, ID_SETTINGS);
    dialog = WaitDialog(q.Proc().Id(), SettingsTitle());
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    sink.Take();
    Pump(600);
    EXPECT_TRUE(IsReleased(target.hwnd)) << "the settings dialog resumed a paused program";
}

TEST(SettingsFlow, OkThatCannotSaveSaysSoAndLeavesTheFileAsItWas) {
    const std::string ini = Globals() + TitleRule(1, "Kept");
    RunningQuillora q(ini);
    ASSERT_TRUE(q.Ok());
    ASSERT_TRUE(SetFileAttributesA(q.Box().IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
    q.Post(WM_COMMAND, ID_SETTINGS);
    HWND dialog = WaitDialog(q.Proc().Id(), SettingsTitle());
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDOK);
    MessageBoxInfo failed = WaitMessageBox(q.Proc().Id());
    ASSERT_NE(failed.hwnd, nullptr) << "a failed save went unreported";
    EXPECT_EQ(failed.caption, "Quillora");
    EXPECT_EQ(failed.text, Ansi("設定ファイルを保存できませんでした。"));
    PressButton(failed.hwnd, IDOK);
    EXPECT_EQ(q.Box().ReadIni(), ini);
    SetFileAttributesA(q.Box().IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    q.Exit();
}

TEST(SettingsFlow, AFileThatCouldNotBeReadAtStartIsNotOverwrittenAtExit) {
    RunningQuillora q(Globals() + TitleRule(1, "Kept"));
    ASSERT_TRUE(q.Ok());
    ASSERT_TRUE(q.Exit());
    const std::string saved = q.Box().ReadIni();
    ASSERT_NE(saved.find("Title=Kept"), std::string::npos);
    // Another program holds the file without sharing while Quillora starts.
    HANDLE lock = CreateFileA(q.Box().IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const bool restarted = q.Restart();
    CloseHandle(lock);
    ASSERT_TRUE(restarted);
    ASSERT_TRUE(q.Exit());
    EXPECT_EQ(q.Box().ReadIni(), saved) << "the rules it could not read were replaced";
}

TEST(SettingsFlow, RulesPageAddMoveUncheckAndDeleteReachTheIniInListOrder) {
    RunningQuillora q(Globals() + TitleRule(1, "Alpha") + TitleRule(2, "Beta") + TitleRule(3, "Gamma"));
    ASSERT_TRUE(q.Ok());
    const DWORD pid = q.Proc().Id();
    q.Post(WM_COMMAND, ID_SETTINGS);
    HWND dialog = WaitDialog(pid, SettingsTitle());
    ASSERT_NE(dialog, nullptr);
    HWND list = Control(dialog, IDC_RULE_LIST);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(ItemCount(list), 3);

    // Add "Delta" through the rule editor: it goes last, checked.
    Click(dialog, IDC_ADD);
    HWND editor = WaitDialog(pid, Ansi("ルールの編集"));
    ASSERT_NE(editor, nullptr);
    SendMessageA(Control(editor, IDC_TITLE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Delta"));
    SendMessageA(Control(editor, 1004), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Delta"));
    PressButton(editor, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor) && ItemCount(list) == 4; }));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 3, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK,
              static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(2)));

    // Alpha down one place, then cleared; Delta deleted after a "yes".
    Key(list, VK_HOME);
    Click(dialog, IDC_DOWN);
    Key(list, VK_SPACE);
    ASSERT_TRUE(WaitFor([&] {
        return (SendMessageA(list, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
               static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(1));
    }));
    Key(list, VK_END);
    Click(dialog, IDC_DELETE);
    MessageBoxInfo confirm = WaitMessageBox(pid);
    ASSERT_NE(confirm.hwnd, nullptr);
    EXPECT_EQ(confirm.caption, Ansi("削除確認"));
    PressButton(confirm.hwnd, IDYES);
    ASSERT_TRUE(WaitFor([&] { return ItemCount(list) == 3; }));

    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    std::string ini;
    ASSERT_TRUE(WaitFor([&] {
        ini = q.Box().ReadIni();
        return SectionOf(ini, "Beta") != std::string::npos;
    }));
    const size_t beta = SectionOf(ini, "Beta"), alpha = SectionOf(ini, "Alpha"), gamma = SectionOf(ini, "Gamma");
    EXPECT_EQ(ini.compare(beta, 7, "[Rule1]"), 0) << ini;
    EXPECT_EQ(ini.compare(alpha, 7, "[Rule2]"), 0) << ini;
    EXPECT_EQ(ini.compare(gamma, 7, "[Rule3]"), 0) << ini;
    EXPECT_EQ(SectionOf(ini, "Delta"), std::string::npos);
    EXPECT_NE(ini.find("Validness=0", alpha), std::string::npos);
    EXPECT_LT(ini.find("Validness=0", alpha), gamma) << "Alpha lost its cleared check box";
    EXPECT_EQ(ini.find("Validness=0", gamma), std::string::npos);
    q.Exit();
}

TEST(SettingsFlow, QuickCaptureOkShrinksThePickAndAPauseDiscardsIt) {
    FocusSink sink;
    RunningQuillora q(Globals());
    ASSERT_TRUE(q.Ok());
    TestWindow target = StartTestWindow("--title NoRuleNamesMe --x 100 --y 100 --w 400 --h 300");
    ASSERT_NE(target.hwnd, nullptr);

    const RECT rc = WindowRect(target.hwnd);
    MoveCursor(1270, 1010);
    MouseButton(true);
    q.Send(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN);
    HWND frame = FindWindowOf(q.Proc().Id(), "CaptureWindow", 3000);
    ASSERT_NE(frame, nullptr);
    MoveCursor((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ASSERT_TRUE(WaitFor([&] {
        RECT f = WindowRect(frame);
        return EqualRect(&f, &rc) != FALSE;
    }));
    MouseButton(false);
    HWND dialog = WaitDialog(q.Proc().Id(), Ansi("クイックキャプチャの編集"));
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(target.hwnd); }));

    q.Send(WM_COMMAND, ID_PAUSE_RESUME);
    EXPECT_TRUE(IsReleased(target.hwnd));
    q.Send(WM_COMMAND, ID_PAUSE_RESUME);  // resume: only the rule list counts
    Pump(600);
    EXPECT_EQ(PseudoOf(target.hwnd), nullptr);
    EXPECT_EQ(q.Box().ReadIni().find("NoRuleNamesMe"), std::string::npos);
}
