// Start-up, single instance and shutdown of the real program.
#include <gtest/gtest.h>

#include "app/Messages.h"
#include "common/Running.h"
#include "common/TrayStandIn.h"

using namespace uitest;

namespace {

// "Quillora" and "Quilloraはすでに起動しています。" as code page 932 bytes.
const std::string kProgramName = "Quillora";
const std::string kAlreadyRunning =
    "Quillora\x82\xcd\x82\xb7\x82\xc5\x82\xc9\x8b\x4e\x93\xae\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42";

// WM_CLOSE reaches the default handling, which destroys the main window.
void Exit(HWND mainWindow) { PostMessageA(mainWindow, WM_CLOSE, 0, 0); }

}  // namespace

TEST(Startup, SecondInstanceShowsMessageAndLeavesFirstAlone) {
    Sandbox box;
    Process first = box.StartQuillora();
    HWND mainWindow = WaitMainWindow(first);
    ASSERT_NE(mainWindow, nullptr);

    Process second = box.StartQuillora();
    MessageBoxInfo box2 = WaitMessageBox(second.Id());
    ASSERT_NE(box2.hwnd, nullptr);
    EXPECT_EQ(box2.caption, kProgramName);
    EXPECT_EQ(box2.text, kAlreadyRunning);
    EXPECT_TRUE(WindowsOf(second.Id(), "Quillora").empty()) << "the second instance made a main window";
    PressButton(box2.hwnd, IDOK);
    DWORD code = 1;
    ASSERT_TRUE(second.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindow(mainWindow));
    Exit(mainWindow);
    ASSERT_TRUE(first.WaitExit(10000, &code));
}

TEST(Startup, DestroyingMainWindowEndsWithZeroAndWritesSettings) {
    Sandbox box;
    ASSERT_FALSE(box.IniExists());
    Process quillora = box.StartQuillora();
    HWND mainWindow = WaitMainWindow(quillora);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(Text(mainWindow), kProgramName);
    EXPECT_FALSE(IsWindowVisible(mainWindow));

    Exit(mainWindow);
    DWORD code = 1;
    ASSERT_TRUE(quillora.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
    const std::string ini = box.ReadIni();
    EXPECT_EQ(ini.rfind("[Quillora]", 0), 0u) << ini;
    EXPECT_NE(ini.find("ActiveRestore=1"), std::string::npos);
    EXPECT_NE(ini.find("Mergin=30"), std::string::npos);
    EXPECT_NE(ini.find("Sensitivity=30"), std::string::npos);
}

TEST(Startup, InvalidRuleIsReportedBeforeTheMainWindowAndKept) {
    Sandbox box;
    box.WriteIni("[Rule1]\r\nExplanation=Broken\r\nTitle=abc\r\nStretchWidth=150\r\nStretchWidthUnit=0\r\n");
    Process quillora = box.StartQuillora();
    MessageBoxInfo warning = WaitMessageBox(quillora.Id());
    ASSERT_NE(warning.hwnd, nullptr);
    EXPECT_TRUE(WindowsOf(quillora.Id(), "Quillora").empty()) << "main window exists before the warning is closed";
    EXPECT_EQ(warning.caption, kProgramName);
    // 不正なルール"Broken"を検知しました。\r\nこのルールは読み込まれません。
    EXPECT_EQ(warning.text, Ansi("不正なルール\"Broken\"を検知しました。\r\nこのルールは読み込まれません。"));
    EXPECT_EQ(warning.text.substr(0, 12), "\x95\x73\x90\xb3\x82\xc8\x83\x8b\x81\x5b\x83\x8b");
    PressButton(warning.hwnd, IDOK);

    HWND mainWindow = WaitMainWindow(quillora);
    ASSERT_NE(mainWindow, nullptr);
    Exit(mainWindow);
    ASSERT_TRUE(quillora.WaitExit(10000));
    const std::string ini = box.ReadIni();
    EXPECT_NE(ini.find("[Rule1]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Explanation=Broken"), std::string::npos);
    EXPECT_NE(ini.find("StretchWidth=150"), std::string::npos);
    EXPECT_LT(ini.find("[Quillora]"), ini.find("[Rule1]"));
}

// At logon Quillora most often starts before the taskbar takes icons: the
// windows that open meanwhile are shrunk all the same, the icon is added as
// soon as the notification area takes it, and deleted at exit.
TEST(Startup, ANotificationAreaThatComesLateGetsTheIconAndWindowsAreShrunkMeanwhile) {
    FocusSink sink;
    TrayStandIn tray(false);
    RunningQuillora q(Globals() + TitleRule(1, "EarlyWin"));
    ASSERT_TRUE(q.Ok());
    ASSERT_TRUE(WaitUntil([&] { return tray.Refused(NIM_ADD) > 0; })) << "no icon was asked for";
    TestWindow w = SmallTestWindow("EarlyWin", 20, 20);
    ASSERT_NE(w.hwnd, nullptr);
    sink.Take();
    EXPECT_TRUE(WaitFor([&] { return IsShrunk(w.hwnd); })) << "a window opened while the icon waited was not shrunk";

    tray.Accept(true);
    EXPECT_TRUE(WaitUntil([&] { return tray.Taken(NIM_ADD) == 1; }, 10000)) << "the icon never came";
    // The stand-in answers the delete on this thread: wait pumping.
    q.Post(WM_COMMAND, quillora::ID_EXIT);
    ASSERT_TRUE(WaitUntil([&] { return !q.Proc().Running(); }, 15000));
    EXPECT_EQ(tray.Taken(NIM_DELETE), 1) << "the icon stayed in the tray";
}
