// The program's icon in the notification area: added once the shell takes
// it, changed on pause and resume, put back when the shell restarts,
// removed with the object.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace quillora {

class TrayIcon {
public:
    // How the icon reaches the shell: Shell_NotifyIconA, or a stand-in.
    using Notify = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);

    explicit TrayIcon(Notify notify = Shell_NotifyIconA) : notify_(notify) {}
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon of `owner`, whose mouse messages arrive as
    // callbackMessage with wParam id, in one try: at logon the shell may not
    // take icons yet, and nothing may wait for it. False (and logged) when
    // it refused; Retry then tries again.
    bool Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::string& tip);
    // Another try at an icon the shell has not taken; true once it shows.
    bool Retry();
    bool Shown() const { return shown_; }
    // The image of the shown icon, or of the one still to be added.
    void SetIcon(HICON icon);
    // True for the message the shell broadcasts when it has restarted; the
    // icon is then added again (Shown() says whether that worked).
    bool OnShellMessage(UINT msg);
    void Remove();

private:
    bool show();

    Notify notify_;
    NOTIFYICONDATAA data_{};
    // The shell said it has the icon.
    bool shown_ = false;
    // An add was tried since the last delete: a refused add may still have
    // reached a busy shell, and after the message of a restart the icon may
    // well still be there (Explorer sends it on a change of display scale
    // too), so only a delete is sure to leave no dead icon behind.
    bool mayBeShown_ = false;
    UINT taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
};

}  // namespace quillora
