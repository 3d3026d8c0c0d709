#include "app/MainWindow.h"

#include "app/Messages.h"
#include "app/Recovery.h"
#include "res/resource.h"
#include "rules/ResourceString.h"
#include "rules/Settings.h"
#include "ui/Dialogs.h"
#include "win/Handles.h"
#include "win/Log.h"

namespace quillora {

MainWindow::MainWindow(Application& app) : app_(app), quickCaptureStart_(std::clock()) { loadTrayIcons(); }

HICON MainWindow::stateIcon() const { return running_ ? runningIcon_.get() : pausedIcon_.get(); }

MainWindow::~MainWindow() {
    if (handle()) DestroyWindow(handle());
}

bool MainWindow::Create() {
    if (!registerClass(kMainWindowClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) {
        return false;
    }
    const std::string title = LoadResourceString(IDS_PROGRAM_NAME);
    return createNative(0, kMainWindowClass, title.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, nullptr, nullptr) != nullptr;
}

LRESULT MainWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg >= WM_SHELL_CREATED && msg <= WM_PSEUDO_REBUILD) || msg == WM_SHELL_MINMAX) windowEventSeen_ = true;
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_ENDSESSION:
        if (wp) onEndSession();
        return 0;
    case WM_COMMAND: onCommand(LOWORD(wp)); return 0;
    case WM_TIMER:
        if (wp == IDT_POLL) onPoll();
        else if (wp == IDT_QUICK_CAPTURE) onQuickCaptureTick();
        else if (wp == IDT_GIVE_BACK) onGiveBackTick();
        else if (wp == IDT_DISPLAY_SETTLED) onDisplaySettled();
        return 0;
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        onDisplayChanged(msg, wp);
        return defaultProc(msg, wp, lp);
    case WM_TRAY_NOTIFY: onTrayNotify(wp, lp); return 0;
    case WM_SHELL_CREATED: onWindowCreated(reinterpret_cast<HWND>(wp), true); return 0;
    case WM_SHELL_DESTROYED: return 0;
    case WM_SHELL_ACTIVATED: onWindowActivated(reinterpret_cast<HWND>(wp)); return 0;
    // The next poll is a full one, which is all a minimise or maximise needs.
    case WM_SHELL_MINMAX: return 0;
    case WM_PSEUDO_CLICKED: onPseudoClicked(reinterpret_cast<HWND>(wp)); return 0;
    case WM_PSEUDO_REBUILD: onRebuild(reinterpret_cast<HWND>(wp)); return 0;
    case WM_PSEUDO_QUICK_EDIT: return ShowQuickEditDialog(reinterpret_cast<HWND>(wp), *reinterpret_cast<Rule*>(lp));
    default:
        if (trayIcon_.OnShellMessage(msg)) return 0;
        return defaultProc(msg, wp, lp);
    }
}

void MainWindow::onCreate() {
    hider_.reset(new WindowHider);
    excluded_.insert(handle());
    excluded_.insert(GetDesktopWindow());
    excluded_.insert(FindWindowA("Progman", "Program Manager"));
    excluded_.insert(FindWindowA("Shell_TrayWnd", nullptr));
    GetCursorPos(&lastCursor_);
    // Windows left transparent by an earlier run are given back from the
    // first tick on: their programs may not answer, and creation must not
    // wait for them.
    giveBackLater();
    examineAllWindows();
    SetTimer(handle(), IDT_POLL, kPollPeriodMs, nullptr);
}

void MainWindow::onDestroy() {
    if (running_) {
        // Windows reported while the originals are given back are not
        // shrunk any more.
        running_ = false;
        KillTimer(handle(), IDT_POLL);
        releaseAll();
    }
    KillTimer(handle(), IDT_QUICK_CAPTURE);
    // What is still to give back at exit is the entry point's last task.
    KillTimer(handle(), IDT_GIVE_BACK);
    captureWindow_.Destroy();
    PostQuitMessage(0);
}

void MainWindow::onEndSession() {
    // Once this returns the process may be ended at any moment: at logoff or
    // shutdown, or when an installer's restart manager closes Quillora while
    // the other programs run on. Give every original back and save now, as
    // Exit would, then end the ordinary way.
    DestroyWindow(handle());
    if (!app_.SaveAtExit()) win::Log("the settings file was not written at the end of the session");
}

BOOL CALLBACK MainWindow::examineOne(HWND hwnd, LPARAM self) {
    reinterpret_cast<MainWindow*>(self)->onWindowCreated(hwnd, false);
    return TRUE;
}

void MainWindow::examineAllWindows() {
    // Each window goes through the created-window path as if the hook had
    // reported it, except that hidden ones are not held: most hidden
    // top-level windows stay hidden, and the next resume looks again anyway.
    EnumWindows(examineOne, reinterpret_cast<LPARAM>(this));
}

bool MainWindow::AddTrayIcon() {
    return trayIcon_.Add(handle(), kTrayIconId, WM_TRAY_NOTIFY, stateIcon(),
                         LoadResourceString(IDS_PROGRAM_NAME));
}

void MainWindow::onTrayNotify(WPARAM id, LPARAM mouseMessage) {
    if (id != kTrayIconId) return;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        if (running_) {
            quickCaptureStart_ = std::clock();
            KillTimer(handle(), IDT_QUICK_CAPTURE);
            SetTimer(handle(), IDT_QUICK_CAPTURE, kPollPeriodMs, nullptr);
        }
        break;
    case WM_LBUTTONDBLCLK: togglePause(); break;
    case WM_RBUTTONUP: showTrayMenu(); break;
    default: break;
    }
}

void MainWindow::showTrayMenu() {
    win::Menu menu(CreatePopupMenu());
    if (!menu) return;
    const std::string pauseText = LoadResourceString(running_ ? IDS_MENU_PAUSE : IDS_MENU_RESUME);
    const std::string settingsText = LoadResourceString(IDS_MENU_SETTINGS);
    const std::string aboutText = LoadResourceString(IDS_MENU_ABOUT);
    const std::string exitText = LoadResourceString(IDS_MENU_EXIT);
    AppendMenuA(menu.get(), MF_STRING, ID_PAUSE_RESUME, pauseText.c_str());
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, ID_SETTINGS, settingsText.c_str());
    AppendMenuA(menu.get(), MF_STRING, ID_ABOUT, aboutText.c_str());
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, ID_EXIT, exitText.c_str());

    SetForegroundWindow(handle());
    POINT pt{};
    GetCursorPos(&pt);
    int x = pt.x;
    // A point on no monitor (the tray of a detached screen): keep the menu
    // within the nearest monitor's work area horizontally.
    if (!MonitorFromPoint(pt, MONITOR_DEFAULTTONULL)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        HMONITOR nearest = MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
        if (nearest && GetMonitorInfoA(nearest, &info)) {
            if (x < info.rcWork.left) x = info.rcWork.left;
            if (x > info.rcWork.right) x = info.rcWork.right;
        }
    }
    TrackPopupMenu(menu.get(), TPM_RIGHTALIGN | TPM_RIGHTBUTTON, x, pt.y, 0, handle(), nullptr);
}

void MainWindow::onCommand(UINT id) {
    switch (id) {
    case ID_PAUSE_RESUME: togglePause(); break;
    case ID_SETTINGS: openSettings(); break;
    case ID_ABOUT: runOneDialog(aboutOpen_, [this] { ShowAboutDialog(handle()); }); break;
    case ID_EXIT: DestroyWindow(handle()); break;
    default: break;
    }
}

void MainWindow::togglePause() {
    if (running_) {
        running_ = false;
        KillTimer(handle(), IDT_POLL);
        pending_.Clear();
        releaseAll();
    } else {
        running_ = true;
        windowEventSeen_ = true;
        examineAllWindows();
        SetTimer(handle(), IDT_POLL, kPollPeriodMs, nullptr);
    }
    trayIcon_.SetIcon(stateIcon());
}

template <typename Show>
void MainWindow::runOneDialog(bool& open, Show&& show) {
    // The tray menu stays reachable while a dialog is open. The other dialog
    // opens over it; the same one again would be a second editor of the same
    // settings, so the open one comes to the front instead.
    if (open) {
        HWND popup = GetLastActivePopup(handle());
        if (popup && popup != handle()) SetForegroundWindow(popup);
        return;
    }
    open = true;
    show();
    open = false;
}

void MainWindow::openSettings() {
    runOneDialog(settingsOpen_, [this] {
        const bool wasRunning = running_;
        if (wasRunning) togglePause();
        // The rules now in use were accepted; the user must hear that the
        // file still holds the old ones.
        const bool accepted = ShowSettingsDialog(handle(), app_) == IDOK;
        // Exit chosen while the dialog was open: everything is given back
        // already, and nothing may be shrunk again.
        if (!handle()) return;
        if (accepted && !app_.Save()) {
            ShowMessageBox(handle(), IDS_SAVE_FAILED, IDS_PROGRAM_NAME, MB_OK | MB_ICONWARNING);
        }
        // Resume only what this command paused: a resume from the tray while
        // the dialog was open must not be turned back into a pause.
        if (wasRunning && !running_) togglePause();
    });
}

void MainWindow::releaseAll() {
    // Take the list first: releasing sends messages to other programs, and a
    // window event handled meanwhile may append to the list.
    std::vector<PseudoWindowPtr> entries;
    entries.swap(pseudoWindows_);
    if (hider_->ReleaseAll(entries) != 0) giveBackLater();
}

void MainWindow::giveBackLater() { SetTimer(handle(), IDT_GIVE_BACK, kGiveBackRetryMs, nullptr); }

void MainWindow::onGiveBackTick() {
    std::vector<HWND> givenBack;
    if (RecoverAbandonedOriginals(*hider_, &givenBack) == 0) KillTimer(handle(), IDT_GIVE_BACK);
    // Ordinary windows again: while running they are looked at as if just
    // reported (what the start or a resume could not do while they were
    // still marked).
    for (HWND hwnd : givenBack) onWindowCreated(hwnd, false);
}

}  // namespace quillora
