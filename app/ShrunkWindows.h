// The windows the program has shrunk, one PseudoWindow object each, owned
// here and nowhere else; and what decides when each is shrunk and restored:
// the window events the main window hands over, the poll, the pseudo
// windows' own requests, and the give-back of originals whose program did
// not answer. Lives on the main window's thread; its timers run on a
// message-only window of its own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <set>
#include <vector>

#include "app/PendingWindows.h"
#include "app/PollSchedule.h"
#include "pseudo/PseudoWindow.h"
#include "pseudo/PseudoWindowHost.h"
#include "rules/SettingsStore.h"
#include "win/TimerWindow.h"

namespace quillora {

class ShrunkWindows : private PseudoWindowHost, private win::TimerClient {
public:
    explicit ShrunkWindows(SettingsStore& store) : store_(store), timers_(*this) {}
    ShrunkWindows(const ShrunkWindows&) = delete;
    ShrunkWindows& operator=(const ShrunkWindows&) = delete;

    // At the main window's creation: gives back what an earlier run left,
    // shrinks the matching windows there are and starts polling.
    void Start(HWND mainWindow);
    // At the main window's destruction: every original is given back, and
    // windows reported meanwhile are not shrunk any more.
    void Stop();

    bool Running() const { return running_; }
    // Gives every original back and stops polling; Resume looks at every
    // window again and starts polling.
    void Pause();
    void Resume();

    // A report of the shell hook (WM_SHELL_*) about `window`.
    void OnWindowEvent(UINT msg, HWND window);
    // The system's report (WM_WTSSESSION_CHANGE) that the user's session
    // left the screen or came back: no window changes meanwhile.
    void OnSessionChange(unsigned code);

    // Whether `hwnd` may be shrunk: a candidate (below) that the user can
    // see, visible and not cloaked (on another virtual desktop).
    bool IsEligible(HWND hwnd) const;
    // Shrinks `original` under a copy of `rule`: its pseudo window is made,
    // and the next poll shrinks it unless it is in use. False when it was
    // not (also when the original's program does not answer).
    bool Adopt(HWND original, const Rule& rule);
    // Every pseudo window sized and placed again, after a change of display
    // scale or layout.
    void PlaceAgain();

private:
    using Entry = std::unique_ptr<PseudoWindow>;

    // Entries that die are only dropped (marked; their pseudo window is
    // hidden already), and the list is compacted when the outermost pass
    // ends: a pass walks the list, and may talk to other programs, whose
    // events then arrive in the middle of it.
    class Pass {
    public:
        explicit Pass(ShrunkWindows& owner);
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        ShrunkWindows& owner_;
    };

    // The live object of `original`, or of the pseudo window `pseudo`; null
    // when there is none.
    PseudoWindow* find(HWND original) const;
    PseudoWindow* findByPseudo(HWND pseudo) const;
    template <typename Matches>
    PseudoWindow* findLive(Matches&& matches) const;

    // Not marked, and none of the windows never to shrink: ours, the
    // desktop, the shell's (taskbars, the desktop's layers, by class).
    bool isCandidate(HWND hwnd) const;
    void examineAllWindows();
    static BOOL CALLBACK examineOne(HWND hwnd, LPARAM self);

    // The created-window path. A window that is hidden or cloaked when it is
    // reported is held in pending_ when `holdIfHidden` (reports from the
    // shell hook), and comes back here from the poll once the user can see
    // it.
    void onWindowCreated(HWND hwnd, bool holdIfHidden);
    bool adoptAnswering(HWND original, const Rule& rule);
    void onWindowActivated(HWND hwnd);

    // PseudoWindowHost.
    void PseudoClicked(PseudoWindow& pseudo) override;
    void PseudoEditRequested(PseudoWindow& pseudo) override;
    void PseudoClosed(PseudoWindow& pseudo) override;

    // win::TimerClient: the poll and the give-back.
    void OnTimer(UINT_PTR id) override;

    // The poll.
    void onPoll();
    // Whether an original was minimised, maximised, brought back from
    // either or destroyed since the last look, or a pseudo window closed.
    bool anyEntryChanged();
    void pollWindows(const PollScene& scene);
    void dropDeadEntries();
    void examinePendingWindows();

    void releaseAll();
    void drop(PseudoWindow& entry);
    // Destroys the dropped entries, but those whose own message handler is
    // running (they wait for the next compaction).
    void compact();
    // Starts the give-back timer (IDT_GIVE_BACK).
    void giveBackLater();
    void onGiveBackTick();

    SettingsStore& store_;
    win::TimerWindow timers_;
    std::vector<Entry> entries_;
    unsigned passes_ = 0;
    bool anyDropped_ = false;
    std::set<HWND> excluded_;
    PendingWindows pending_;
    PollSchedule schedule_;
    bool running_ = true;
    POINT lastCursor_{};
};

}  // namespace quillora
