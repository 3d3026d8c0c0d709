// The shrunk windows: window events (created windows are matched against the
// rules and shrunk, activated originals restored or their pseudo windows
// raised), the pseudo windows' requests (click, quick edit, close), the poll
// (which original is in view and which is shrunk) and the give-back of
// originals whose program did not answer.
#include "app/ShrunkWindows.h"

#include <algorithm>
#include <cmath>

#include "app/Messages.h"
#include "app/Recovery.h"
#include "pseudo/MarkedWindow.h"
#include "pseudo/WindowHider.h"
#include "rules/Matching.h"
#include "ui/Dialogs.h"
#include "pseudo/Visibility.h"
#include "win/Dpi.h"
#include "win/Dwm.h"
#include "win/Log.h"
#include "win/ShellWindows.h"
#include "win/Window.h"

namespace quillora {

namespace {

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

ShrunkWindows::Pass::Pass(ShrunkWindows& owner) : owner_(owner) { ++owner_.passes_; }

ShrunkWindows::Pass::~Pass() {
    if (--owner_.passes_ == 0 && owner_.anyDropped_) owner_.compact();
}

void ShrunkWindows::drop(PseudoWindow& entry) {
    entry.Drop();
    anyDropped_ = true;
}

void ShrunkWindows::compact() {
    // Taken out of the list first: a pseudo window's destruction may let
    // window events in, which must find the list whole. An object whose own
    // handler is running (it asked for what dropped it) waits for the next
    // compaction.
    std::vector<Entry> dead;
    anyDropped_ = false;
    for (Entry& entry : entries_) {
        if (!entry->Dropped()) continue;
        if (entry->Busy()) {
            anyDropped_ = true;
            continue;
        }
        dead.push_back(std::move(entry));
    }
    std::erase(entries_, nullptr);
}

template <typename Matches>
PseudoWindow* ShrunkWindows::findLive(Matches&& matches) const {
    for (const Entry& entry : entries_) {
        if (!entry->Dropped() && matches(*entry)) return entry.get();
    }
    return nullptr;
}

PseudoWindow* ShrunkWindows::find(HWND original) const {
    return original ? findLive([original](const PseudoWindow& e) { return e.Original() == original; }) : nullptr;
}

PseudoWindow* ShrunkWindows::findByPseudo(HWND pseudo) const {
    return pseudo ? findLive([pseudo](const PseudoWindow& e) { return e.Handle() == pseudo; }) : nullptr;
}

void ShrunkWindows::Start(HWND mainWindow) {
    // The shell's own windows are known by their class (IsEligible), also
    // those it makes anew after a restart.
    excluded_.insert(mainWindow);
    excluded_.insert(GetDesktopWindow());
    timers_.Create();
    GetCursorPos(&lastCursor_);
    // Windows left transparent by an earlier run are given back from the
    // first tick on: their programs may not answer, and creation must not
    // wait for them.
    giveBackLater();
    examineAllWindows();
    timers_.Start(IDT_POLL, kPollPeriodMs);
}

void ShrunkWindows::Stop() {
    // Windows reported while the originals are given back are not shrunk
    // any more.
    if (running_) Pause();
    // What is still to give back at exit is the entry point's last task.
    timers_.Stop(IDT_GIVE_BACK);
}

void ShrunkWindows::Pause() {
    running_ = false;
    timers_.Stop(IDT_POLL);
    pending_.Clear();
    releaseAll();
}

void ShrunkWindows::Resume() {
    const Pass pass(*this);
    running_ = true;
    schedule_.NoteWindowEvent();
    examineAllWindows();
    timers_.Start(IDT_POLL, kPollPeriodMs);
}

void ShrunkWindows::OnWindowEvent(UINT msg, HWND window) {
    switch (msg) {
    case WM_SHELL_CREATED: onWindowCreated(window, true); break;
    case WM_SHELL_ACTIVATED: onWindowActivated(window); break;
    // Nothing to do at once: what a destroyed, minimised or maximised window
    // changes, the next poll sees. (A destroyed window is reported while it
    // still exists; if that poll still finds it, the look once a second
    // notices its end.)
    default: break;
    }
    // Every window event makes the next poll a full one.
    schedule_.NoteWindowEvent();
}

void ShrunkWindows::OnSessionChange(unsigned code) { schedule_.SessionChanged(code); }

void ShrunkWindows::OnTimer(UINT_PTR id) {
    if (id == IDT_POLL) onPoll();
    else if (id == IDT_GIVE_BACK) onGiveBackTick();
}

BOOL CALLBACK ShrunkWindows::examineOne(HWND hwnd, LPARAM self) {
    reinterpret_cast<ShrunkWindows*>(self)->onWindowCreated(hwnd, false);
    return TRUE;
}

void ShrunkWindows::examineAllWindows() {
    // Each window goes through the created-window path as if the hook had
    // reported it, except that hidden ones are not held: most hidden
    // top-level windows stay hidden, and the next resume looks again anyway.
    EnumWindows(examineOne, reinterpret_cast<LPARAM>(this));
}

void ShrunkWindows::PlaceAgain() {
    const Pass pass(*this);
    // Only the entries there were when the pass began: window events handled
    // meanwhile may append to the list.
    for (std::size_t i = 0, n = entries_.size(); i < n; ++i) {
        if (!entries_[i]->Dropped()) entries_[i]->PlaceAgain();
    }
}

bool ShrunkWindows::isCandidate(HWND hwnd) const {
    return hwnd != nullptr && !MarkedWindow(hwnd).IsMarked() && excluded_.count(hwnd) == 0 &&
           !win::IsShellWindow(hwnd);
}

bool ShrunkWindows::IsEligible(HWND hwnd) const {
    return isCandidate(hwnd) && MayBeShrunk(IsWindowVisible(hwnd) != FALSE, win::IsCloaked(hwnd));
}

void ShrunkWindows::onWindowCreated(HWND hwnd, bool holdIfHidden) {
    if (!IsWindow(hwnd) || !running_) return;
    if (!MayBeShrunk(IsWindowVisible(hwnd) != FALSE, win::IsCloaked(hwnd))) {
        // Hidden, or cloaked (a store app until it has drawn, a window on
        // another virtual desktop): held until the user can see it. Our own
        // dialogs and pseudo windows are made hidden too; they are never
        // candidates.
        if (holdIfHidden && isCandidate(hwnd) && !win::IsOwnWindow(hwnd)) pending_.Add(hwnd, GetTickCount());
        return;
    }
    if (!isCandidate(hwnd)) return;
    const Rule* rule = MatchRules(hwnd, store_.Rules);
    if (!rule) return;
    // Shrinking changes the window's style, which waits for its program: a
    // window whose program does not answer is looked at again by the next
    // polls, until it answers.
    if (!win::Answers(hwnd)) {
        pending_.Add(hwnd, GetTickCount());
        return;
    }
    adoptAnswering(hwnd, *rule);
}

void ShrunkWindows::examinePendingWindows() {
    if (pending_.Empty()) return;
    // Taken out first: shrinking talks to other programs, and reports
    // handled meanwhile may add to the set.
    for (HWND hwnd : pending_.TakeShown(GetTickCount())) onWindowCreated(hwnd, false);
}

bool ShrunkWindows::Adopt(HWND original, const Rule& rule) {
    return win::Answers(original) && adoptAnswering(original, rule);
}

bool ShrunkWindows::adoptAnswering(HWND original, const Rule& rule) {
    PseudoWindowHost& host = *this;
    auto entry = std::make_unique<PseudoWindow>(host, original, rule);
    switch (entry->Create()) {
    case PseudoWindow::Created::Made: break;
    case PseudoWindow::Created::Refused:
        // A program with higher rights: left alone for the rest of the run,
        // instead of a stand-in that never shows and a retry at every resume.
        excluded_.insert(original);
        return false;
    case PseudoWindow::Created::Failed: return false;
    }
    entries_.push_back(std::move(entry));
    schedule_.NoteWindowEvent();
    return true;
}

void ShrunkWindows::onWindowActivated(HWND hwnd) {
    PseudoWindow* entry = find(hwnd);
    if (!entry || WindowHider::IsOriginalShown(hwnd)) return;
    if (store_.Settings.ActiveRestore) {
        entry->Restore();
    } else {
        entry->Raise();
    }
}

void ShrunkWindows::PseudoClicked(PseudoWindow& pseudo) {
    if (!pseudo.Dropped()) pseudo.Restore();
}

void ShrunkWindows::PseudoEditRequested(PseudoWindow& pseudo) {
    Rule rule = pseudo.GetRule();
    if (ShowQuickEditDialog(pseudo.Handle(), rule) != IDOK) return;
    // The dialog's nested message loop kept everything running: the
    // original may be gone by now, or the program paused or ended.
    if (!running_ || pseudo.Dropped() || !IsWindow(pseudo.Original())) return;
    const Pass pass(*this);
    const HWND original = pseudo.Original();
    // Give the original back completely before shrinking it anew: its layered
    // style is then recorded as it really was, and if the new pseudo window
    // cannot be made the original is left visible rather than transparent.
    drop(pseudo);
    if (!pseudo.GiveBack()) {
        // Its program stopped answering: it is opaque, and is given back
        // completely once it answers.
        giveBackLater();
        return;
    }
    Adopt(original, rule);
}

void ShrunkWindows::PseudoClosed(PseudoWindow&) {
    // The next poll drops it, and gives its original back should that
    // survive the request to close.
    schedule_.NoteWindowEvent();
}

void ShrunkWindows::onPoll() {
    const Pass pass(*this);
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    GetLastInputInfo(&input);
    const HWND foreground = GetForegroundWindow();
    const bool newForeground = schedule_.IsNewForeground(foreground);
    PollScene scene;
    const PollStep step = schedule_.Next(input.dwTime, foreground, [&]() -> std::optional<PollScene> {
        if (!GetCursorPos(&scene.cursor)) return std::nullopt;
        scene.underCursor = WindowFromPoint(scene.cursor);
        scene.foreground = foreground;
        return scene;
    });
    if (step == PollStep::Hold) return;
    if (newForeground) {
        // The shell does not report every activation (under Wine, none): a
        // shrunk original the user brought to the front is handled here as
        // if it had been reported. A second report of the same activation
        // finds it shown, or raises its pseudo window once more.
        onWindowActivated(foreground);
    }
    // Not every shell reports a program that minimises or maximises its own
    // window, none a killed one, and the report of a destroyed window comes
    // while it still exists: the look once a second finds such originals.
    if (step == PollStep::Full || (step == PollStep::LookAtWindows && anyEntryChanged())) pollWindows(scene);
    // A window reported while hidden and shown since is shrunk, like any new
    // window, from the next poll on.
    examinePendingWindows();
}

bool ShrunkWindows::anyEntryChanged() {
    bool changed = false;
    // Every entry notes its original's state, so that one change means one
    // full poll.
    for (const Entry& entry : entries_) {
        if (entry->Dropped()) continue;
        changed = entry->OriginalStateChanged() || entry->Closed() || changed;
    }
    return changed;
}

void ShrunkWindows::pollWindows(const PollScene& scene) {
    dropDeadEntries();
    std::set<const PseudoWindow*> keep;
    const POINT p = scene.cursor;
    HWND w = windowUnderCursor(p);
    if (PseudoWindow* under = findByPseudo(w)) {
        // The settings are pixels at 96 DPI; the cursor and the window are
        // in the physical pixels of the pseudo window's monitor.
        const UINT dpi = win::DpiOf(w);
        const int margin = win::ScaleForDpi(store_.Settings.Mergin, dpi);
        RECT r{};
        GetClientRect(w, &r);
        InflateRect(&r, -margin, -margin);
        POINT q = p;
        ScreenToClient(w, &q);
        if (distance(lastCursor_, p) < win::ScaleForDpi(store_.Settings.Sensitivity, dpi) &&
            under->GetRule().StretchRestoreMethod == RestoreMouseOver && PtInRect(&r, q)) {
            under->Restore();
            keep.insert(under);
        }
    } else if (const PseudoWindow* inUse = find(w)) {
        keep.insert(inUse);
    }
    GetCursorPos(&lastCursor_);

    if (const PseudoWindow* front = find(GetForegroundWindow())) keep.insert(front);

    // Only the entries there were when the pass began: shrinking talks to
    // other programs, and window events handled meanwhile may append to the
    // list.
    for (std::size_t i = 0, n = entries_.size(); i < n; ++i) {
        PseudoWindow& entry = *entries_[i];
        if (!entry.Dropped() && keep.count(&entry) == 0) entry.Shrink();
    }
}

void ShrunkWindows::dropDeadEntries() {
    bool waiting = false;
    for (std::size_t i = 0, n = entries_.size(); i < n; ++i) {
        PseudoWindow& entry = *entries_[i];
        if (entry.Dropped()) continue;
        if (entry.Closed()) {
            // The user closed the pseudo window, but its original may have
            // refused to close: it must not stay invisible. If its program
            // does not answer, it is opaque now and the rest is left to the
            // give-back timer.
            if (IsWindow(entry.Original()) && !entry.GiveBack()) waiting = true;
            drop(entry);
        } else if (!IsWindow(entry.Original())) {
            drop(entry);
        }
    }
    if (waiting) giveBackLater();
}

void ShrunkWindows::releaseAll() {
    const Pass pass(*this);
    // The originals first, all of them opaque before any is given its style
    // back (which may wait for its program); our own windows go last, when
    // the pass ends.
    std::vector<HWND> originals;
    for (std::size_t i = 0, n = entries_.size(); i < n; ++i) {
        PseudoWindow& entry = *entries_[i];
        if (entry.Dropped()) continue;
        if (IsWindow(entry.Original())) originals.push_back(entry.Original());
        drop(entry);
    }
    if (WindowHider::GiveBackAll(originals) != 0) giveBackLater();
}

void ShrunkWindows::giveBackLater() { timers_.Start(IDT_GIVE_BACK, kGiveBackRetryMs); }

void ShrunkWindows::onGiveBackTick() {
    std::vector<HWND> givenBack;
    if (RecoverAbandonedOriginals(&givenBack) == 0) timers_.Stop(IDT_GIVE_BACK);
    // Ordinary windows again: while running they are looked at as if just
    // reported (what the start or a resume could not do while they were
    // still marked).
    for (HWND hwnd : givenBack) onWindowCreated(hwnd, false);
}

}  // namespace quillora
