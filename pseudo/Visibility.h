// What the user can see of an original decides what happens to it: a
// window the system keeps out of sight (cloaked: on another virtual desktop,
// a suspended store app) is not shrunk, and a shrunk one's stand-in, a tool
// window that every virtual desktop shows, is hidden while its original is
// out of sight. Pure: the caller reads the states.
#pragma once

namespace quillora {

// Whether a window may be shrunk: one that is visible and not cloaked.
bool MayBeShrunk(bool visible, bool cloaked);

enum class StandInChange { Leave, Hide, Show };

// What a shrunk original's stand-in does at a look: hidden while the
// original is minimised or cloaked, shown again once the original, still
// transparent, is neither. A transparent original is never left without its
// stand-in in sight; an opaque one (restored over it, or given back opaque
// when minimised) is the shrinking's business, not this.
StandInChange StandInChangeFor(bool minimised, bool cloaked, bool originalTransparent, bool standInShown);

}  // namespace quillora
