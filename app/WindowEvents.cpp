// Reactions to window events: created windows are matched against the rules
// and shrunk, activated originals restored or their pseudo windows raised,
// and pseudo windows rebuilt after a quick edit.
#include <algorithm>

#include "app/MainWindow.h"
#include "pseudo/MarkedWindow.h"
#include "rules/Matching.h"

namespace quillora {

bool MainWindow::isEligible(HWND hwnd) const {
    return hwnd != nullptr && !MarkedWindow(hwnd).IsMarked() && excluded_.count(hwnd) == 0;
}

namespace {

bool isOwnWindow(HWND hwnd) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    return process == GetCurrentProcessId();
}

}  // namespace

void MainWindow::onWindowCreated(HWND hwnd, bool holdIfHidden) {
    if (!IsWindow(hwnd) || !running_) return;
    if (!IsWindowVisible(hwnd)) {
        // Our own dialogs and pseudo windows are made hidden too; they are
        // never candidates.
        if (holdIfHidden && isEligible(hwnd) && !isOwnWindow(hwnd)) pending_.Add(hwnd, GetTickCount());
        return;
    }
    if (!isEligible(hwnd)) return;
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

void MainWindow::examinePendingWindows() {
    if (pending_.Empty()) return;
    // Taken out first: shrinking talks to other programs, and reports
    // handled meanwhile may add to the set.
    for (HWND hwnd : pending_.TakeShown(GetTickCount())) onWindowCreated(hwnd, false);
}

HWND MainWindow::Shrink(HWND original, const Rule& rule) {
    return WindowHider::Answers(original) ? shrinkAnswering(original, rule) : nullptr;
}

HWND MainWindow::shrinkAnswering(HWND original, const Rule& rule) {
    PseudoWindowPtr pseudo(new PseudoWindow(handle(), rule));
    HWND pseudoHandle = pseudo->Create(original);
    if (!pseudoHandle) return nullptr;
    hider_->Attach(original);
    hider_->ShowOriginal(original);
    pseudoWindows_.push_back(pseudo);
    windowEventSeen_ = true;
    return pseudoHandle;
}

void MainWindow::onWindowActivated(HWND hwnd) {
    PseudoWindow* pseudo = PseudoWindow::FromOriginal(hwnd);
    if (!pseudo || hider_->IsOriginalShown(hwnd)) return;
    if (app_.Settings.ActiveRestore) {
        hider_->Toggle(pseudo->Handle());
        return;
    }
    // Bring the pseudo window to the top of the ordinary windows without
    // activating it (passing through topmost lifts it above everything).
    SetWindowPos(pseudo->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(pseudo->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void MainWindow::onRebuild(HWND original) {
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
    if (!hider_->Release(*keepAlive)) {
        // Its program stopped answering: it is opaque, and is given back
        // completely once it answers.
        giveBackLater();
        return;
    }
    Shrink(original, rule);
}

void MainWindow::onPseudoClicked(HWND pseudo) { hider_->Toggle(pseudo); }

}  // namespace quillora
