#include "app/PendingWindows.h"

#include <algorithm>

#include "win/Dwm.h"

namespace quillora {

void PendingWindows::Add(HWND hwnd, DWORD now) {
    const bool held = std::any_of(entries_.begin(), entries_.end(), [hwnd](const Entry& e) { return e.hwnd == hwnd; });
    if (!held) entries_.push_back({hwnd, now});
}

std::vector<HWND> PendingWindows::TakeShown(DWORD now) {
    std::vector<HWND> shown;
    std::erase_if(entries_, [&](const Entry& e) {
        if (!IsWindow(e.hwnd)) return true;
        if (IsWindowVisible(e.hwnd) && !win::IsCloaked(e.hwnd)) {
            shown.push_back(e.hwnd);
            return true;
        }
        // Unsigned difference: correct across the tick count's wrap-around.
        return now - e.reported >= kPatienceMs;
    });
    return shown;
}

}  // namespace quillora
