// The pseudo window: a small top-level window of ours that stands in for a
// shrunk original window and shows its scaled picture.
#pragma once

#include <windows.h>

#include <memory>

#include "pseudo/CaptureRoute.h"
#include "pseudo/Geometry.h"
#include "scale/ImageBuffer.h"
#include "scale/Stretcher.h"
#include "rules/Rule.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace quillora {

constexpr char kPseudoWindowClass[] = "PseudoWindow";

class PseudoWindow : public win::Window, public std::enable_shared_from_this<PseudoWindow> {
public:
    PseudoWindow(HWND mainWindow, const Rule& rule);
    ~PseudoWindow() override;

    // Creates the native window for `original` (hidden, zero size) and sets
    // the properties on both windows. Returns the handle or null.
    HWND Create(HWND original);

    // Renders the original's client area into the back buffer; with null the
    // original is read from the property "OriginalWindow".
    void Capture(HWND original);
    // Sizes and places the pseudo window at its original's anchor corner.
    void PlacePseudo(HWND original);
    // Moves the original to the pseudo window's anchor corner.
    void PlaceOriginal(HWND original);
    // While the pseudo window shows (its original shrunk): sized and placed
    // anew as the rule gives it for the original as it is now, with a new
    // picture. For a change of display scale or layout.
    void PlaceAgain();

    const Rule& GetRule() const { return rule_; }
    Rule& GetRule() { return rule_; }
    bool IsOutsideSizeMove() const { return outsideSizeMove_; }

    // The original this object was created for, while that window exists and
    // its "PseudoWindow" still names the native window Create made (also
    // after the native window is gone); null otherwise.
    HWND Original() const;
    // Whether the original was minimised, maximised, brought back from
    // either, or destroyed since the last call (or since Create): one read
    // of its style, no message to its program.
    bool OriginalStateChanged();

    // The live object that the original's "PseudoWindowObject" names, or null
    // when the property is missing or names no live object of this process
    // whose pseudo window is the original's "PseudoWindow" (a released
    // object, or a value left behind by an earlier run).
    static PseudoWindow* FromOriginal(HWND original);

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The timer that redraws a rule's picture every UpdateDisplayElapse.
    static constexpr UINT_PTR kRefreshTimer = 1;

    // Message handlers.
    void onCreate();
    void onSize(int width, int height);
    void onPaint();
    void onClose();
    void onTimer(UINT_PTR id);
    void onLButtonDown();
    void onMouseWheel(int delta);
    void onSizing(int edge, RECT* proposed);
    bool onSysCommand(WPARAM wp);

    void extendSystemMenu();
    void placePseudo(HWND original);
    void learnSize(int width, int height);

    HWND mainWindow_;
    HWND original_ = nullptr;
    HWND created_ = nullptr;
    // The original's WS_MINIMIZE and WS_MAXIMIZE bits as last seen, or that
    // it was gone.
    LONG_PTR sizeState_ = 0;
    // The picture WM_PAINT copies, the pseudo window's client size; held in
    // memory so that a black capture can be told cheaply.
    ImageBuffer back_;
    CaptureRoute route_;
    std::shared_ptr<Stretcher> stretcher_;
    Rule rule_;
    // Off until the first placement: the size the system gives the window
    // before it (a frame's minimum size at creation) is not the user's.
    bool sizeLearning_ = false;
    bool outsideSizeMove_ = true;
    // Set while captures fail, so that a failing original is logged once.
    bool captureFailing_ = false;
};

using PseudoWindowPtr = std::shared_ptr<PseudoWindow>;

}  // namespace quillora
