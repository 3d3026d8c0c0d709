#include "win/Log.h"

#include <cstdarg>

namespace win {

namespace {
// wsprintfA writes at most 1024 bytes, its terminating NUL included.
constexpr int kTextSize = 1024;
constexpr char kPrefix[] = "Quillora: ";
}  // namespace

void Log(const char* format, ...) {
    char text[kTextSize] = {};
    va_list args;
    va_start(args, format);
    wvsprintfA(text, format, args);
    va_end(args);
    char line[sizeof kPrefix + kTextSize + 2] = {};
    lstrcpyA(line, kPrefix);
    lstrcatA(line, text);
    lstrcatA(line, "\r\n");
    OutputDebugStringA(line);
}

void LogFailure(const char* call) {
    const DWORD error = GetLastError();
    Log("%s failed (error %lu)", call, error);
}

void LogFailureOn(HWND window, const char* call, const char* detail) {
    const DWORD error = GetLastError();
    if (IsWindow(window)) Log("%s(%08lX%s) failed (error %lu)", call, HandleToULong(window), detail, error);
}

}  // namespace win
