// Giving originals back when the normal release could not run: after an
// earlier run ended abruptly (crash, killed), and when this run fails.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace quillora {

// Reveals and releases every top-level window that still carries
// "PseudoWindow" although its pseudo window is gone (left by an earlier run,
// or by this one when the window's program did not answer). All of them are
// made opaque first; one whose program does not answer keeps its style and
// "PseudoWindow" for a later call. Returns how many were left so; the
// windows given back completely are added to `givenBack` when it is given.
// Needs no window of the calling process.
std::size_t RecoverAbandonedOriginals(std::vector<HWND>* givenBack = nullptr);

// RecoverAbandonedOriginals until nothing is left or `patienceMs` has
// passed, for a process that is about to end; logs what was left. Returns
// how many were left.
std::size_t RecoverAbandonedOriginalsWithin(DWORD patienceMs);

// Reveals and releases every original whose pseudo window belongs to this
// process. Uses no program state, so it is safe on a failing process.
void RevealOwnOriginals();

// Installs RevealOwnOriginals as the last action of an unhandled exception,
// a C++ terminate, or an exception stopped at a window boundary.
void InstallFailureRecovery();

}  // namespace quillora
