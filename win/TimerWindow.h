// A message-only window that owns a set of timers for an object that has no
// window of its own: the timers are set on this window and their ticks are
// handed to the client, so no timer is set on a window that its owner does
// not know about.
#pragma once

#include <windows.h>

#include "win/Window.h"

namespace win {

class TimerClient {
public:
    virtual void OnTimer(UINT_PTR id) = 0;

protected:
    ~TimerClient() = default;
};

class TimerWindow : public Window {
public:
    explicit TimerWindow(TimerClient& client) : client_(client) {}
    ~TimerWindow() override;

    // Makes the native window; false (logged) when it cannot be made.
    bool Create();
    // Starts or restarts timer `id`; a failure is logged.
    void Start(UINT_PTR id, UINT periodMs);
    void Stop(UINT_PTR id);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TimerClient& client_;
};

}  // namespace win
