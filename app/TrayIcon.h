// The program's icon in the notification area: added once, changed on pause
// and resume, put back when the shell restarts, removed with the object.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace quillora {

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon of `owner`, whose mouse messages arrive as
    // callbackMessage with wParam id; tries up to ten times a second apart
    // (the shell may still be starting). Failures are logged.
    bool Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::string& tip);
    void SetIcon(HICON icon);
    // True for the message the shell broadcasts when it has restarted; the
    // icon is then added again.
    bool OnShellMessage(UINT msg);
    void Remove();

private:
    NOTIFYICONDATAA data_{};
    bool added_ = false;
    UINT taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
};

}  // namespace quillora
