// The shortcut in the user's Startup folder that starts the program at log-on.
#pragma once

#include <string>

namespace quillora {

// Full path of the shortcut ("<Startup>\Quillora.lnk"); the Startup folder
// is created when missing. Empty when the folder cannot be obtained.
std::string StartupShortcutPath();

bool FileExists(const std::string& path);

// Writes a shortcut at `shortcutPath` to `exePath` (working folder
// `exeDirectory`, icon 0 of the executable). COM must be initialised.
bool CreateShortcut(const std::string& shortcutPath, const std::string& exePath, const std::string& exeDirectory);

}  // namespace quillora
