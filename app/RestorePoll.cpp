// The two timers of the main window: restore polling (which original is in
// view and which is shrunk) and quick capture from the tray icon.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <set>

#include "app/MainWindow.h"
#include "app/Messages.h"
#include "pseudo/MarkedWindow.h"
#include "res/resource.h"
#include "ui/Dialogs.h"
#include "win/Dpi.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

// At 100 ms a poll, a quiet program looks at the scene once a second.
constexpr unsigned kQuietPollsPerLook = 10;

bool isDialogBox(HWND hwnd) { return hwnd && GetWindowLongPtrA(hwnd, DWLP_DLGPROC) != 0; }

// The outermost window of the parent/owner chain under the cursor, except
// that the climb stops at a dialog box whose parent is not a dialog box.
HWND windowUnderCursor(POINT p) {
    HWND w = WindowFromPoint(p);
    while (w) {
        HWND parent = GetParent(w);
        if (!isDialogBox(parent) && isDialogBox(w)) break;
        if (!parent) break;
        w = parent;
    }
    return w;
}

int distance(POINT a, POINT b) {
    const long long dx = static_cast<long long>(a.x) - b.x;
    const long long dy = static_cast<long long>(a.y) - b.y;
    return static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

}  // namespace

void MainWindow::onPoll() {
    // A poll's outcome depends on the cursor, the window under it, the
    // foreground window and the windows' own state, which only window events
    // change. Once a poll has run with the cursor at rest, polls without new
    // input, a new foreground window or a window event would find everything
    // as it left it: they skip the per-window work. The cursor itself is read
    // only once a second then (under Wine it costs a round trip to the X
    // server), which also catches a window that moved under a resting cursor.
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    GetLastInputInfo(&input);
    const HWND foreground = GetForegroundWindow();
    if (foreground != lastForeground_) {
        lastForeground_ = foreground;
        // The shell does not report every activation (under Wine, none): a
        // shrunk original the user brought to the front is handled here as
        // if it had been reported. A second report of the same activation
        // finds it shown, or raises its pseudo window once more.
        onWindowActivated(foreground);
    }
    const bool nothingNew = !windowEventSeen_ && input.dwTime == lastInputTime_ && foreground == lastScene_.foreground;
    lastInputTime_ = input.dwTime;
    windowEventSeen_ = false;
    const bool look = !nothingNew || !sceneSettled_ || ++quietPolls_ % kQuietPollsPerLook == 0;
    if (look) {
        POINT p{};
        GetCursorPos(&p);
        const Scene scene{p, WindowFromPoint(p), foreground};
        if (nothingNew && sceneSettled_ && scene == lastScene_) {
            // Neither a program that minimises or maximises its own window
            // nor one that is killed is reported by every shell: look for
            // such originals once a second.
            if (anyOriginalResized()) {
                pollWindows(p);
            } else if (anyOriginalVanished()) {
                pruneStaleEntries();
            }
        } else {
            sceneSettled_ = scene == lastScene_;
            lastScene_ = scene;
            quietPolls_ = 0;
            pollWindows(p);
        }
    }
    // A window reported while hidden and shown since is shrunk, like any new
    // window, from the next poll on.
    examinePendingWindows();
}

bool MainWindow::anyOriginalResized() {
    bool resized = false;
    // Every entry notes its original's state, so that one change means one
    // full poll.
    for (const PseudoWindowPtr& entry : pseudoWindows_) resized = entry->OriginalSizeStateChanged() || resized;
    return resized;
}

bool MainWindow::anyOriginalVanished() const {
    // An unowned window its program destroys is reported by the shell, and
    // that event makes the next poll a full one; a program that is killed
    // reports nothing, so watch the originals' processes: one wait for up to
    // 64 of them, whatever the number of shrunk windows. Owned originals
    // (no process kept for them) are looked for one by one.
    std::vector<HANDLE> processes;
    for (const PseudoWindowPtr& entry : pseudoWindows_) {
        if (!entry->Handle()) return true;  // the user closed the pseudo window
        if (HANDLE process = entry->OriginalProcess()) {
            processes.push_back(process);
        } else if (!IsWindow(entry->CreatedFor())) {
            return true;
        }
    }
    for (std::size_t first = 0; first < processes.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const DWORD count = static_cast<DWORD>(std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, processes.size() - first));
        if (WaitForMultipleObjects(count, processes.data() + first, FALSE, 0) != WAIT_TIMEOUT) return true;
    }
    return false;
}

void MainWindow::pollWindows(POINT p) {
    std::set<HWND> keep;
    pruneStaleEntries();

    HWND w = windowUnderCursor(p);
    if (HWND original = MarkedWindow(w).Original()) {
        PseudoWindow* pseudo = PseudoWindow::FromOriginal(original);
        // The settings are pixels at 96 DPI; the cursor and the window are
        // in the physical pixels of the pseudo window's monitor.
        const UINT dpi = win::DpiOf(w);
        const int margin = win::ScaleForDpi(app_.Settings.Mergin, dpi);
        RECT r{};
        GetClientRect(w, &r);
        InflateRect(&r, -margin, -margin);
        POINT q = p;
        ScreenToClient(w, &q);
        if (pseudo && distance(lastCursor_, p) < win::ScaleForDpi(app_.Settings.Sensitivity, dpi) &&
            pseudo->GetRule().StretchRestoreMethod == RestoreMouseOver && PtInRect(&r, q)) {
            hider_->Toggle(w);
            keep.insert(w);
        }
    } else if (HWND pseudoOfOriginal = MarkedWindow(w).Pseudo()) {
        keep.insert(pseudoOfOriginal);
    }
    GetCursorPos(&lastCursor_);

    if (HWND pseudoOfForeground = MarkedWindow(GetForegroundWindow()).Pseudo()) {
        keep.insert(pseudoOfForeground);
    }

    // A copy: Toggle talks to other programs, and window events handled in
    // the meantime may change the list.
    const std::vector<PseudoWindowPtr> entries = pseudoWindows_;
    for (const PseudoWindowPtr& entry : entries) {
        if (keep.count(entry->Handle()) == 0) hider_->Toggle(MarkedWindow(entry->Handle()).Original());
    }
}

void MainWindow::pruneStaleEntries() {
    // IsStale also gives back an original whose pseudo window was closed but
    // which refused to close itself. That talks to other programs, and window
    // events handled meanwhile may append to the list: test a copy, then drop
    // only the stale entries.
    const std::vector<PseudoWindowPtr> entries = pseudoWindows_;
    std::vector<PseudoWindowPtr> stale;
    for (const PseudoWindowPtr& entry : entries) {
        if (IsStale(*entry)) stale.push_back(entry);
    }
    std::erase_if(pseudoWindows_, [&](const PseudoWindowPtr& entry) {
        return std::find(stale.begin(), stale.end(), entry) != stale.end();
    });
    // An original that survived its closed pseudo window but did not answer
    // is only opaque so far.
    if (!stale.empty()) giveBackLater();
}

void MainWindow::onQuickCaptureTick() {
    const double seconds = static_cast<double>(std::clock() - quickCaptureStart_) / CLOCKS_PER_SEC;
    const bool buttonUp = GetAsyncKeyState(VK_LBUTTON) == 0;
    if (seconds <= 0.5) {
        if (buttonUp) KillTimer(handle(), IDT_QUICK_CAPTURE);  // a plain click does nothing
        return;
    }
    if (!captureWindow_.Exists()) {
        captureWindow_.Create(nullptr);
        return;
    }
    if (!buttonUp) return;
    KillTimer(handle(), IDT_QUICK_CAPTURE);
    captureWindow_.Destroy();
    quickCapturePick(captureWindow_.Target());
}

void MainWindow::quickCapturePick(HWND target) {
    if (!IsWindow(target) || !isEligible(target)) {
        win::ShowMessageBox(handle(), IDS_CANNOT_SHRINK, IDS_PROGRAM_NAME, MB_OK);
        return;
    }
    Rule rule;
    if (ShowQuickCaptureDialog(handle(), rule, target) == IDOK) Shrink(target, rule);
}

}  // namespace quillora
