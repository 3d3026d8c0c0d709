#include "app/MainWindow.h"

#include "app/Messages.h"
#include "res/resource.h"
#include "rules/ResourceString.h"

namespace quillora {

MainWindow::MainWindow(Application& app) : app_(app) {}

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

bool MainWindow::AddTrayIcon() {
    trayData_ = {};
    trayData_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayData_.hWnd = handle();
    trayData_.uID = kTrayIconId;
    trayData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData_.uCallbackMessage = WM_TRAY_NOTIFY;
    trayData_.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY_RUNNING));
    lstrcpynA(trayData_.szTip, LoadResourceString(IDS_PROGRAM_NAME).c_str(), sizeof trayData_.szTip);
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (Shell_NotifyIconA(NIM_ADD, &trayData_)) return true;
        Sleep(1000);
    }
    return false;
}

void MainWindow::DeleteTrayIcon() { Shell_NotifyIconA(NIM_DELETE, &trayData_); }

LRESULT MainWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY: onDestroy(); return 0;
    default: return defaultProc(msg, wp, lp);
    }
}

void MainWindow::onDestroy() { PostQuitMessage(0); }

}  // namespace quillora
