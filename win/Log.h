// Diagnostics for a user who wants to know why something did not happen:
// one line per event on the debugger output (OutputDebugString), readable
// with any debug-output viewer. Never throws and never allocates.
#pragma once

#include <windows.h>

namespace win {

// printf-style (wsprintfA) line, prefixed with "Quillora: ".
void Log(const char* format, ...);

// "<call> failed (error N)" with the calling thread's last error, read
// before anything else runs.
void LogFailure(const char* call);

// For a call on a window that may vanish at any moment (another program's):
// "<call>(<window><detail>) failed (error N)" while the window still exists.
// One gone meanwhile is no news, since nothing is left to be wrong with it.
void LogFailureOn(HWND window, const char* call, const char* detail = "");

// Passes a call's result through, logging "<call> failed (error N)" first
// when it says the call failed (false, null or zero), for failures the
// program survives but must not keep silent:
//   if (!win::Checked(SetPropA(hwnd, name, value), "SetPropA")) ...
template <typename Result>
Result Checked(Result result, const char* call) {
    if (!result) LogFailure(call);
    return result;
}

}  // namespace win
