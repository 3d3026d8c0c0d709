// The green frame that follows the top-level window under the cursor, used
// by quick capture and by the rule editor's capture button.
#pragma once

#include <windows.h>

#include "win/Window.h"

namespace quillora {

// The outermost window of w's parent/owner chain, or null when that window
// is hidden (or w is null).
HWND OutermostVisibleAncestor(HWND w);

class CaptureWindow : public win::Window {
public:
    CaptureWindow() = default;
    ~CaptureWindow() override;

    // Creates the frame window (visible, topmost) owned by `owner` (may be
    // null). The target of a previous capture is kept.
    bool Create(HWND owner);
    void Destroy();
    bool Exists() const { return Handle() != nullptr && IsWindow(Handle()); }
    // The window the frame was last moved onto; survives Destroy.
    HWND Target() const { return target_; }

    static constexpr int kFrameWidth = 3;
    static constexpr UINT_PTR kTrackTimer = 1;
    static constexpr UINT kTrackIntervalMs = 100;

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void onTrack();
    void onSize(int cx, int cy);
    void onPaint();

    HWND target_ = nullptr;
};

}  // namespace quillora
