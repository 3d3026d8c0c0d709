// Changes of display scale and layout while the program runs: the tray icon
// is loaded again at the notification area's new size, and every pseudo
// window on view is sized and placed again as its rule gives it for its
// original now (which the system or its program may have resized).
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "win/Dpi.h"

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
    SetTimer(handle(), IDT_DISPLAY_SETTLED, kDisplaySettleMs, nullptr);
}

void MainWindow::onDisplaySettled() {
    KillTimer(handle(), IDT_DISPLAY_SETTLED);
    loadTrayIcons();
    trayIcon_.SetIcon(stateIcon());
    // A copy, as everywhere the list is walked: no message handled meanwhile
    // may change it under the loop.
    const std::vector<PseudoWindowPtr> entries = pseudoWindows_;
    for (const PseudoWindowPtr& entry : entries) entry->PlaceAgain();
}

}  // namespace quillora
