// The ranges of a rule's numbers, each named once. A rule read from the
// settings file is valid within the wider ranges; the rule editor and the
// mouse wheel on a pseudo window offer narrower ones, so a rule the user
// edits always stays valid.
#pragma once

#include <cstdint>

namespace quillora {

// StretchWidth and StretchHeight in percent of the original: valid up to
// this; the editor's spin controls offer 1 to kEditedPercentSizeMax.
constexpr std::int32_t kPercentSizeMax = 100;
constexpr std::int32_t kEditedPercentSizeMax = 80;
// StretchWidth and StretchHeight in pixels: valid up to this, and the
// editor's spin controls offer 1 to it.
constexpr std::int32_t kPixelSizeMax = 10000;
// The smallest size the editor's spin controls offer (a valid rule may hold 0).
constexpr std::int32_t kEditedSizeMin = 1;

// UpdateDisplayElapse, the refresh interval in milliseconds: valid, and
// accepted by the editor, within these.
constexpr std::int32_t kRefreshIntervalMin = 1;
constexpr std::int32_t kRefreshIntervalMax = 100000;

// Transparency in percent: a valid rule holds 0 to 100; the editor's slider
// and the mouse wheel keep it within kChosenTransparencyMin..Max.
constexpr std::int32_t kTransparencyMin = 0;
constexpr std::int32_t kTransparencyMax = 100;
constexpr std::int32_t kChosenTransparencyMin = 1;
constexpr std::int32_t kChosenTransparencyMax = 80;

}  // namespace quillora
