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

// The file beside the executable; empty when the path would be too long.
// Paths are wide: the folder may be named in any script.
std::wstring SettingsFilePath(const std::wstring& directory);

// Told about each rule that fails validation while the file is read.
using InvalidRuleReporter = std::function<void(const Rule&)>;

// The bytes of a text the settings file keeps (longer texts come back cut).
constexpr std::size_t kStoredTextLimit = 255;
// `text` cut to kStoredTextLimit bytes, never inside a double-byte character.
std::string FitStoredText(std::string text);

// Reads the file (missing keys give their defaults) and appends its rules,
// all of them, in file order. Every rule that fails validation is handed to
// `report` (when there is one) and appended anyway: how the user hears of it
// is the caller's affair. False only when the file exists but cannot be read
// (then nothing is read).
bool LoadSettings(const std::wstring& directory, GlobalSettings& settings, RuleList& rules,
                  const InvalidRuleReporter& report);
// Rewrites the file whole: the lines before the first section and the other
// sections as they stand (comments inside sections are lost), [Quillora] with
// the global settings, then the rules as Rule1..RuleN. A kill at any moment
// leaves the old file or the new one. False (and logged) when the file could
// not be written; the old file is then left as it was.
bool SaveSettings(const std::wstring& directory, const GlobalSettings& settings, const RuleList& rules);

}  // namespace quillora
