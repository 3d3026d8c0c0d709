// A top-level window as the program marks it, through window properties: an
// original (its pseudo window and the object behind it, whether it was
// layered before, its own layered attributes, shown or shrunk) or a pseudo
// window (its original). A non-owning view, and the one place that knows the
// property names (other processes, and a later run of the program, read
// them too). Windows of other programs may vanish at any moment: reads then
// give null or zero and writes do nothing.
#pragma once

#include <windows.h>

#include <optional>

namespace quillora {

constexpr char kPropOriginalWindow[] = "OriginalWindow";          // on the pseudo window
constexpr char kPropPseudoWindow[] = "PseudoWindow";              // on the original
constexpr char kPropPseudoWindowObject[] = "PseudoWindowObject";  // on the original
constexpr char kPropLayered[] = "Layered";                        // on the original
constexpr char kPropTransparency[] = "Transparency";              // on the original
// The original's own layered attributes: the colour key (COLORREF), the
// alpha and the LWA_ flags. Saved exactly when "LayeredFlags" is present
// (non-zero); a window drawn through UpdateLayeredWindow has none to save.
constexpr char kPropLayeredKey[] = "LayeredKey";                  // on the original
constexpr char kPropLayeredAlpha[] = "LayeredAlpha";              // on the original
constexpr char kPropLayeredFlags[] = "LayeredFlags";              // on the original

class PseudoWindow;

class MarkedWindow {
public:
    explicit MarkedWindow(HWND hwnd) : hwnd_(hwnd) {}
    HWND Handle() const { return hwnd_; }

    // On a pseudo window: names its original.
    void SetOriginal(HWND original) const;
    // On an original: names its pseudo window and the object behind it (the
    // address is written for other processes to see that the pair is live;
    // the program never reads it back). The first change Quillora makes on
    // another program's window: false, with the thread's last error and
    // nothing set, when it is not made (a program with higher rights
    // refuses it with ERROR_ACCESS_DENIED).
    bool SetPseudo(HWND pseudo, const PseudoWindow* object) const;

    // On a pseudo window: its original.
    HWND Original() const;
    // On an original: its pseudo window, as stored (a value left by an
    // earlier run, or forged, may name anything by now: never use one
    // unchecked).
    HWND Pseudo() const;
    // On an original: its pseudo window while the pair is live, that is the
    // stored window exists and names this original back; null otherwise (no
    // pseudo window, gone, or a value left by an earlier run).
    HWND LivePseudo() const;
    // LivePseudo when that window belongs to this process; null otherwise.
    HWND OwnPseudo() const;
    // Either mark: an original or a pseudo window of this program.
    bool IsMarked() const { return Pseudo() || Original(); }
    void ForgetObject() const;
    void ForgetPseudo() const;

    // The original was layered before it was attached.
    bool WasLayered() const;
    void SetWasLayered() const;
    void ForgetWasLayered() const;

    // The original's own layered attributes, when it had any.
    struct Look {
        COLORREF key;
        BYTE alpha;
        DWORD flags;
    };
    std::optional<Look> OwnLook() const;
    void SaveOwnLook(const Look& look) const;
    void ForgetOwnLook() const;

    // Shown (opaque) or shrunk (alpha 0), as the program last made it.
    bool IsShown() const;
    void SetShown(bool shown) const;

private:
    HWND hwnd_;
};

}  // namespace quillora
