// The "capture" button of the rule editor: press it, drag onto a window,
// release, and the page's match fields describe that window.
#pragma once

#include <windows.h>

#include "app/CaptureWindow.h"

namespace quillora {

class WindowCaptureTool {
public:
    WindowCaptureTool() = default;
    ~WindowCaptureTool();
    WindowCaptureTool(const WindowCaptureTool&) = delete;
    WindowCaptureTool& operator=(const WindowCaptureTool&) = delete;

    // Takes over the left button of `button` on the page `page`.
    void Attach(HWND page, HWND button);

private:
    void begin();
    void finish();
    // Ends a capture without reading the target (the mouse capture was lost).
    void abandon();
    void cleanUp();
    void fillFields(HWND target);
    static LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

    HWND page_ = nullptr;
    HWND button_ = nullptr;
    bool tracking_ = false;
    CaptureWindow frame_;
};

}  // namespace quillora
