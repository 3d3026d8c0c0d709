#include "pseudo/Geometry.h"

#include <algorithm>
#include <cstdint>

#include "rules/RuleLimits.h"
#include "win/Dpi.h"

namespace quillora {

namespace {

constexpr double kPercent = 0.01;
constexpr double kHundred = 100.0;
constexpr double kAlphaPerPercent = 2.55;
constexpr std::int32_t kWheelStep = 10;
constexpr int kOpaque = 255;

// The WMSZ_* edge codes, spelled out so that the arithmetic reads alone.
enum Edge : int {
    EdgeLeft = 1,
    EdgeRight = 2,
    EdgeTop = 3,
    EdgeTopLeft = 4,
    EdgeTopRight = 5,
    EdgeBottom = 6,
    EdgeBottomLeft = 7,
    EdgeBottomRight = 8,
};

// Conversions truncate toward zero, which is what a C cast does.
std::int32_t Trunc(double value) { return static_cast<std::int32_t>(value); }

std::int32_t PercentOf(std::int32_t whole, std::int32_t percent) { return Trunc((whole * kPercent) * percent); }

// Auto resolves to a concrete corner. The halves of the work area's right
// and bottom are taken in the monitor's own coordinates, so a monitor beside
// or above the primary one divides its windows as the primary one does.
// Everything in 64 bits so that no rectangle, however odd, overflows.
std::int32_t AutoCorner(const Rect& original, const MonitorArea& area) {
    const std::int64_t cx = std::int64_t{original.left} + (std::int64_t{original.right} - original.left) / 2;
    const std::int64_t cy = std::int64_t{original.top} + (std::int64_t{original.bottom} - original.top) / 2;
    const std::int64_t midX = area.monitor.left + (std::int64_t{area.work.right} - area.monitor.left) / 2;
    const std::int64_t midY = area.monitor.top + (std::int64_t{area.work.bottom} - area.monitor.top) / 2;
    const bool left = cx < midX;
    const bool top = cy < midY;
    if (top) return left ? DirTopLeft : DirTopRight;
    return left ? DirBottomLeft : DirBottomRight;
}

// One axis of KeepInside: the start of a span of `length` from `start`,
// moved least into [low, high), or to `low` when it does not fit.
std::int32_t StartInside(std::int32_t start, std::int64_t length, std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(low, std::min<std::int64_t>(start, high - length)));
}

}  // namespace

Size PseudoSize(const Rule& rule, std::int32_t originalWidth, std::int32_t originalHeight) {
    Size size;
    size.width = rule.StretchWidthUnit != UnitPercent ? rule.StretchWidth : PercentOf(originalWidth, rule.StretchWidth);
    if (!rule.Coratio) {
        size.height =
            rule.StretchHeightUnit != UnitPercent ? rule.StretchHeight : PercentOf(originalHeight, rule.StretchHeight);
    } else if (rule.StretchHeightUnit != UnitPercent) {
        // An original without width has no proportions to keep: the height
        // stays 0 rather than coming from a division by zero.
        if (originalWidth != 0) size.height = Trunc((static_cast<double>(size.width) / originalWidth) * originalHeight);
    } else {
        size.height =
            rule.StretchWidthUnit != UnitPercent ? rule.StretchWidth : PercentOf(originalHeight, rule.StretchWidth);
    }
    return size;
}

Size PseudoSize(const Rule& rule, std::int32_t originalWidth, std::int32_t originalHeight, std::uint32_t dpi) {
    Rule scaled = rule;
    if (scaled.StretchWidthUnit != UnitPercent) scaled.StretchWidth = win::ScaleForDpi(rule.StretchWidth, dpi);
    if (scaled.StretchHeightUnit != UnitPercent) scaled.StretchHeight = win::ScaleForDpi(rule.StretchHeight, dpi);
    return PseudoSize(scaled, originalWidth, originalHeight);
}

Size CaptureSourceSize(win::DpiAwareness awareness, const Size& physical, const Size& ownRead,
                       std::uint32_t monitorDpi, std::uint32_t systemDpi) {
    // A read of nothing (the window went meanwhile) is no answer.
    if (ownRead.width > 0 && ownRead.height > 0) return ownRead;
    std::uint32_t drawnAt = 0;
    switch (awareness) {
    case win::DpiAwareness::Unaware: drawnAt = win::kBaseDpi; break;
    case win::DpiAwareness::SystemAware: drawnAt = systemDpi; break;
    default: return physical;
    }
    if (drawnAt == 0 || monitorDpi == 0) return physical;
    // The system rounds when it stretches; rounding back finds the size the
    // program has, where truncating would lose a pixel. A window that has an
    // area keeps at least a pixel of it.
    const auto back = [&](std::int32_t length) {
        const std::int32_t own = win::ScaleBetweenDpi(length, monitorDpi, drawnAt);
        return length > 0 ? std::max(own, 1) : own;
    };
    return {back(physical.width), back(physical.height)};
}

Rect Anchor(std::int32_t direction, const Rect& original, std::int32_t width, std::int32_t height,
            const MonitorArea& area) {
    if (direction == DirAuto) direction = AutoCorner(original, area);
    switch (direction) {
    case DirTopLeft:
        return {original.left, original.top, original.left + width, original.top + height};
    case DirTopRight:
        return {original.right - width, original.top, original.right, original.top + height};
    case DirBottomLeft:
        return {original.left, original.bottom - height, original.left + width, original.bottom};
    case DirBottomRight:
        return {original.right - width, original.bottom - height, original.right, original.bottom};
    default:
        return {0, 0, width, height};
    }
}

Rect KeepInside(const Rect& rect, const Rect& work) {
    if (work.right <= work.left || work.bottom <= work.top) return rect;
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    const std::int32_t left = StartInside(rect.left, width, work.left, work.right);
    const std::int32_t top = StartInside(rect.top, height, work.top, work.bottom);
    return {left, top, static_cast<std::int32_t>(left + width), static_cast<std::int32_t>(top + height)};
}

Rect PlaceAtCorner(std::int32_t direction, const Rect& original, std::int32_t width, std::int32_t height,
                   const MonitorArea& area) {
    return KeepInside(Anchor(direction, original, width, height, area), area.work);
}

std::int32_t LearnedSizeValue(std::int32_t unit, std::int32_t client, std::int32_t originalClient, std::int32_t current) {
    if (unit != UnitPercent) return client;
    if (originalClient == 0) return current;
    return Trunc((static_cast<double>(client) / originalClient) * kHundred);
}

std::int32_t LearnedSizeValue(std::int32_t unit, std::int32_t client, std::int32_t originalClient, std::int32_t current,
                              std::uint32_t dpi) {
    if (unit != UnitPercent) return win::ScaleBetweenDpi(client, dpi, win::kBaseDpi);
    return LearnedSizeValue(unit, client, originalClient, current);
}

Insets InvisibleBorders(const Rect& window, const Rect& visible) {
    if (visible.right <= visible.left || visible.bottom <= visible.top) return {};
    const Insets insets{visible.left - window.left, visible.top - window.top, window.right - visible.right,
                        window.bottom - visible.bottom};
    if (insets.left < 0 || insets.top < 0 || insets.right < 0 || insets.bottom < 0) return {};
    return insets;
}

Rect FrameOfWindow(const Rect& window, const Insets& insets) {
    return {window.left + insets.left, window.top + insets.top, window.right - insets.right,
            window.bottom - insets.bottom};
}

Rect WindowOfFrame(const Rect& frame, const Insets& insets) {
    return {frame.left - insets.left, frame.top - insets.top, frame.right + insets.right, frame.bottom + insets.bottom};
}

bool RestoresInPlace(const Rect& visibleFrame, const Rect& work, bool standInMoved) {
    return !standInMoved && visibleFrame.left >= work.left && visibleFrame.top >= work.top &&
           visibleFrame.right <= work.right && visibleFrame.bottom <= work.bottom;
}

Rect RestoredWindowRect(std::int32_t direction, const Rect& pseudo, const Rect& window, const Rect& visible,
                        const MonitorArea& area) {
    const Insets insets = InvisibleBorders(window, visible);
    const Rect frame = FrameOfWindow(window, insets);
    return WindowOfFrame(PlaceAtCorner(direction, pseudo, frame.width(), frame.height(), area), insets);
}

Rect AspectLockedRect(int edge, const Rect& proposed, std::int32_t clientWidth, std::int32_t clientHeight,
                      std::int32_t captionHeight) {
    // Without a client area there is no aspect to keep.
    if (clientWidth == 0 || clientHeight == 0) return proposed;
    Rect result = proposed;
    switch (edge) {
    case EdgeLeft:
    case EdgeRight: {
        const std::int32_t percent =
            Trunc((static_cast<double>(proposed.right - proposed.left) / clientWidth) * kHundred);
        const std::int32_t height = PercentOf(clientHeight, percent);
        if (edge == EdgeLeft) {
            result.top = proposed.bottom - height - captionHeight;
        } else {
            result.bottom = proposed.top + height + captionHeight;
        }
        break;
    }
    case EdgeTop:
    case EdgeTopLeft:
    case EdgeTopRight:
    case EdgeBottom:
    case EdgeBottomLeft:
    case EdgeBottomRight: {
        const std::int32_t percent =
            Trunc((static_cast<double>(proposed.bottom - proposed.top - captionHeight) / clientHeight) * kHundred);
        const std::int32_t width = PercentOf(clientWidth, percent);
        if (edge == EdgeTopLeft || edge == EdgeBottomLeft) {
            result.left = proposed.right - width;
        } else {
            result.right = proposed.left + width;
        }
        break;
    }
    default:
        break;
    }
    return result;
}

std::int32_t WheelTransparency(std::int32_t transparency, int wheelDelta) {
    const std::int32_t stepped = wheelDelta >= 0 ? transparency + kWheelStep : transparency - kWheelStep;
    return std::clamp(stepped, kChosenTransparencyMin, kChosenTransparencyMax);
}

std::uint8_t AlphaForTransparency(std::int32_t transparency) {
    // A stored percentage outside 0..100 must not wrap around into an
    // unrelated alpha.
    const std::int32_t percent = std::clamp(transparency, kTransparencyMin, kTransparencyMax);
    return static_cast<std::uint8_t>(kOpaque - Trunc(percent * kAlphaPerPercent));
}

}  // namespace quillora
