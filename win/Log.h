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

}  // namespace win
