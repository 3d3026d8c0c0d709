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
    if (show()) return true;
    win::LogFailure("Shell_NotifyIconA(NIM_ADD)");
    return false;
}

bool TrayIcon::Retry() { return shown_ || (data_.hWnd && show()); }

// An icon the shell holds already (a refused add that reached it after all,
// or one kept over a restart message) cannot be added again but can be
// changed: either way it then shows, with this image.
bool TrayIcon::show() {
    mayBeShown_ = true;
    shown_ = notify_(NIM_ADD, &data_) || notify_(NIM_MODIFY, &data_);
    return shown_;
}

void TrayIcon::SetIcon(HICON icon) {
    data_.hIcon = icon;
    if (shown_ && !notify_(NIM_MODIFY, &data_)) win::LogFailure("Shell_NotifyIconA(NIM_MODIFY)");
}

bool TrayIcon::OnShellMessage(UINT msg) {
    if (taskbarCreatedMessage_ == 0 || msg != taskbarCreatedMessage_) return false;
    // The shell lost its icons: put ours back, also one that it refused
    // before it restarted.
    if (data_.hWnd && !show()) win::LogFailure("Shell_NotifyIconA(NIM_ADD), shell restarted");
    return true;
}

void TrayIcon::Remove() {
    if (mayBeShown_) notify_(NIM_DELETE, &data_);
    mayBeShown_ = shown_ = false;
}

}  // namespace quillora
