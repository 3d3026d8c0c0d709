#include "pseudo/PseudoWindow.h"

#include <unordered_set>

#include "pseudo/MarkedWindow.h"
#include "pseudo/PseudoMessages.h"
#include "res/resource.h"
#include "win/ResourceString.h"
#include "win/Log.h"

namespace quillora {

namespace {

constexpr UINT kSeparatorCommand = 0;  // command id of the system menu's separators

// The objects alive in this process. The original's "PseudoWindowObject" is a
// plain pointer stored on another program's window; it is only trusted when
// it names one of these.
std::unordered_set<const PseudoWindow*>& liveObjects() {
    static std::unordered_set<const PseudoWindow*> objects;
    return objects;
}

// What the once-a-second look reads of an original: its WS_MINIMIZE and
// WS_MAXIMIZE bits, or kGone once the window is no more.
constexpr LONG_PTR kGone = -1;

LONG_PTR sizeStateOf(HWND window) {
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    if (style == 0 && GetLastError() != ERROR_SUCCESS) return kGone;
    return style & (WS_MINIMIZE | WS_MAXIMIZE);
}

}  // namespace

PseudoWindow::PseudoWindow(HWND mainWindow, const Rule& rule)
    : mainWindow_(mainWindow), stretcher_(MakeStretcher(rule.StretchDrawMethod)), rule_(rule) {
    liveObjects().insert(this);
}

PseudoWindow::~PseudoWindow() {
    liveObjects().erase(this);
}

PseudoWindow* PseudoWindow::FromOriginal(HWND original) {
    if (!original) return nullptr;
    const MarkedWindow marks(original);
    PseudoWindow* object = marks.Object();
    if (!object || !liveObjects().count(object)) return nullptr;
    HWND pseudo = object->Handle();
    return pseudo && pseudo == marks.LivePseudo() ? object : nullptr;
}

HWND PseudoWindow::Original() const {
    if (!original_ || !IsWindow(original_)) return nullptr;
    return MarkedWindow(original_).Pseudo() == created_ ? original_ : nullptr;
}

HWND PseudoWindow::Create(HWND original) {
    if (!registerClass(kPseudoWindowClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                       reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)))) {
        win::LogFailure("RegisterClassExA(\"PseudoWindow\")");
        return nullptr;
    }
    DWORD exStyle = WS_EX_TOOLWINDOW;
    if (rule_.Topmost) exStyle |= WS_EX_TOPMOST;
    if (rule_.Transparent) exStyle |= WS_EX_LAYERED;
    DWORD style = WS_POPUP;
    if (rule_.Frame) style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

    HWND hwnd = win::Checked(createNative(exStyle, kPseudoWindowClass, "", style, 0, 0, 0, 0, nullptr, nullptr),
                             "CreateWindowExA(\"PseudoWindow\")");
    if (!hwnd) return nullptr;

    if (rule_.Transparent) {
        SetLayeredWindowAttributes(hwnd, 0, AlphaForTransparency(rule_.Transparency), LWA_ALPHA);
    }
    if (rule_.ExtendSystemMenu) extendSystemMenu();

    MarkedWindow::Tie(original, hwnd, this);
    original_ = original;
    created_ = hwnd;
    sizeState_ = sizeStateOf(original);
    return hwnd;
}

bool PseudoWindow::OriginalStateChanged() {
    const LONG_PTR state = sizeStateOf(original_);
    if (state == sizeState_) return false;
    sizeState_ = state;
    return true;
}

void PseudoWindow::extendSystemMenu() {
    HMENU menu = GetSystemMenu(Handle(), FALSE);  // the window's own copy; it goes with the window
    if (!menu) return;
    const std::string edit = win::LoadResourceString(IDS_MENU_EDIT);
    InsertMenuA(menu, kSeparatorCommand, MF_BYCOMMAND | MF_STRING, kQuickEditCommand, edit.c_str());
    InsertMenuA(menu, kQuickEditCommand, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
}

LRESULT PseudoWindow::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_DESTROY:
    case WM_MOVE: return 0;
    case WM_SIZE: onSize(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_PAINT: onPaint(); return 0;
    case WM_CLOSE: onClose(); return 0;
    case WM_SYSCOMMAND:
        if (onSysCommand(wp)) return 0;
        break;
    case WM_TIMER: onTimer(wp); return 0;
    case WM_LBUTTONDOWN: onLButtonDown(); return 0;
    case WM_MOUSEWHEEL: onMouseWheel(GET_WHEEL_DELTA_WPARAM(wp)); return 0;
    case WM_SIZING: onSizing(static_cast<int>(wp), reinterpret_cast<RECT*>(lp)); return TRUE;
    case WM_MOVING: return TRUE;
    case WM_ENTERSIZEMOVE: outsideSizeMove_ = false; return 0;
    case WM_EXITSIZEMOVE: outsideSizeMove_ = true; return 0;
    }
    return defaultProc(msg, wp, lp);
}

void PseudoWindow::onCreate() {
    if (rule_.UpdateDisplay) SetTimer(Handle(), kRefreshTimer, static_cast<UINT>(rule_.UpdateDisplayElapse), nullptr);
}

void PseudoWindow::onClose() {
    HWND original = MarkedWindow(Handle()).Original();
    // Only a request: the original's program decides whether it closes.
    if (original && IsWindow(original)) PostMessageA(original, WM_SYSCOMMAND, SC_CLOSE, 0);
    DestroyWindow(Handle());
}

void PseudoWindow::onLButtonDown() {
    if (rule_.StretchRestoreMethod == RestoreLeftClick) {
        SendMessageA(mainWindow_, WM_PSEUDO_CLICKED, reinterpret_cast<WPARAM>(Handle()), 0);
    }
}

void PseudoWindow::onMouseWheel(int delta) {
    rule_.Transparency = WheelTransparency(rule_.Transparency, delta);
    if (!rule_.Transparent) {
        const LONG exStyle = GetWindowLongA(Handle(), GWL_EXSTYLE);
        SetWindowLongA(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        rule_.Transparent = true;
    }
    SetLayeredWindowAttributes(Handle(), 0, AlphaForTransparency(rule_.Transparency), LWA_ALPHA);
}

bool PseudoWindow::onSysCommand(WPARAM wp) {
    if (LOWORD(wp) != kQuickEditCommand) return false;
    // The dialog's nested loop keeps the polling running, which may drop this
    // object's list entry (its original closed); keep the object alive until
    // the dialog has returned.
    const std::shared_ptr<PseudoWindow> keepAlive = weak_from_this().lock();
    const LRESULT result = SendMessageA(mainWindow_, WM_PSEUDO_QUICK_EDIT, reinterpret_cast<WPARAM>(Handle()),
                                        reinterpret_cast<LPARAM>(&rule_));
    HWND hwnd = Handle();
    if (result == IDOK && hwnd) {
        PostMessageA(mainWindow_, WM_PSEUDO_REBUILD, reinterpret_cast<WPARAM>(MarkedWindow(hwnd).Original()), 0);
    }
    return true;
}

}  // namespace quillora
