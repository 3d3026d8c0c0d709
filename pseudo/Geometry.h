// Size and placement arithmetic of pseudo windows. Pure: the only platform
// input (the monitor a placement happens on) is passed in.
#pragma once

#include <cstdint>

#include "rules/Rule.h"

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
