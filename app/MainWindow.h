// The hidden main window: tray icon and menu, the pseudo-window list, the
// restore polling and quick capture, and the target of every private message.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <ctime>
#include <set>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "app/PendingWindows.h"
#include "app/TrayIcon.h"
#include "pseudo/PseudoWindow.h"
#include "pseudo/WindowHider.h"
#include "rules/Application.h"
#include "ui/CaptureWindow.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace quillora {

class MainWindow : public win::Window {
public:
    explicit MainWindow(Application& app);
    ~MainWindow() override;

    bool Create();
    // Adds the tray icon, trying up to ten times a second apart.
    bool AddTrayIcon();
    void DeleteTrayIcon() { trayIcon_.Remove(); }

    // Shrinks `original` with a copy of `rule`; returns the pseudo window,
    // or null (also when the original's program does not answer).
    HWND Shrink(HWND original, const Rule& rule);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Creation and destruction.
    void onCreate();
    void onDestroy();
    void onEndSession();
    void examineAllWindows();
    static BOOL CALLBACK examineOne(HWND hwnd, LPARAM self);

    // Tray icon and commands.
    HICON stateIcon() const;
    void onTrayNotify(WPARAM id, LPARAM mouseMessage);
    void showTrayMenu();
    void onCommand(UINT id);
    void togglePause();
    void openSettings();
    // Shows a dialog unless `open` says it is already open; then that one
    // comes to the front.
    template <typename Show>
    void runOneDialog(bool& open, Show&& show);

    // Window events.
    bool isEligible(HWND hwnd) const;
    // The created-window path. A window that is hidden when it is reported is
    // held in pending_ when `holdIfHidden` (reports from the shell hook), and
    // comes back here from the poll once it is shown.
    void onWindowCreated(HWND hwnd, bool holdIfHidden);
    // Shrink for an original whose program was just seen to answer.
    HWND shrinkAnswering(HWND original, const Rule& rule);
    void onWindowActivated(HWND hwnd);
    void onRebuild(HWND original);
    void onPseudoClicked(HWND pseudo);

    // Restore polling and quick capture.
    void onPoll();
    // Whether an original was minimised, maximised or brought back from
    // either since the last look.
    bool anyOriginalResized();
    bool anyOriginalVanished() const;
    void pollWindows(POINT cursor);
    void pruneStaleEntries();
    void examinePendingWindows();
    void onQuickCaptureTick();
    void quickCapturePick(HWND target);

    // Display scale and layout changes (DisplayChange.cpp).
    void loadTrayIcons();
    void onDisplayChanged(UINT msg, WPARAM wp);
    void onDisplaySettled();

    void releaseAll();
    // Starts the give-back timer (IDT_GIVE_BACK).
    void giveBackLater();
    void onGiveBackTick();

    Application& app_;
    std::vector<PseudoWindowPtr> pseudoWindows_;
    std::set<HWND> excluded_;
    PendingWindows pending_;
    boost::shared_ptr<WindowHider> hider_;
    // The shell keeps its own copy; these serve every add and change.
    win::Icon runningIcon_;
    win::Icon pausedIcon_;
    TrayIcon trayIcon_;
    bool running_ = true;
    CaptureWindow captureWindow_;
    std::clock_t quickCaptureStart_;
    POINT lastCursor_{};
    // What the last poll saw, so that a poll in an unchanged scene can skip
    // the per-window work (RestorePoll.cpp). sceneSettled_: the last full
    // poll ran with the cursor at rest.
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
    // The foreground window as the last poll saw it, to notice activations.
    HWND lastForeground_ = nullptr;
    bool sceneSettled_ = false;
    bool windowEventSeen_ = true;
    unsigned quietPolls_ = 0;
    bool settingsOpen_ = false;
    bool aboutOpen_ = false;
};

}  // namespace quillora
