#include "app/TrayIcon.h"

#include "win/Log.h"

namespace quillora {

TrayIcon::~TrayIcon() { Remove(); }

bool TrayIcon::Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::string& tip) {
    data_ = {};
    data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data_.hWnd = owner;
    data_.uID = id;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    lstrcpynA(data_.szTip, tip.c_str(), sizeof data_.szTip);
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (Shell_NotifyIconA(NIM_ADD, &data_)) return added_ = true;
        Sleep(1000);
    }
    win::LogFailure("Shell_NotifyIconA(NIM_ADD), ten attempts");
    return false;
}

void TrayIcon::SetIcon(HICON icon) {
    data_.hIcon = icon;
    if (!Shell_NotifyIconA(NIM_MODIFY, &data_)) win::LogFailure("Shell_NotifyIconA(NIM_MODIFY)");
}

bool TrayIcon::OnShellMessage(UINT msg) {
    if (taskbarCreatedMessage_ == 0 || msg != taskbarCreatedMessage_) return false;
    // The shell lost its icons: put ours back, also one that it refused
    // before it restarted.
    if (data_.hWnd) {
        added_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
        if (!added_) win::LogFailure("Shell_NotifyIconA(NIM_ADD), shell restarted");
    }
    return true;
}

void TrayIcon::Remove() {
    if (added_) Shell_NotifyIconA(NIM_DELETE, &data_);
    added_ = false;
}

}  // namespace quillora
