#pragma once

#include <windows.h>

#include <string>

namespace win {

// The text of a string-table entry of the running executable, in the ANSI
// code page; empty when the id has no text. Loaded afresh on every call.
std::string LoadResourceString(unsigned id);

// printf-style formatting of a loaded string with one text or one integer,
// through wsprintfA into a 1024-byte buffer, as message boxes need.
std::string FormatResourceString(unsigned id, const char* text);
std::string FormatResourceString(unsigned id, int value);

// A message box of `text` whose caption is string `captionId` (0: no
// caption, as the editors' input checks have); returns MessageBoxA's result.
int ShowMessageBox(HWND owner, const std::string& text, unsigned captionId, UINT type);
// The same with the text of string `textId`.
int ShowMessageBox(HWND owner, unsigned textId, unsigned captionId, UINT type);

}  // namespace win
