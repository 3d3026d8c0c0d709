// Size and placement arithmetic of pseudo windows. Pure: the only platform
// input (the monitor a placement happens on) is passed in.
#pragma once

#include <cstdint>

#include "rules/Rule.h"
#include "win/DpiAwareness.h"

namespace quillora {

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// A monitor in screen coordinates: its whole area and its work area (what
// taskbars leave of it). Monitors other than the primary one may lie at
// negative coordinates.
struct MonitorArea {
    Rect monitor;
    Rect work;
};

// Pseudo window size for an original whose window rectangle is
// originalWidth x originalHeight.
Size PseudoSize(const Rule& rule, std::int32_t originalWidth, std::int32_t originalHeight);

// PseudoSize for an original on a monitor at `dpi`: a rule's pixels are
// pixels at 96 DPI, scaled to that monitor as an unscaled program's window
// would be; percentages of the original's physical size are unaffected.
Size PseudoSize(const Rule& rule, std::int32_t originalWidth, std::int32_t originalHeight, std::uint32_t dpi);

// Rectangle of size width x height anchored at the corner `direction` names
// of the original's window rectangle. Auto picks the corner from the
// original's centre against work.right / 2 and work.bottom / 2, both counted
// from the monitor's top-left corner (on the primary monitor, from the screen
// origin); any unknown direction gives (0, 0, width, height).
Rect Anchor(std::int32_t direction, const Rect& original, std::int32_t width, std::int32_t height,
            const MonitorArea& area);

// `rect` moved by the least distance that puts it wholly inside `work`, its size
// kept; one larger than `work` keeps its top-left corner inside. A rectangle
// already inside, or an empty `work`, is returned as it is.
Rect KeepInside(const Rect& rect, const Rect& work);

// Anchor, then KeepInside the area's work area: a window placed at a corner
// that lies beyond the screen stays within reach.
Rect PlaceAtCorner(std::int32_t direction, const Rect& original, std::int32_t width, std::int32_t height,
                   const MonitorArea& area);

// Converts a learned client size back into rule units: a pixel value when the
// unit is not percent, else trunc(client / originalClient * 100). A zero
// originalClient leaves `current` as it is.
std::int32_t LearnedSizeValue(std::int32_t unit, std::int32_t client, std::int32_t originalClient, std::int32_t current);

// LearnedSizeValue for a stand-in on a monitor at `dpi`: a physical `client`
// is stored in pixels at 96 DPI, the unit PseudoSize(..., dpi) reads.
std::int32_t LearnedSizeValue(std::int32_t unit, std::int32_t client, std::int32_t originalClient, std::int32_t current,
                              std::uint32_t dpi);

// The size of an original's client area in the original's own coordinates,
// which its window DC and PrintWindow have: the capture's source. `physical`
// is the client size as this per-monitor aware program reads it; `ownRead`
// the size read with the thread switched to the original's awareness
// (win::ThreadDpiAwarenessScope), or {0, 0} where the switch was not
// available. Without that read the size follows from how the system
// stretches the original: an unaware one from 96 DPI, a system-aware one
// from the system DPI, each to its monitor's DPI. Unknown awareness, or a DPI
// of 0, keeps the physical size, as on systems that cannot tell.
Size CaptureSourceSize(win::DpiAwareness awareness, const Size& physical, const Size& ownRead,
                       std::uint32_t monitorDpi, std::uint32_t systemDpi);

// How far each side of a window rectangle lies beyond the window's visible
// frame: the invisible resize borders of Windows 10 and 11 (left, right and
// bottom; none at the top).
struct Insets {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Insets&) const = default;
};

// The invisible borders of a window whose rectangle is `window` and whose
// visible frame (DWMWA_EXTENDED_FRAME_BOUNDS) is `visible`; none where the
// frame is empty or not within the rectangle, which no real frame is.
Insets InvisibleBorders(const Rect& window, const Rect& visible);

// The visible frame of a window rectangle, and the window rectangle of a
// visible frame (what SetWindowPos takes), for borders `insets`.
Rect FrameOfWindow(const Rect& window, const Insets& insets);
Rect WindowOfFrame(const Rect& frame, const Insets& insets);

// Whether an original comes back exactly where it is, with no move at all:
// its visible frame lies within its monitor's work area and the user did not
// move its stand-in. Windows ends a snapped window's snapped state when the
// window is moved, even onto its own place.
bool RestoresInPlace(const Rect& visibleFrame, const Rect& work, bool standInMoved);

// The window rectangle an original comes back at over its stand-in `pseudo`:
// its visible frame at the corner `direction` names, kept inside the work
// area of `area` (the stand-in's monitor), then converted back by the
// window's invisible borders for SetWindowPos. One parked partly beyond the
// screen so comes back into view over its stand-in.
Rect RestoredWindowRect(std::int32_t direction, const Rect& pseudo, const Rect& window, const Rect& visible,
                        const MonitorArea& area);

// Aspect-locked sizing with Ctrl: adjusts the `proposed` window rectangle for
// edge code `edge` (WMSZ_*), keeping the proportions of the original's client
// area (clientWidth x clientHeight) in whole percent steps, `captionHeight`
// taken out of the height. A zero clientWidth or clientHeight leaves
// `proposed` unchanged.
Rect AspectLockedRect(int edge, const Rect& proposed, std::int32_t clientWidth, std::int32_t clientHeight,
                      std::int32_t captionHeight);

// The mouse wheel's transparency step: +10 for delta >= 0, -10 below, then
// clamped to 1..80.
std::int32_t WheelTransparency(std::int32_t transparency, int wheelDelta);

// Layered alpha for a transparency percentage: 255 - trunc(t * 2.55).
std::uint8_t AlphaForTransparency(std::int32_t transparency);

}  // namespace quillora
