// The hidden main window: tray icon, pseudo-window list, timers, and the
// target of every private message.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "app/Application.h"
#include "win/Window.h"

namespace quillora {

class MainWindow : public win::Window {
public:
    explicit MainWindow(Application& app);
    ~MainWindow() override;

    bool Create();
    // Adds the tray icon, trying up to ten times a second apart.
    bool AddTrayIcon();
    void DeleteTrayIcon();

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void onDestroy();

    Application& app_;
    NOTIFYICONDATAA trayData_{};
};

}  // namespace quillora
