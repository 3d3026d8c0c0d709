// Giving originals back when the normal release could not run: after an
// earlier run ended abruptly (crash, killed), and when this run fails.
#pragma once

#include "pseudo/WindowHider.h"

namespace quillora {

// Reveals and releases every top-level window that still carries
// "PseudoWindow" although its pseudo window is gone (left by an earlier run).
void RecoverAbandonedOriginals(WindowHider& hider);

// Whether any top-level window still carries such a mark (an original whose
// program did not let go of it yet).
bool AnyAbandonedOriginal();

// Reveals and releases every original whose pseudo window belongs to this
// process. Uses no program state, so it is safe on a failing process.
void RevealOwnOriginals();

// Installs RevealOwnOriginals as the last action of an unhandled exception,
// a C++ terminate, or an exception stopped at a window boundary.
void InstallFailureRecovery();

}  // namespace quillora
