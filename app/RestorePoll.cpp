// The two timers of the main window: restore polling (which original is in
// view and which is shrunk) and quick capture from the tray icon.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <set>

#include "app/MainWindow.h"
#include "app/Messages.h"
#include "pseudo/Properties.h"
#include "res/resource.h"
#include "rules/ResourceString.h"
#include "ui/Dialogs.h"
#include "win/Dpi.h"

namespace quillora {

namespace {

// At 100 ms a poll, a second between looks for vanished originals.
constexpr unsigned kQuietPollsPerPrune = 10;

HWND propWindow(HWND hwnd, const char* name) { return static_cast<HWND>(GetPropA(hwnd, name)); }

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
    POINT p{};
    GetCursorPos(&p);
    if (pollIsQuiet(p)) {
        // Nothing to restore or shrink; only originals that vanished (their
        // program killed, which the shell does not report) are looked for,
        // once a second.
        if (++quietPolls_ % kQuietPollsPerPrune == 0) pruneStaleEntries();
    } else {
        quietPolls_ = 0;
        pollWindows(p);
    }
    // A window reported while hidden and shown since is shrunk, like any new
    // window, from the next poll on.
    examinePendingWindows();
}

bool MainWindow::pollIsQuiet(POINT cursor) {
    // A poll's outcome depends on the cursor, the window under it, the
    // foreground window and the windows' own state, which only window events
    // change. Once a poll has run with the cursor at rest in a scene, another
    // in the same scene would find everything as it left it.
    const Scene scene{cursor, WindowFromPoint(cursor), GetForegroundWindow()};
    const bool quiet = sceneSettled_ && !windowEventSeen_ && scene == lastScene_;
    sceneSettled_ = scene == lastScene_;
    lastScene_ = scene;
    windowEventSeen_ = false;
    return quiet;
}

void MainWindow::pollWindows(POINT p) {
    std::set<HWND> keep;
    pruneStaleEntries();

    HWND w = windowUnderCursor(p);
    if (HWND original = propWindow(w, kPropOriginalWindow)) {
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
    } else if (HWND pseudoOfOriginal = propWindow(w, kPropPseudoWindow)) {
        keep.insert(pseudoOfOriginal);
    }
    GetCursorPos(&lastCursor_);

    if (HWND pseudoOfForeground = propWindow(GetForegroundWindow(), kPropPseudoWindow)) {
        keep.insert(pseudoOfForeground);
    }

    // A copy: Toggle talks to other programs, and window events handled in
    // the meantime may change the list.
    const std::vector<PseudoWindowPtr> entries = pseudoWindows_;
    for (const PseudoWindowPtr& entry : entries) {
        if (keep.count(entry->Handle()) == 0) hider_->Toggle(propWindow(entry->Handle(), kPropOriginalWindow));
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
        const std::string text = LoadResourceString(IDS_CANNOT_SHRINK);
        const std::string caption = LoadResourceString(IDS_PROGRAM_NAME);
        MessageBoxA(handle(), text.c_str(), caption.c_str(), MB_OK);
        return;
    }
    Rule rule;
    if (ShowQuickCaptureDialog(handle(), rule, target) == IDOK) Shrink(target, rule);
}

}  // namespace quillora
