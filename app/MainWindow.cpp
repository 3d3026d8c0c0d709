#include "app/MainWindow.h"

#include "app/Messages.h"
#include "res/resource.h"
#include "rules/Settings.h"
#include "ui/Dialogs.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Log.h"
#include "win/Mouse.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

// Declared by the system headers only for newer targets than ours.
constexpr UINT kSetLogicalDpiOverride = 0x009F;

// The settings whose change alters sizes on the screen; other settings
// (environment, colours, locale) are broadcast too, and must not move a
// stand-in the user has dragged aside.
bool changesSizes(UINT setting) {
    return setting == SPI_SETWORKAREA || setting == SPI_SETNONCLIENTMETRICS || setting == SPI_SETICONMETRICS ||
           setting == kSetLogicalDpiOverride;
}

// At the notification area's own size for its monitor's scale, so that the
// shell need not scale a 32-pixel icon down (blurred, at 125 % or 150 %).
win::Icon loadTrayIcon(UINT id, UINT dpi) {
    return win::Icon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                   win::SystemMetricForDpi(SM_CXSMICON, dpi),
                                                   win::SystemMetricForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR)));
}

}  // namespace

MainWindow::MainWindow(SettingsStore& store) : store_(store), shrunk_(store), quickCaptureStart_(std::clock()) {
    loadTrayIcons();
}

HICON MainWindow::stateIcon() const { return shrunk_.Running() ? runningIcon_.get() : pausedIcon_.get(); }

MainWindow::~MainWindow() {
    if (Handle()) DestroyWindow(Handle());
}

bool MainWindow::Create() {
    if (!registerClass(kMainWindowClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) {
        win::LogFailure("RegisterClassExA(\"Quillora\")");
        return false;
    }
    const std::string title = win::LoadResourceString(IDS_PROGRAM_NAME);
    return win::Checked(createNative(0, kMainWindowClass, title.c_str(), WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr),
                        "CreateWindowExA(\"Quillora\")") != nullptr;
}

LRESULT MainWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_ENDSESSION:
        if (wp) onEndSession();
        return 0;
    case WM_COMMAND: onCommand(LOWORD(wp)); return 0;
    case WM_TIMER:
        if (wp == IDT_QUICK_CAPTURE) onQuickCaptureTick();
        else if (wp == IDT_DISPLAY_SETTLED) onDisplaySettled();
        else if (wp == IDT_TRAY_RETRY && trayIcon_.Retry()) KillTimer(Handle(), IDT_TRAY_RETRY);
        return 0;
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        onDisplayChanged(msg, wp);
        return defaultProc(msg, wp, lp);
    case WM_TRAY_NOTIFY: onTrayNotify(wp, lp); return 0;
    case WM_WTSSESSION_CHANGE: shrunk_.OnSessionChange(static_cast<unsigned>(wp)); return 0;
    // The shell hook's reports, for the shrunk windows.
    case WM_SHELL_CREATED:
    case WM_SHELL_DESTROYED:
    case WM_SHELL_ACTIVATED:
    case WM_SHELL_MINMAX: shrunk_.OnWindowEvent(msg, reinterpret_cast<HWND>(wp)); return 0;
    default:
        if (trayIcon_.OnShellMessage(msg)) {
            retryTrayIconUnlessShown();
            return 0;
        }
        return defaultProc(msg, wp, lp);
    }
}

void MainWindow::onCreate() {
    // Shrunk windows stay as they are while the session is locked; without
    // the reports, a tick whose cursor cannot be read still changes nothing.
    sessionNotifications_.Start(Handle());
    shrunk_.Start(Handle());
}

void MainWindow::onDestroy() {
    sessionNotifications_.Stop();
    shrunk_.Stop();
    KillTimer(Handle(), IDT_QUICK_CAPTURE);
    captureWindow_.Destroy();
    PostQuitMessage(0);
}

void MainWindow::onEndSession() {
    // Once this returns the process may be ended at any moment: at logoff or
    // shutdown, or when an installer's restart manager closes Quillora while
    // the other programs run on. Give every original back and save now, as
    // Exit would, then end the ordinary way.
    DestroyWindow(Handle());
    if (!store_.SaveAtExit()) win::Log("the settings file was not written at the end of the session");
}

void MainWindow::AddTrayIcon() {
    trayIcon_.Add(Handle(), kTrayIconId, WM_TRAY_NOTIFY, stateIcon(), win::LoadResourceString(IDS_PROGRAM_NAME));
    retryTrayIconUnlessShown();
}

void MainWindow::retryTrayIconUnlessShown() {
    if (!trayIcon_.Shown()) SetTimer(Handle(), IDT_TRAY_RETRY, kTrayRetryMs, nullptr);
}

void MainWindow::onTrayNotify(WPARAM id, LPARAM mouseMessage) {
    if (id != kTrayIconId) return;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        if (shrunk_.Running()) {
            quickCaptureStart_ = std::clock();
            KillTimer(Handle(), IDT_QUICK_CAPTURE);
            SetTimer(Handle(), IDT_QUICK_CAPTURE, kPollPeriodMs, nullptr);
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
    const std::string pauseText = win::LoadResourceString(shrunk_.Running() ? IDS_MENU_PAUSE : IDS_MENU_RESUME);
    const std::string settingsText = win::LoadResourceString(IDS_MENU_SETTINGS);
    const std::string aboutText = win::LoadResourceString(IDS_MENU_ABOUT);
    const std::string exitText = win::LoadResourceString(IDS_MENU_EXIT);
    AppendMenuA(menu.get(), MF_STRING, ID_PAUSE_RESUME, pauseText.c_str());
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, ID_SETTINGS, settingsText.c_str());
    AppendMenuA(menu.get(), MF_STRING, ID_ABOUT, aboutText.c_str());
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, ID_EXIT, exitText.c_str());

    SetForegroundWindow(Handle());
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
    TrackPopupMenu(menu.get(), TPM_RIGHTALIGN | TPM_RIGHTBUTTON, x, pt.y, 0, Handle(), nullptr);
}

void MainWindow::onCommand(UINT id) {
    switch (id) {
    case ID_PAUSE_RESUME: togglePause(); break;
    case ID_SETTINGS: openSettings(); break;
    case ID_ABOUT: runOneDialog(aboutOpen_, [this] { ShowAboutDialog(Handle()); }); break;
    case ID_EXIT: DestroyWindow(Handle()); break;
    default: break;
    }
}

void MainWindow::togglePause() {
    if (shrunk_.Running()) {
        shrunk_.Pause();
    } else {
        shrunk_.Resume();
    }
    trayIcon_.SetIcon(stateIcon());
}

template <typename Show>
void MainWindow::runOneDialog(bool& open, Show&& show) {
    // The tray menu stays reachable while a dialog is open. The other dialog
    // opens over it; the same one again would be a second editor of the same
    // settings, so the open one comes to the front instead.
    if (open) {
        HWND popup = GetLastActivePopup(Handle());
        if (popup && popup != Handle()) SetForegroundWindow(popup);
        return;
    }
    open = true;
    show();
    open = false;
}

void MainWindow::openSettings() {
    runOneDialog(settingsOpen_, [this] {
        const bool wasRunning = shrunk_.Running();
        if (wasRunning) togglePause();
        // The rules now in use were accepted; the user must hear that the
        // file still holds the old ones.
        const bool accepted = ShowSettingsDialog(Handle(), store_) == IDOK;
        // Exit chosen while the dialog was open: everything is given back
        // already, and nothing may be shrunk again.
        if (!Handle()) return;
        if (accepted && !store_.Save()) {
            win::ShowMessageBox(Handle(), IDS_SAVE_FAILED, IDS_PROGRAM_NAME, MB_OK | MB_ICONWARNING);
        }
        // Resume only what this command paused: a resume from the tray while
        // the dialog was open must not be turned back into a pause.
        if (wasRunning && !shrunk_.Running()) togglePause();
    });
}

void MainWindow::onQuickCaptureTick() {
    const double seconds = static_cast<double>(std::clock() - quickCaptureStart_) / CLOCKS_PER_SEC;
    // The button the user presses as the left one (the right one, with the
    // buttons swapped); GetAsyncKeyState reads the physical buttons.
    const bool buttonUp = GetAsyncKeyState(win::PrimaryButtonKey()) == 0;
    if (seconds <= 0.5) {
        if (buttonUp) KillTimer(Handle(), IDT_QUICK_CAPTURE);  // a plain click does nothing
        return;
    }
    if (!captureWindow_.Exists()) {
        captureWindow_.Create(nullptr);
        return;
    }
    if (!buttonUp) return;
    KillTimer(Handle(), IDT_QUICK_CAPTURE);
    captureWindow_.Destroy();
    quickCapturePick(captureWindow_.Target());
}

void MainWindow::quickCapturePick(HWND target) {
    if (!IsWindow(target) || !shrunk_.IsEligible(target)) {
        win::ShowMessageBox(Handle(), IDS_CANNOT_SHRINK, IDS_PROGRAM_NAME, MB_OK);
        return;
    }
    Rule rule;
    if (ShowQuickCaptureDialog(Handle(), rule, target) == IDOK) shrunk_.Adopt(target, rule);
}

// Changes of display scale and layout while the program runs: the tray icon
// is loaded again at the notification area's new size, and every pseudo
// window on view is sized and placed again as its rule gives it for its
// original now (which the system or its program may have resized).
void MainWindow::loadTrayIcons() {
    // The taskbar's scale; without a taskbar, the system's.
    const UINT dpi = win::DpiOf(FindWindowA("Shell_TrayWnd", nullptr));
    win::Icon running = loadTrayIcon(IDI_TRAY_RUNNING, dpi);
    win::Icon paused = loadTrayIcon(IDI_TRAY_PAUSED, dpi);
    // An image that cannot be loaded anew keeps the one in use.
    if (running) runningIcon_ = std::move(running);
    if (paused) pausedIcon_ = std::move(paused);
}

void MainWindow::onDisplayChanged(UINT msg, WPARAM wp) {
    if (msg == WM_SETTINGCHANGE && !changesSizes(static_cast<UINT>(wp))) return;
    // Restarted by every message of the burst.
    SetTimer(Handle(), IDT_DISPLAY_SETTLED, kDisplaySettleMs, nullptr);
}

void MainWindow::onDisplaySettled() {
    KillTimer(Handle(), IDT_DISPLAY_SETTLED);
    loadTrayIcons();
    trayIcon_.SetIcon(stateIcon());
    shrunk_.PlaceAgain();
}

}  // namespace quillora
