// What a tick of the 100 ms poll does. A poll's outcome depends on the
// cursor, the window under it, the foreground window and the windows' own
// state, which only window events change. Once a poll has run with the
// cursor at rest, ticks without new input, a new foreground window or a
// window event would find everything as the poll left it: they do nothing
// but, once a second, read the scene again (under Wine the cursor costs a
// round trip to the X server) and look at the originals' own state, which
// catches a window that moved under a resting cursor and a program that
// minimised, maximised or destroyed its window unreported. While the user's
// session is off the screen (locked, switched away, disconnected) no tick
// changes any window: there is no foreground window and no cursor then, and
// the window the user was working in would be shrunk under the lock screen.
// Pure: the caller reads the system and carries out the answer.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

#include <optional>

namespace quillora {

// What the poll reads of the screen when it looks.
struct PollScene {
    POINT cursor{};
    HWND underCursor = nullptr;
    HWND foreground = nullptr;

    bool operator==(const PollScene& o) const {
        return cursor.x == o.cursor.x && cursor.y == o.cursor.y && underCursor == o.underCursor &&
               foreground == o.foreground;
    }
};

enum class PollStep {
    Hold,           // the session is off the screen or the cursor unknown: change no window
    Nothing,        // nothing can have changed
    LookAtWindows,  // the scene is as it was: a full poll only if an original's own state changed
    Full,           // a full poll over every shrunk window
};

class PollSchedule {
public:
    // At 100 ms a tick, a quiet program looks once a second.
    static constexpr unsigned kTicksPerLook = 10;

    // A window event came (or a window was shrunk): the next tick polls in
    // full.
    void NoteWindowEvent() { windowEvent_ = true; }

    // Whether `foreground` is not the foreground window of the last full
    // poll: the user or a program brought another window to the front.
    bool IsNewForeground(HWND foreground) const { return foreground != last_.foreground; }

    // A WM_WTSSESSION_CHANGE code (WTS_*). Back on the screen, the next
    // tick polls in full.
    void SessionChanged(unsigned code) {
        const bool wasShown = SessionShown();
        switch (code) {
        case WTS_SESSION_LOCK: locked_ = true; break;
        case WTS_SESSION_UNLOCK: locked_ = false; break;
        case WTS_CONSOLE_DISCONNECT:
        case WTS_REMOTE_DISCONNECT: disconnected_ = true; break;
        case WTS_CONSOLE_CONNECT:
        case WTS_REMOTE_CONNECT: disconnected_ = false; break;
        default: break;
        }
        if (!wasShown && SessionShown()) windowEvent_ = true;
    }
    bool SessionShown() const { return !locked_ && !disconnected_; }

    // One tick, given the last input time and the foreground window.
    // `readScene` (std::optional<PollScene>(), empty when the cursor cannot
    // be read) is called only when the scene is to be read.
    template <typename ReadScene>
    PollStep Next(DWORD lastInput, HWND foreground, ReadScene&& readScene) {
        if (!SessionShown()) return PollStep::Hold;
        const bool nothingNew = !windowEvent_ && lastInput == lastInput_ && !IsNewForeground(foreground);
        lastInput_ = lastInput;
        windowEvent_ = false;
        if (nothingNew && settled_ && ++quietTicks_ % kTicksPerLook != 0) return PollStep::Nothing;
        const std::optional<PollScene> scene = readScene();
        if (!scene) {
            // Read again at the next tick.
            windowEvent_ = true;
            return PollStep::Hold;
        }
        return step(nothingNew, *scene);
    }

private:
    PollStep step(bool nothingNew, const PollScene& scene) {
        if (nothingNew && settled_ && scene == last_) return PollStep::LookAtWindows;
        // Settled once a full poll has seen the same scene twice in a row.
        settled_ = scene == last_;
        last_ = scene;
        quietTicks_ = 0;
        return PollStep::Full;
    }

    PollScene last_{};
    DWORD lastInput_ = 0;
    bool settled_ = false;
    bool windowEvent_ = true;
    unsigned quietTicks_ = 0;
    bool locked_ = false;
    bool disconnected_ = false;
};

}  // namespace quillora
