#include "pseudo/MarkedWindow.h"

#include "win/Log.h"
#include "win/Window.h"

namespace quillora {

namespace {

constexpr UINT_PTR kShownTransparency = 255;
constexpr UINT_PTR kHiddenTransparency = 0;

UINT_PTR value(HWND hwnd, const char* name) { return reinterpret_cast<UINT_PTR>(GetPropA(hwnd, name)); }
HWND window(HWND hwnd, const char* name) { return static_cast<HWND>(GetPropA(hwnd, name)); }
void set(HWND hwnd, const char* name, HANDLE v) {
    if (SetPropA(hwnd, name, v)) return;
    char detail[64] = {};
    wsprintfA(detail, ", \"%s\"", name);  // the names are short constants
    win::LogFailureOn(hwnd, "SetPropA", detail);
}
void set(HWND hwnd, const char* name, UINT_PTR v) { set(hwnd, name, reinterpret_cast<HANDLE>(v)); }

}  // namespace

void MarkedWindow::SetOriginal(HWND original) const { set(hwnd_, kPropOriginalWindow, original); }

bool MarkedWindow::SetPseudo(HWND pseudo, const PseudoWindow* object) const {
    if (!SetPropA(hwnd_, kPropPseudoWindow, pseudo)) return false;
    set(hwnd_, kPropPseudoWindowObject, reinterpret_cast<UINT_PTR>(object));
    return true;
}

HWND MarkedWindow::Original() const { return window(hwnd_, kPropOriginalWindow); }
HWND MarkedWindow::Pseudo() const { return window(hwnd_, kPropPseudoWindow); }

HWND MarkedWindow::LivePseudo() const {
    HWND pseudo = Pseudo();
    if (!pseudo || !IsWindow(pseudo) || MarkedWindow(pseudo).Original() != hwnd_) return nullptr;
    return pseudo;
}

HWND MarkedWindow::OwnPseudo() const {
    HWND pseudo = LivePseudo();
    return pseudo && win::IsOwnWindow(pseudo) ? pseudo : nullptr;
}

void MarkedWindow::ForgetObject() const { RemovePropA(hwnd_, kPropPseudoWindowObject); }
void MarkedWindow::ForgetPseudo() const { RemovePropA(hwnd_, kPropPseudoWindow); }

bool MarkedWindow::WasLayered() const { return GetPropA(hwnd_, kPropLayered) != nullptr; }
void MarkedWindow::SetWasLayered() const { set(hwnd_, kPropLayered, 1); }
void MarkedWindow::ForgetWasLayered() const { RemovePropA(hwnd_, kPropLayered); }

std::optional<MarkedWindow::Look> MarkedWindow::OwnLook() const {
    const auto flags = static_cast<DWORD>(value(hwnd_, kPropLayeredFlags));
    if (!flags) return std::nullopt;
    return Look{static_cast<COLORREF>(value(hwnd_, kPropLayeredKey)),
                static_cast<BYTE>(value(hwnd_, kPropLayeredAlpha)), flags};
}

void MarkedWindow::SaveOwnLook(const Look& look) const {
    set(hwnd_, kPropLayeredKey, look.key);
    set(hwnd_, kPropLayeredAlpha, look.alpha);
    set(hwnd_, kPropLayeredFlags, look.flags);
}

void MarkedWindow::ForgetOwnLook() const {
    RemovePropA(hwnd_, kPropLayeredKey);
    RemovePropA(hwnd_, kPropLayeredAlpha);
    RemovePropA(hwnd_, kPropLayeredFlags);
}

bool MarkedWindow::IsShown() const { return (value(hwnd_, kPropTransparency) & 0xFF) == kShownTransparency; }

void MarkedWindow::SetShown(bool shown) const {
    set(hwnd_, kPropTransparency, shown ? kShownTransparency : kHiddenTransparency);
}

}  // namespace quillora
