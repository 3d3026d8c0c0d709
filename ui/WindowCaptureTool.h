// The "capture" button of the rule editor: press it, drag onto a window,
// release, and the page's match fields describe that window.
#pragma once

#include <windows.h>

#include "ui/CaptureWindow.h"
#include "win/Subclass.h"

namespace quillora {

class WindowCaptureTool : private win::Subclass {
public:
    // Takes over the left button of `button` on the page `page`.
    void Attach(HWND page, HWND button);

private:
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onControlDestroyed() override;
    void begin();
    void finish();
    // Ends a capture without reading the target (the mouse capture was lost).
    void abandon();
    void cleanUp();
    void fillFields(HWND target);

    HWND page_ = nullptr;
    bool tracking_ = false;
    CaptureWindow frame_;
};

}  // namespace quillora
