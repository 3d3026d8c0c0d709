// The dialogs of the running program, opened through its commands and driven
// through their controls' messages from this process.
#include <gtest/gtest.h>

#include "app/Messages.h"
#include "pseudo/PseudoWindowHost.h"
#include "common/Running.h"

using namespace uitest;

namespace {

using quillora::ID_ABOUT;
using quillora::ID_EXIT;
using quillora::ID_SETTINGS;
using quillora::kQuickEditCommand;

int ClientWidth(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return r.right;
}

}  // namespace

TEST(Dialogs, SettingsGivesEveryWindowBackWhileOpenAndCancelShrinksAgainWithTheIniUntouched) {
    ShrunkWindow setUp(Globals() + PixelRule(1, "SettingsTarget"), Made::BeforeQuillora, {"SettingsTarget"});
    ASSERT_TRUE(setUp.Ready());
    auto& [sink, target, q] = setUp;
    const std::string ini = q.Box().ReadIni();

    q.Post(WM_COMMAND, ID_SETTINGS);
    HWND dialog = WaitDialog(q.Proc().Id(), Ansi("Quilloraの設定"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsReleased(target.hwnd)) << "the window is given back before the dialog shows";
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(target.hwnd); }, 10000));
    EXPECT_EQ(q.Box().ReadIni(), ini);
}

TEST(Dialogs, SettingsChosenWhileAboutIsOpenPausesAndOpensAndExitMeanwhileLeavesEverythingGivenBack) {
    ShrunkWindow setUp(Globals() + PixelRule(1, "UnderDialogs"), Made::BeforeQuillora, {"UnderDialogs"});
    ASSERT_TRUE(setUp.Ready());
    auto& [sink, target, q] = setUp;

    q.Post(WM_COMMAND, ID_ABOUT);
    HWND about = WaitDialog(q.Proc().Id(), Ansi("Quilloraのバージョン情報"));
    ASSERT_NE(about, nullptr);
    q.Post(WM_COMMAND, ID_SETTINGS);
    HWND settings = WaitDialog(q.Proc().Id(), Ansi("Quilloraの設定"));
    ASSERT_NE(settings, nullptr) << "Settings did nothing while About was open";
    EXPECT_TRUE(IsReleased(target.hwnd)) << "the window is given back before the dialog shows";

    // Exit while both are open: nothing is shrunk again on the way out.
    q.Post(WM_COMMAND, ID_EXIT);
    ASSERT_TRUE(q.Proc().WaitExit(15000));
    EXPECT_TRUE(IsReleased(target.hwnd));
    EXPECT_EQ(LayeredAlpha(target.hwnd), -1);
}

TEST(Dialogs, GeneralPageValuesReachTheIniOnOk) {
    RunningQuillora q(Globals() + PixelRule(1, "Nobody"));
    ASSERT_TRUE(q.Ok());
    q.Post(WM_COMMAND, ID_SETTINGS);
    HWND dialog = WaitDialog(q.Proc().Id(), Ansi("Quilloraの設定"));
    ASSERT_NE(dialog, nullptr);
    HWND mergin = Control(dialog, 1060);
    HWND activeRestore = Control(dialog, 1051);
    ASSERT_TRUE(mergin && activeRestore);
    EXPECT_EQ(ControlText(mergin), "30");
    SendMessageA(mergin, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("55"));
    SendMessageA(activeRestore, BM_SETCHECK, BST_UNCHECKED, 0);
    PressButton(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] {
        const std::string text = q.Box().ReadIni();
        return text.find("Mergin=55") != std::string::npos && text.find("ActiveRestore=0") != std::string::npos;
    }));
    EXPECT_NE(q.Box().ReadIni().find("Title=Nobody"), std::string::npos);
}

TEST(Dialogs, AboutShowsNameVersionAndClosesWithEnter) {
    RunningQuillora q(Globals());
    ASSERT_TRUE(q.Ok());
    q.Post(WM_COMMAND, ID_ABOUT);
    HWND dialog = WaitDialog(q.Proc().Id(), Ansi("Quilloraのバージョン情報"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(GetDlgItem(dialog, 1024)).rfind("Quillora Version 1.2.3\r\n\r\n", 0), 0u);
    PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
}

TEST(Dialogs, QuickEditCancelKeepsThePseudoWindowAndOkRebuildsItWithTheEditedSize) {
    ShrunkWindow setUp(Globals() + PixelRule(1, "QuickEditTarget"), Made::BeforeQuillora, {"QuickEditTarget"});
    ASSERT_TRUE(setUp.Ready());
    auto& [sink, target, q] = setUp;
    const std::string ini = q.Box().ReadIni();
    HWND pseudo = PseudoOf(target.hwnd);
    const int width = ClientWidth(pseudo);

    PostMessageA(pseudo, WM_SYSCOMMAND, kQuickEditCommand, 0);
    HWND dialog = WaitDialog(q.Proc().Id(), Ansi("クイック編集"));
    ASSERT_NE(dialog, nullptr);
    HWND widthBox = Control(dialog, 1013);
    ASSERT_NE(widthBox, nullptr);
    EXPECT_EQ(ControlText(widthBox), "200");
    SendMessageA(widthBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("260"));
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(PseudoOf(target.hwnd), pseudo);
    EXPECT_EQ(ClientWidth(pseudo), width);

    PostMessageA(pseudo, WM_SYSCOMMAND, kQuickEditCommand, 0);
    dialog = WaitDialog(q.Proc().Id(), Ansi("クイック編集"));
    ASSERT_NE(dialog, nullptr);
    SendMessageA(Control(dialog, 1013), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("260"));
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(target.hwnd) && ClientWidth(PseudoOf(target.hwnd)) == width + 60; }, 10000));
    EXPECT_EQ(q.Box().ReadIni(), ini) << "quick edit never touches the settings file";
}
