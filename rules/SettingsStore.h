// What the whole run shares: the rules, the global settings and where the
// executable (and so the settings file) lives.
#pragma once

#include <windows.h>

#include <string>

#include "rules/Rule.h"
#include "rules/Settings.h"

namespace quillora {

struct SettingsStore {
    RuleList Rules;
    GlobalSettings Settings;
    // Wide: the program may be kept in a folder named in any script.
    std::wstring ExecutablePath;
    std::wstring ExecutableDirectory;

    // Fills the two paths from the module; COM is initialised by the caller.
    void Initialize(HINSTANCE instance);
    // Invalid rules are kept and handed to `report`.
    bool Load(const InvalidRuleReporter& report) {
        return FileKnown = LoadSettings(ExecutableDirectory, Settings, Rules, report);
    }
    bool Save() {
        if (!SaveSettings(ExecutableDirectory, Settings, Rules)) return false;
        FileKnown = true;
        return true;
    }
    // The save at the end of the run. A file that exists but could not be
    // read at start (locked, no access) is not replaced by the little the
    // program knows of it, unless the user has saved settings since. Once it
    // has succeeded it is not done again: the end of the session asks for it
    // before the message loop ends, the entry point after it.
    bool SaveAtExit() {
        if (!savedAtExit_) savedAtExit_ = FileKnown && Save();
        return savedAtExit_;
    }

    // The file was read, or written since.
    bool FileKnown = false;

private:
    bool savedAtExit_ = false;
};

}  // namespace quillora
