// Base class for taking over some messages of an existing control
// (SetWindowSubclass). The subclass ends with the control or the object,
// whichever goes first; exceptions stop at the procedure boundary.
#pragma once

#include <windows.h>

namespace win {

class Subclass {
public:
    Subclass() = default;
    virtual ~Subclass();
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;

    HWND control() const { return control_; }

protected:
    void attach(HWND control);
    // Returns true when the message is handled, with its result.
    virtual bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
    // The control is being destroyed; the subclass is removed after this.
    virtual void onControlDestroyed() {}

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    HWND control_ = nullptr;
};

}  // namespace win
