// The shortcut in the user's Startup folder that starts the program at log-on.
// Paths are wide: the user's folder and the program's may be named in any
// script.
#pragma once

#include <string>

namespace quillora {

// Full path of the shortcut ("<Startup>\Quillora.lnk"); the Startup folder
// is created when missing. Empty when the folder cannot be obtained.
std::wstring StartupShortcutPath();

bool FileExists(const std::wstring& path);

// Writes a shortcut at `shortcutPath` to `exePath` (working folder
// `exeDirectory`, icon 0 of the executable). COM must be initialised.
bool CreateShortcut(const std::wstring& shortcutPath, const std::wstring& exePath, const std::wstring& exeDirectory);

}  // namespace quillora
