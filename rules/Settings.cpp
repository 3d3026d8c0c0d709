#include "rules/Settings.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include <boost/lexical_cast.hpp>

#include "res/resource.h"
#include "rules/ResourceString.h"

namespace quillora {

namespace {

const char kGlobalSection[] = "Quillora";
const char kRuleSectionPattern[] = "Rule*";
constexpr DWORD kSectionNamesSize = 1024;
constexpr DWORD kValueSize = 256;

// The 16 numeric keys of a rule section, in file order, with the default a
// missing key gets. Booleans are stored as 1/0.
struct IntKey {
    const char* name;
    std::int32_t Rule::*intField;
    bool Rule::*boolField;
    int defaultValue;
};

const IntKey kIntKeys[] = {
    {"MatchMethod", &Rule::MatchMethod, nullptr, 1},
    {"StretchWidth", &Rule::StretchWidth, nullptr, 50},
    {"StretchHeight", &Rule::StretchHeight, nullptr, 50},
    {"StretchWidthUnit", &Rule::StretchWidthUnit, nullptr, 0},
    {"StretchHeightUnit", &Rule::StretchHeightUnit, nullptr, 0},
    {"Coratio", nullptr, &Rule::Coratio, 0},
    {"StretchDrawMethod", &Rule::StretchDrawMethod, nullptr, 0},
    {"StretchDirection", &Rule::StretchDirection, nullptr, 0},
    {"StretchRestoreMethod", &Rule::StretchRestoreMethod, nullptr, 0},
    {"UpdateDisplay", nullptr, &Rule::UpdateDisplay, 0},
    {"UpdateDisplayElapse", &Rule::UpdateDisplayElapse, nullptr, 1000},
    {"Topmost", nullptr, &Rule::Topmost, 0},
    {"Frame", nullptr, &Rule::Frame, 1},
    {"Transparent", nullptr, &Rule::Transparent, 0},
    {"Transparency", &Rule::Transparency, nullptr, 50},
    {"Validness", nullptr, &Rule::Validness, 1},
};

struct TextKey {
    const char* name;
    std::string Rule::*field;
};

const TextKey kTextKeys[] = {
    {"Explanation", &Rule::Explanation},
    {"AppName", &Rule::AppName},
    {"ClassName", &Rule::ClassName},
    {"Title", &Rule::Title},
};

std::string readText(const char* section, const char* key, const char* fallback, const char* path) {
    char buffer[kValueSize] = {};
    GetPrivateProfileStringA(section, key, fallback, buffer, kValueSize, path);
    return buffer;
}

// Visits the Rule* sections among the names that a 1024-byte section list
// holds whole (with its closing NUL), in file order; later names are not seen.
// The list is read into a larger buffer first because the platform cuts the
// name that straddles the limit short instead of dropping it, and a cut
// "Rule141" read as "Rule14" would load or delete the wrong section.
template <typename F>
void forEachRuleSection(const char* path, F&& visit) {
    constexpr DWORD readSize = 2 * kSectionNamesSize;
    std::vector<char> names(readSize + 1, '\0');  // the extra NUL ends the walk whatever is read
    GetPrivateProfileSectionNamesA(names.data(), readSize, path);
    const char* const listEnd = names.data() + kSectionNamesSize - 1;  // the list's own closing NUL
    for (const char* name = names.data(); *name;) {
        const char* nameEnd = name + std::strlen(name);
        if (nameEnd >= listEnd) break;
        if (PathMatchSpecA(name, kRuleSectionPattern)) visit(std::string(name, nameEnd));
        name = nameEnd + 1;
    }
}

Rule readRule(const char* section, const char* path) {
    Rule rule;
    const std::string defaultExplanation = LoadResourceString(IDS_MATCH_REGEX);
    for (const TextKey& key : kTextKeys) {
        const char* fallback = key.field == &Rule::Explanation ? defaultExplanation.c_str() : "";
        rule.*key.field = readText(section, key.name, fallback, path);
    }
    for (const IntKey& key : kIntKeys) {
        int value = static_cast<int>(GetPrivateProfileIntA(section, key.name, key.defaultValue, path));
        if (key.intField) rule.*key.intField = value;
        else rule.*key.boolField = value != 0;
    }
    return rule;
}

void warnInvalidRule(const Rule& rule) {
    std::string text = FormatResourceString(IDS_INVALID_RULE, rule.Explanation.c_str());
    std::string caption = LoadResourceString(IDS_PROGRAM_NAME);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace

std::string SettingsFilePath(const std::string& directory) {
    char path[MAX_PATH] = {};
    PathCombineA(path, directory.c_str(), "Quillora.ini");
    return path;
}

bool LoadSettings(const std::string& directory, GlobalSettings& settings, RuleList& rules) {
    return LoadSettings(directory, settings, rules, warnInvalidRule);
}

bool LoadSettings(const std::string& directory, GlobalSettings& settings, RuleList& rules,
                  const InvalidRuleReporter& report) {
    const std::string path = SettingsFilePath(directory);
    const char* file = path.c_str();
    settings.ActiveRestore = GetPrivateProfileIntA(kGlobalSection, "ActiveRestore", 1, file) != 0;
    settings.Mergin = static_cast<std::int32_t>(GetPrivateProfileIntA(kGlobalSection, "Mergin", 30, file));
    settings.Sensitivity = static_cast<std::int32_t>(GetPrivateProfileIntA(kGlobalSection, "Sensitivity", 30, file));

    forEachRuleSection(file, [&](const std::string& section) {
        Rule rule = readRule(section.c_str(), file);
        ValidateRule(rule);
        if (!rule.IsValid && report) report(rule);
        rules.Append(rule);
    });
    return true;
}

bool WriteIntKey(const char* section, const char* key, std::int32_t value, const char* path) {
    std::string text;
    try {
        text = boost::lexical_cast<std::string>(value);
    } catch (const boost::bad_lexical_cast&) {
        return false;
    }
    return WritePrivateProfileStringA(section, key, text.c_str(), path) != FALSE;
}

bool SaveSettings(const std::string& directory, const GlobalSettings& settings, const RuleList& rules) {
    const std::string path = SettingsFilePath(directory);
    const char* file = path.c_str();
    WriteIntKey(kGlobalSection, "ActiveRestore", settings.ActiveRestore ? 1 : 0, file);
    WriteIntKey(kGlobalSection, "Mergin", settings.Mergin, file);
    WriteIntKey(kGlobalSection, "Sensitivity", settings.Sensitivity, file);

    forEachRuleSection(file, [&](const std::string& section) {
        WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file);
    });

    int n = 1;
    for (const Rule& rule : rules) {
        char section[32] = {};
        wsprintfA(section, "Rule%d", n++);
        for (const TextKey& key : kTextKeys) {
            WritePrivateProfileStringA(section, key.name, (rule.*key.field).c_str(), file);
        }
        for (const IntKey& key : kIntKeys) {
            std::int32_t value = key.intField ? rule.*key.intField : (rule.*key.boolField ? 1 : 0);
            WriteIntKey(section, key.name, value, file);
        }
    }
    return true;
}

}  // namespace quillora
