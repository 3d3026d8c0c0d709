// One shrunk window: an original window of another program and the pseudo
// window, a small top-level window of ours, that stands in for it and shows
// its scaled picture. The object knows both windows; the window properties
// it sets on them are for other processes and later runs (recovery, the
// guard), never read back to find the object.
#pragma once

#include <windows.h>

#include <memory>

#include "pseudo/Geometry.h"
#include "pseudo/PictureReader.h"
#include "pseudo/PseudoWindowHost.h"
#include "rules/Rule.h"
#include "scale/ImageBuffer.h"
#include "scale/Stretcher.h"
#include "win/Window.h"

namespace quillora {

constexpr char kPseudoWindowClass[] = "PseudoWindow";

class PseudoWindow : public win::Window {
public:
    // For `original` under a copy of `rule`; nothing is made or changed yet.
    PseudoWindow(PseudoWindowHost& host, HWND original, const Rule& rule);
    // Destroys the pseudo window: the one place that does.
    ~PseudoWindow() override;

    enum class Created {
        Made,
        // The pseudo window could not be made, or the original not marked
        // (gone meanwhile): the original is untouched.
        Failed,
        // The original's program runs with higher rights and refuses every
        // change (user interface privilege isolation): it is untouched, and
        // trying again would only fail again.
        Refused,
    };
    // Makes the pseudo window (hidden, zero size), ties the two windows by
    // their properties and makes the original layered, still opaque. Unless
    // Made, the object is to be dropped, which destroys the pseudo window.
    // Changes the original's style: call it only once its program answered.
    Created Create();

    HWND Original() const { return original_; }
    const Rule& GetRule() const { return rule_; }

    // The original made transparent behind its pseudo window, which is
    // placed at its anchor corner showing a fresh picture. Nothing happens
    // to an original already shrunk or maximised; a minimised one is made
    // opaque (so that it comes back in view however it is brought back)
    // and only its pseudo window is hidden.
    void Shrink();
    // The original shown again at the pseudo window's anchor corner, the
    // pseudo window hidden; ignored while the user drags or sizes the
    // pseudo window.
    void Restore();
    // The pseudo window lifted above the ordinary windows, not activated.
    void Raise();
    // While the pseudo window shows (its original shrunk): sized and placed
    // anew as the rule gives it for the original as it is now, with a new
    // picture. For a change of display scale or layout.
    void PlaceAgain();
    // The original given back (opaque, its layered style as before, its
    // marks gone but "Transparency") and the pseudo window hidden. False
    // when the original's program did not answer: it is then opaque but
    // keeps its style and "PseudoWindow" for a later give-back.
    bool GiveBack();

    // Whether the original was minimised, maximised, brought back from
    // either, or destroyed since the last call (or since Create): one read
    // of its style, no message to its program.
    bool OriginalStateChanged();
    // Whether the user closed the pseudo window (it is then hidden, or gone).
    bool Closed() const { return closed_ || !Handle(); }

    // Marked by the owner when it lets the object go; it is destroyed once
    // no pass over the owner's list is under way.
    bool Dropped() const { return dropped_; }
    void Drop() { dropped_ = true; }
    // Whether one of the pseudo window's message handlers is running: the
    // object must not be destroyed under it.
    bool Busy() const { return busy_ != 0; }

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // The first change on the original, marking it as ours
    // (MarkedWindow::SetPseudo); a seam for tests of a refusal.
    virtual bool markOriginal(HWND pseudo);

private:
    LRESULT dispatch(UINT msg, WPARAM wp, LPARAM lp);
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
    // Sizes and places the pseudo window at its original's anchor corner.
    void placePseudo();
    // Moves the original to the pseudo window's anchor corner.
    void placeOriginal();
    void learnSize(int width, int height);
    // Reads the original's client area into the back buffer.
    void takePicture();

    PseudoWindowHost& host_;
    const HWND original_;
    // The original's WS_MINIMIZE and WS_MAXIMIZE bits and its cloak as last
    // seen, or that it was gone.
    LONG_PTR sizeState_ = 0;
    // The picture WM_PAINT copies, the pseudo window's client size; held in
    // memory so that a black picture can be told cheaply.
    ImageBuffer back_;
    PictureReader reader_;
    std::unique_ptr<Stretcher> stretcher_;
    Rule rule_;
    // Off until the first placement: the size the system gives the window
    // before it (a frame's minimum size at creation) is not the user's.
    bool sizeLearning_ = false;
    bool outsideSizeMove_ = true;
    // Where the pseudo window was last placed: one found elsewhere was moved.
    Rect placed_{};
    // Set while pictures fail, so that a failing original is logged once.
    bool pictureFailing_ = false;
    bool closed_ = false;
    bool dropped_ = false;
    unsigned busy_ = 0;
};

}  // namespace quillora
