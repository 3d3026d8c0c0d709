// The system's reports of the user's session leaving and coming back to the
// screen (lock, user switch, a remote session's disconnect), delivered to a
// window as WM_WTSSESSION_CHANGE for as long as the object lives.
#pragma once

#include <windows.h>

namespace win {

class SessionNotifications {
public:
    SessionNotifications() = default;
    ~SessionNotifications() { Stop(); }
    SessionNotifications(const SessionNotifications&) = delete;
    SessionNotifications& operator=(const SessionNotifications&) = delete;

    // Registers `window` for its own session's changes; false (logged) where
    // the system refuses or cannot (the terminal services library missing).
    bool Start(HWND window);
    // Unregisters, while the window still exists.
    void Stop();

private:
    HWND window_ = nullptr;
};

}  // namespace win
