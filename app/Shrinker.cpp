// The shrinking machinery: window events (created windows are matched against
// the rules and shrunk, activated originals restored or their pseudo windows
// raised, pseudo windows rebuilt after a quick edit), the restore polling
// (which original is in view and which is shrunk) and the give-back of
// originals whose program did not answer.
#include "app/Shrinker.h"

#include <algorithm>
#include <cmath>

#include "app/Messages.h"
#include "app/Recovery.h"
#include "pseudo/MarkedWindow.h"
#include "pseudo/WindowHider.h"
#include "rules/Matching.h"
#include "win/Dpi.h"
#include "win/Log.h"
#include "win/Window.h"

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

void Shrinker::Start(HWND mainWindow) {
    mainWindow_ = mainWindow;
    excluded_.insert(mainWindow);
    excluded_.insert(GetDesktopWindow());
    excluded_.insert(FindWindowA("Progman", "Program Manager"));
    excluded_.insert(FindWindowA("Shell_TrayWnd", nullptr));
    GetCursorPos(&lastCursor_);
    // Windows left transparent by an earlier run are given back from the
    // first tick on: their programs may not answer, and creation must not
    // wait for them.
    giveBackLater();
    examineAllWindows();
    SetTimer(mainWindow_, IDT_POLL, kPollPeriodMs, nullptr);
}

void Shrinker::Stop() {
    if (running_) {
        // Windows reported while the originals are given back are not
        // shrunk any more.
        running_ = false;
        KillTimer(mainWindow_, IDT_POLL);
        releaseAll();
    }
    // What is still to give back at exit is the entry point's last task.
    KillTimer(mainWindow_, IDT_GIVE_BACK);
}

void Shrinker::Pause() {
    running_ = false;
    KillTimer(mainWindow_, IDT_POLL);
    pending_.Clear();
    releaseAll();
}

void Shrinker::Resume() {
    running_ = true;
    windowEventSeen_ = true;
    examineAllWindows();
    SetTimer(mainWindow_, IDT_POLL, kPollPeriodMs, nullptr);
}

bool Shrinker::HandleMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_TIMER) {
        if (wp == IDT_POLL) onPoll();
        else if (wp == IDT_GIVE_BACK) onGiveBackTick();
        else return false;
        return true;
    }
    HWND hwnd = reinterpret_cast<HWND>(wp);
    switch (msg) {
    case WM_SHELL_CREATED: onWindowCreated(hwnd, true); break;
    case WM_SHELL_ACTIVATED: onWindowActivated(hwnd); break;
    case WM_PSEUDO_CLICKED: WindowHider::Toggle(hwnd); break;
    case WM_PSEUDO_REBUILD: onRebuild(hwnd); break;
    // Nothing to do at once: what a destroyed, minimised or maximised window
    // changes, the next poll sees. (A destroyed window is reported while it
    // still exists; if that poll still finds it, the look once a second
    // notices its end.)
    case WM_SHELL_DESTROYED:
    case WM_SHELL_MINMAX: break;
    default: return false;
    }
    // Every window event makes the next poll a full one.
    windowEventSeen_ = true;
    return true;
}

BOOL CALLBACK Shrinker::examineOne(HWND hwnd, LPARAM self) {
    reinterpret_cast<Shrinker*>(self)->onWindowCreated(hwnd, false);
    return TRUE;
}

void Shrinker::examineAllWindows() {
    // Each window goes through the created-window path as if the hook had
    // reported it, except that hidden ones are not held: most hidden
    // top-level windows stay hidden, and the next resume looks again anyway.
    EnumWindows(examineOne, reinterpret_cast<LPARAM>(this));
}

void Shrinker::PlaceAgain() {
    // A copy, as everywhere the list is walked: no message handled meanwhile
    // may change it under the loop.
    const std::vector<PseudoWindowPtr> entries = pseudoWindows_;
    for (const PseudoWindowPtr& entry : entries) entry->PlaceAgain();
}

bool Shrinker::IsEligible(HWND hwnd) const {
    return hwnd != nullptr && !MarkedWindow(hwnd).IsMarked() && excluded_.count(hwnd) == 0;
}

void Shrinker::onWindowCreated(HWND hwnd, bool holdIfHidden) {
    if (!IsWindow(hwnd) || !running_) return;
    if (!IsWindowVisible(hwnd)) {
        // Our own dialogs and pseudo windows are made hidden too; they are
        // never candidates.
        if (holdIfHidden && IsEligible(hwnd) && !win::IsOwnWindow(hwnd)) pending_.Add(hwnd, GetTickCount());
        return;
    }
    if (!IsEligible(hwnd)) return;
    const Rule* rule = MatchRules(hwnd, app_.Rules);
    if (!rule) return;
    // Shrinking changes the window's style, which waits for its program: a
    // window whose program does not answer is looked at again by the next
    // polls, until it answers.
    if (!WindowHider::Answers(hwnd)) {
        pending_.Add(hwnd, GetTickCount());
        return;
    }
    shrinkAnswering(hwnd, *rule);
}

void Shrinker::examinePendingWindows() {
    if (pending_.Empty()) return;
    // Taken out first: shrinking talks to other programs, and reports
    // handled meanwhile may add to the set.
    for (HWND hwnd : pending_.TakeShown(GetTickCount())) onWindowCreated(hwnd, false);
}

HWND Shrinker::Shrink(HWND original, const Rule& rule) {
    return WindowHider::Answers(original) ? shrinkAnswering(original, rule) : nullptr;
}

HWND Shrinker::shrinkAnswering(HWND original, const Rule& rule) {
    PseudoWindowPtr pseudo(new PseudoWindow(mainWindow_, rule));
    HWND pseudoHandle = pseudo->Create(original);
    if (!pseudoHandle) return nullptr;
    WindowHider::Attach(original);
    WindowHider::ShowOriginal(original);
    pseudoWindows_.push_back(pseudo);
    windowEventSeen_ = true;
    return pseudoHandle;
}

void Shrinker::onWindowActivated(HWND hwnd) {
    PseudoWindow* pseudo = PseudoWindow::FromOriginal(hwnd);
    if (!pseudo || WindowHider::IsOriginalShown(hwnd)) return;
    if (app_.Settings.ActiveRestore) {
        WindowHider::Toggle(pseudo->Handle());
        return;
    }
    // Bring the pseudo window to the top of the ordinary windows without
    // activating it (passing through topmost lifts it above everything).
    SetWindowPos(pseudo->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(pseudo->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Shrinker::onRebuild(HWND original) {
    PseudoWindow* pseudo = PseudoWindow::FromOriginal(original);
    if (!pseudo) return;
    const Rule rule = pseudo->GetRule();
    // Give the original back completely before shrinking it anew: its layered
    // style is then recorded as it really was, and if the new pseudo window
    // cannot be made the original is left visible rather than transparent.
    auto entry = std::find_if(pseudoWindows_.begin(), pseudoWindows_.end(),
                              [pseudo](const PseudoWindowPtr& e) { return e.get() == pseudo; });
    if (entry == pseudoWindows_.end()) return;
    PseudoWindowPtr keepAlive = *entry;
    pseudoWindows_.erase(entry);
    if (!WindowHider::Release(*keepAlive)) {
        // Its program stopped answering: it is opaque, and is given back
        // completely once it answers.
        giveBackLater();
        return;
    }
    Shrink(original, rule);
}

void Shrinker::onPoll() {
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
    // Every poll that sees a new foreground window runs in full and keeps it
    // in lastScene_.
    const bool newForeground = foreground != lastScene_.foreground;
    if (newForeground) {
        // The shell does not report every activation (under Wine, none): a
        // shrunk original the user brought to the front is handled here as
        // if it had been reported. A second report of the same activation
        // finds it shown, or raises its pseudo window once more.
        onWindowActivated(foreground);
    }
    const bool nothingNew = !windowEventSeen_ && input.dwTime == lastInputTime_ && !newForeground;
    lastInputTime_ = input.dwTime;
    windowEventSeen_ = false;
    const bool look = !nothingNew || !sceneSettled_ || ++quietPolls_ % kQuietPollsPerLook == 0;
    if (look) {
        POINT p{};
        GetCursorPos(&p);
        const Scene scene{p, WindowFromPoint(p), foreground};
        if (nothingNew && sceneSettled_ && scene == lastScene_) {
            // Not every shell reports a program that minimises or maximises
            // its own window, none a killed one, and the report of a
            // destroyed window comes while it still exists: look for such
            // originals once a second.
            if (anyEntryChanged()) pollWindows(p);
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

bool Shrinker::anyEntryChanged() {
    bool changed = false;
    // Every entry notes its original's state, so that one change means one
    // full poll.
    for (const PseudoWindowPtr& entry : pseudoWindows_) {
        changed = entry->OriginalStateChanged() || !entry->Handle() || changed;
    }
    return changed;
}

void Shrinker::pollWindows(POINT p) {
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
            WindowHider::Restore(w);
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
        if (keep.count(entry->Handle()) == 0) WindowHider::Shrink(MarkedWindow(entry->Handle()).Original());
    }
}

void Shrinker::pruneStaleEntries() {
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

void Shrinker::releaseAll() {
    // Take the list first: releasing sends messages to other programs, and a
    // window event handled meanwhile may append to the list.
    std::vector<PseudoWindowPtr> entries;
    entries.swap(pseudoWindows_);
    if (WindowHider::ReleaseAll(entries) != 0) giveBackLater();
}

void Shrinker::giveBackLater() {
    win::Checked(SetTimer(mainWindow_, IDT_GIVE_BACK, kGiveBackRetryMs, nullptr), "SetTimer(IDT_GIVE_BACK)");
}

void Shrinker::onGiveBackTick() {
    std::vector<HWND> givenBack;
    if (RecoverAbandonedOriginals(&givenBack) == 0) KillTimer(mainWindow_, IDT_GIVE_BACK);
    // Ordinary windows again: while running they are looked at as if just
    // reported (what the start or a resume could not do while they were
    // still marked).
    for (HWND hwnd : givenBack) onWindowCreated(hwnd, false);
}

}  // namespace quillora
