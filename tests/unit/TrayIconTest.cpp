// What the tray icon asks of the shell: an add the shell refused is tried
// again without waiting, and the icon is deleted at the end whenever the
// shell may hold it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/TrayIcon.h"

using quillora::TrayIcon;

namespace {

// The shell, as Shell_NotifyIconA: takes or refuses each request, holds the
// icon it took, and records what it was asked.
struct FakeShell {
    bool accepts = false;
    bool holds = false;
    HICON image = nullptr;
    std::vector<DWORD> asked;
};
FakeShell g_shell;

BOOL WINAPI fakeNotify(DWORD request, PNOTIFYICONDATAA data) {
    g_shell.asked.push_back(request);
    if (!g_shell.accepts) return FALSE;
    // As the real one: an icon it holds cannot be added, one it lacks cannot
    // be changed.
    if ((request == NIM_ADD) == g_shell.holds && request != NIM_DELETE) return FALSE;
    g_shell.holds = request != NIM_DELETE;
    g_shell.image = data->hIcon;
    return TRUE;
}

HICON const kRunning = LoadIcon(nullptr, IDI_APPLICATION);
HICON const kPaused = LoadIcon(nullptr, IDI_WARNING);

}  // namespace

TEST(TrayIcon, ARefusedAddIsTriedAgainWithTheLatestImageAndDeletedAtTheEnd) {
    g_shell = {};
    {
        TrayIcon icon(fakeNotify);
        EXPECT_FALSE(icon.Add(HWND_MESSAGE, 3, WM_APP, kRunning, "Quillora")) << "the shell is not ready";
        icon.SetIcon(kPaused);  // paused meanwhile: nothing to change yet
        EXPECT_FALSE(icon.Retry());
        EXPECT_EQ(g_shell.asked, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_MODIFY}));

        g_shell.accepts = true;
        EXPECT_TRUE(icon.Retry());
        EXPECT_TRUE(icon.Shown());
        EXPECT_EQ(g_shell.image, kPaused);
        g_shell.asked.clear();
        EXPECT_TRUE(icon.Retry()) << "shown already";
        EXPECT_TRUE(g_shell.asked.empty());
    }
    EXPECT_FALSE(g_shell.holds) << "the icon stayed in the tray";
}

// Explorer sends TaskbarCreated also on a change of display scale, with the
// icon still there; and an add the shell refused while busy may still have
// reached it.
TEST(TrayIcon, AnIconTheShellMayHoldIsKeptAndAlwaysDeleted) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    g_shell = {};
    g_shell.accepts = true;
    TrayIcon icon(fakeNotify);
    ASSERT_TRUE(icon.Add(HWND_MESSAGE, 3, WM_APP, kRunning, "Quillora"));
    EXPECT_TRUE(icon.OnShellMessage(taskbarCreated));
    EXPECT_TRUE(icon.Shown()) << "the icon still there counts as shown";
    EXPECT_EQ(g_shell.asked.back(), static_cast<DWORD>(NIM_MODIFY));

    g_shell.accepts = false;  // a restart after which the shell refuses
    EXPECT_TRUE(icon.OnShellMessage(taskbarCreated));
    EXPECT_FALSE(icon.Shown());
    icon.Remove();
    EXPECT_EQ(g_shell.asked.back(), static_cast<DWORD>(NIM_DELETE)) << "a dead icon would stay in the tray";

    g_shell = {};
    TrayIcon never(fakeNotify);
    never.Remove();
    EXPECT_TRUE(g_shell.asked.empty()) << "deleted an icon never added";
}
