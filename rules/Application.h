// What the whole run shares: the rules, the global settings and where the
// executable (and so the settings file) lives.
#pragma once

#include <windows.h>

#include <string>

#include "rules/Rule.h"
#include "rules/Settings.h"

namespace quillora {

struct Application {
    RuleList Rules;
    GlobalSettings Settings;
    std::string ExecutablePath;
    std::string ExecutableDirectory;

    // Fills the two paths from the module; COM is initialised by the caller.
    void Initialize(HINSTANCE instance);
    bool Load() { return LoadSettings(ExecutableDirectory, Settings, Rules); }
    bool Save() const { return SaveSettings(ExecutableDirectory, Settings, Rules); }
};

}  // namespace quillora
