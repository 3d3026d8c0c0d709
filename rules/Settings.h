// The settings file "Quillora.ini" beside the executable: global settings in
// section [Quillora], one [RuleN] section per rule.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "rules/Rule.h"

namespace quillora {

struct GlobalSettings {
    bool ActiveRestore = true;
    std::int32_t Mergin = 30;
    std::int32_t Sensitivity = 30;

    bool operator==(const GlobalSettings&) const = default;
};

std::string SettingsFilePath(const std::string& directory);

// Told about each rule that fails validation while the file is read.
using InvalidRuleReporter = std::function<void(const Rule&)>;

// Reads the file (missing keys give their defaults) and appends its rules.
// Every rule that fails validation is reported with a message box (no owner)
// and appended anyway. Always returns true.
bool LoadSettings(const std::string& directory, GlobalSettings& settings, RuleList& rules);
// The same, with the invalid rules reported to report instead.
bool LoadSettings(const std::string& directory, GlobalSettings& settings, RuleList& rules,
                  const InvalidRuleReporter& report);
// Writes the global settings, deletes every Rule* section and writes the
// rules as Rule1..RuleN. Always returns true.
bool SaveSettings(const std::string& directory, const GlobalSettings& settings, const RuleList& rules);

// Writes an int32 as decimal text; false without writing when the text
// cannot be made.
bool WriteIntKey(const char* section, const char* key, std::int32_t value, const char* path);

}  // namespace quillora
