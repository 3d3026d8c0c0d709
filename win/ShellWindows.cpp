#include "win/ShellWindows.h"

namespace win {

namespace {

// Class names compare without regard to case, as the system registers them.
bool SameClassName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

bool IsShellClassName(std::string_view className) {
    for (std::string_view shell : {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman", "WorkerW"}) {
        if (SameClassName(className, shell)) return true;
    }
    return false;
}

bool IsShellWindow(HWND window) {
    // Class names are at most 256 characters.
    char name[257] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return length > 0 && IsShellClassName(std::string_view(name, static_cast<std::size_t>(length)));
}

}  // namespace win
