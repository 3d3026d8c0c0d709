// What a pseudo window asks of the object that owns it. The calls come from
// inside the pseudo window's own message handlers: the owner must neither
// destroy the pseudo window's object during them nor expect it to be shown.
#pragma once

#include <windows.h>

namespace quillora {

class PseudoWindow;

// The command the pseudo window adds to its system menu to edit its rule
// (a WM_SYSCOMMAND id).
constexpr UINT kQuickEditCommand = 1;

class PseudoWindowHost {
public:
    // The user clicked a pseudo window whose rule restores on a click.
    virtual void PseudoClicked(PseudoWindow& pseudo) = 0;
    // The user chose the quick edit in the pseudo window's system menu: the
    // owner edits a copy of its rule and, when the user accepts it, builds
    // the pseudo window anew with it.
    virtual void PseudoEditRequested(PseudoWindow& pseudo) = 0;
    // The user closed the pseudo window; it is hidden, and its original has
    // been asked to close. The owner drops it, and gives the original back
    // should it refuse to close.
    virtual void PseudoClosed(PseudoWindow& pseudo) = 0;

protected:
    ~PseudoWindowHost() = default;
};

}  // namespace quillora
