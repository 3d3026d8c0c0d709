// The shrinking machinery behind the main window: the pseudo windows it owns,
// the windows held until they are shown or answer, the restore polling, the
// reactions to window events and to the pseudo windows' messages, and the
// give-back of originals whose program did not answer. Lives on the main
// window's thread and runs the main window's timers IDT_POLL and
// IDT_GIVE_BACK.
#pragma once

#include <windows.h>

#include <set>
#include <vector>

#include "app/PendingWindows.h"
#include "pseudo/PseudoWindow.h"
#include "rules/Application.h"

namespace quillora {

class Shrinker {
public:
    explicit Shrinker(Application& app) : app_(app) {}
    Shrinker(const Shrinker&) = delete;
    Shrinker& operator=(const Shrinker&) = delete;

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

    // Handles the window events, the pseudo windows' clicks and rebuilds, and
    // the two timers; returns false, doing nothing, for any other message.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Whether `hwnd` may be shrunk: not marked, and none of the windows never
    // to shrink (ours, the desktop's, the taskbar).
    bool IsEligible(HWND hwnd) const;
    // Shrinks `original` with a copy of `rule`; returns the pseudo window,
    // or null (also when the original's program does not answer).
    HWND Shrink(HWND original, const Rule& rule);
    // Every pseudo window sized and placed again, after a change of display
    // scale or layout.
    void PlaceAgain();

private:
    void examineAllWindows();
    static BOOL CALLBACK examineOne(HWND hwnd, LPARAM self);

    // Window events.
    // The created-window path. A window that is hidden when it is reported is
    // held in pending_ when `holdIfHidden` (reports from the shell hook), and
    // comes back here from the poll once it is shown.
    void onWindowCreated(HWND hwnd, bool holdIfHidden);
    // Shrink for an original whose program was just seen to answer.
    HWND shrinkAnswering(HWND original, const Rule& rule);
    void onWindowActivated(HWND hwnd);
    void onRebuild(HWND original);

    // Restore polling.
    void onPoll();
    // Whether an original was minimised, maximised, brought back from
    // either or destroyed since the last look, or a pseudo window closed.
    bool anyEntryChanged();
    void pollWindows(POINT cursor);
    void pruneStaleEntries();
    void examinePendingWindows();

    void releaseAll();
    // Starts the give-back timer (IDT_GIVE_BACK).
    void giveBackLater();
    void onGiveBackTick();

    Application& app_;
    HWND mainWindow_ = nullptr;
    std::vector<PseudoWindowPtr> pseudoWindows_;
    std::set<HWND> excluded_;
    PendingWindows pending_;
    bool running_ = true;
    POINT lastCursor_{};
    // What the last poll saw, so that a poll in an unchanged scene can skip
    // the per-window work. sceneSettled_: the last full poll ran with the
    // cursor at rest.
    struct Scene {
        POINT cursor;
        HWND underCursor;
        HWND foreground;
        bool operator==(const Scene& o) const {
            return cursor.x == o.cursor.x && cursor.y == o.cursor.y && underCursor == o.underCursor &&
                   foreground == o.foreground;
        }
    };
    Scene lastScene_{};
    DWORD lastInputTime_ = 0;
    bool sceneSettled_ = false;
    bool windowEventSeen_ = true;
    unsigned quietPolls_ = 0;
};

}  // namespace quillora
