// Stands in for the notification area. Wine's Shell_NotifyIcon hands each
// request to the first "Shell_TrayWnd" window as WM_COPYDATA: the request
// (NIM_*) in dwData, the icon's owner in wParam, and the data in Wine's own
// layout below; this window, topmost, comes first, and its answer is the
// request's result. It takes Quillora's requests while it accepts, as a
// notification area that is ready, and refuses them otherwise, as one that
// is still starting.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <map>

#include "app/Messages.h"

namespace uitest {

class TrayStandIn {
public:
    explicit TrayStandIn(bool accepting = true) : accepting_(accepting) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);  // fails harmlessly for a second stand-in of this run
        hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, wc.hInstance, this);
    }
    ~TrayStandIn() { DestroyWindow(hwnd_); }
    TrayStandIn(const TrayStandIn&) = delete;
    TrayStandIn& operator=(const TrayStandIn&) = delete;

    void Accept(bool accepting) { accepting_ = accepting; }
    // Requests (NIM_*) about Quillora's icon taken so far, and refused.
    int Taken(DWORD request) const { return count(taken_, request); }
    int Refused(DWORD request) const { return count(refused_, request); }
    // The size of the last image added or changed.
    SIZE LastIconSize() const { return lastIconSize_; }

private:
    struct NotifyData {
        LONG hWnd;
        UINT uID, uFlags, uCallbackMessage;
        WCHAR szTip[128];
        DWORD dwState, dwStateMask;
        WCHAR szInfo[256];
        UINT uTimeout;
        WCHAR szInfoTitle[64];
        DWORD dwInfoFlags;
        GUID guidItem;
        UINT width, height, planes, bpp;
    };

    static int count(const std::map<DWORD, int>& counts, DWORD request) {
        const auto found = counts.find(request);
        return found == counts.end() ? 0 : found->second;
    }

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        }
        auto* self = reinterpret_cast<TrayStandIn*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg != WM_COPYDATA || !self) return DefWindowProcA(hwnd, msg, wp, lp);
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        const auto* data = static_cast<const NotifyData*>(copy->lpData);
        if (copy->cbData < sizeof *data || data->uID != quillora::kTrayIconId) return FALSE;
        const auto request = static_cast<DWORD>(copy->dwData);
        ++(self->accepting_ ? self->taken_ : self->refused_)[request];
        if (self->accepting_ && (data->uFlags & NIF_ICON) && request != NIM_DELETE) {
            self->lastIconSize_ = {static_cast<LONG>(data->width), static_cast<LONG>(data->height)};
        }
        return self->accepting_;
    }

    bool accepting_;
    std::map<DWORD, int> taken_, refused_;
    SIZE lastIconSize_{};
    HWND hwnd_ = nullptr;
};

}  // namespace uitest
