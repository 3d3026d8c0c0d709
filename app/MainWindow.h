// The hidden main window: tray icon, menu and commands, dialogs and quick
// capture, and the target of the shell hook's reports, which it hands to the
// shrunk windows it owns (ShrunkWindows).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <ctime>

#include "app/ShrunkWindows.h"
#include "app/TrayIcon.h"
#include "rules/SettingsStore.h"
#include "ui/CaptureWindow.h"
#include "win/Handles.h"
#include "win/SessionNotifications.h"
#include "win/Window.h"

namespace quillora {

class MainWindow : public win::Window {
public:
    explicit MainWindow(SettingsStore& store);
    ~MainWindow() override;

    bool Create();
    // Adds the tray icon; while the shell refuses it, tries again from a
    // timer without waiting.
    void AddTrayIcon();
    void DeleteTrayIcon() { trayIcon_.Remove(); }

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Creation and destruction.
    void onCreate();
    void onDestroy();
    void onEndSession();

    // Tray icon and commands.
    HICON stateIcon() const;
    void retryTrayIconUnlessShown();
    void onTrayNotify(WPARAM id, LPARAM mouseMessage);
    void showTrayMenu();
    void onCommand(UINT id);
    void togglePause();
    void openSettings();
    // Shows a dialog unless `open` says it is already open; then that one
    // comes to the front.
    template <typename Show>
    void runOneDialog(bool& open, Show&& show);

    // Quick capture from the tray icon.
    void onQuickCaptureTick();
    void quickCapturePick(HWND target);

    // Display scale and layout changes.
    void loadTrayIcons();
    void onDisplayChanged(UINT msg, WPARAM wp);
    void onDisplaySettled();

    SettingsStore& store_;
    ShrunkWindows shrunk_;
    // The shell keeps its own copy; these serve every add and change.
    win::Icon runningIcon_;
    win::Icon pausedIcon_;
    TrayIcon trayIcon_;
    CaptureWindow captureWindow_;
    win::SessionNotifications sessionNotifications_;
    std::clock_t quickCaptureStart_;
    bool settingsOpen_ = false;
    bool aboutOpen_ = false;
};

}  // namespace quillora
