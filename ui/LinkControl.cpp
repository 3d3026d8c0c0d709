#include "ui/LinkControl.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>


namespace quillora {

namespace {

constexpr char kBrowserSettingsKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";

bool readBrowserColour(const char* value, COLORREF& colour) {
    char text[64] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kBrowserSettingsKey, value, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return false;
    return ParseColourTriple(text, colour);
}

}  // namespace

bool ParseColourTriple(const std::string& text, COLORREF& colour) {
    int r = -1, g = -1, b = -1;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d%c", &r, &g, &b, &tail) != 3) return false;
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
    colour = RGB(r, g, b);
    return true;
}

void LinkControl::Attach(HWND control, const std::string& address) {
    address_ = address;
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
    LOGFONTA font{};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(GetParent(control), WM_GETFONT, 0, 0));
    GetObjectA(dialogFont ? static_cast<HGDIOBJ>(dialogFont) : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = TRUE;
    underlined_.reset(CreateFontIndirectA(&font));
    readBrowserColour("Anchor Color", colour_);
    readBrowserColour("Anchor Color Visited", visitedColour_);
    SetWindowTextA(control, address.c_str());
    attach(control);
    addTooltip();
    InvalidateRect(control, nullptr, TRUE);
}

void LinkControl::addTooltip() {
    // Owned by the dialog, so it goes with it.
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(control(), GA_ROOT), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!tooltip_) return;
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control());
    tool.uId = reinterpret_cast<UINT_PTR>(control());
    tool.lpszText = const_cast<char*>(address_.c_str());
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

RECT LinkControl::textRect() const {
    RECT r{};
    win::WindowDC dc(control());
    win::SelectObjectScope font(dc.get(), underlined_.get());
    DrawTextA(dc.get(), address_.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r;
}

void LinkControl::paint() {
    win::PaintDC dc(control());
    RECT client{};
    GetClientRect(control(), &client);
    HBRUSH background = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(control()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(control())));
    FillRect(dc.get(), &client, background ? background : GetSysColorBrush(COLOR_BTNFACE));
    win::SelectObjectScope font(dc.get(), underlined_.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), visited_ ? visitedColour_ : colour_);
    DrawTextA(dc.get(), address_.c_str(), -1, &client, DT_SINGLELINE | DT_NOPREFIX);
}

void LinkControl::press(POINT p) {
    const RECT text = textRect();
    if (!PtInRect(&text, p)) return;
    SetFocus(control());
    SetCapture(control());
    pressed_ = true;
}

void LinkControl::release(POINT p) {
    if (!pressed_) return;
    pressed_ = false;
    ReleaseCapture();
    const RECT text = textRect();
    if (!PtInRect(&text, p)) return;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        visited_ = true;
        InvalidateRect(control(), nullptr, TRUE);
    }
}

bool LinkControl::onMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
    case WM_PAINT: paint(); break;
    case WM_SETCURSOR:
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    case WM_NCHITTEST: result = HTCLIENT; return true;
    case WM_LBUTTONDOWN: press(at); break;
    case WM_LBUTTONUP: release(at); break;
    case WM_CAPTURECHANGED: pressed_ = false; break;
    default: return false;
    }
    result = 0;
    return true;
}

}  // namespace quillora
