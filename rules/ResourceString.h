#pragma once

#include <string>

namespace quillora {

// The text of a string-table entry of the running executable, in the ANSI
// code page; empty when the id has no text. Loaded afresh on every call.
std::string LoadResourceString(unsigned id);

// printf-style formatting of a loaded string with one text or one integer,
// through wsprintfA into a 1024-byte buffer, as message boxes need.
std::string FormatResourceString(unsigned id, const char* text);
std::string FormatResourceString(unsigned id, int value);

}  // namespace quillora
