// Windows the shell reported while they were still hidden. Programs create
// their main window hidden and show it a moment later, and the report may
// come before the show (under Wine it always does); the system keeps a store
// app's window cloaked until it has drawn: such a window is looked at again
// once it is shown and not cloaked, for a while. A matching window whose program
// does not answer is held here too, and looked at again at every poll.
#pragma once

#include <windows.h>

#include <vector>

namespace quillora {

class PendingWindows {
public:
    // How long a reported window may stay hidden before it is forgotten.
    static constexpr DWORD kPatienceMs = 10000;

    // Holds `hwnd`, reported at tick `now`; a window already held keeps its
    // first report time.
    void Add(HWND hwnd, DWORD now);
    void Clear() { entries_.clear(); }
    bool Empty() const { return entries_.empty(); }
    std::size_t Size() const { return entries_.size(); }

    // Takes out every held window that is visible and not cloaked now.
    // Windows that no longer exist, and those still out of sight kPatienceMs
    // after their report, are dropped; the others stay.
    std::vector<HWND> TakeShown(DWORD now);

private:
    struct Entry {
        HWND hwnd;
        DWORD reported;
    };
    std::vector<Entry> entries_;
};

}  // namespace quillora
