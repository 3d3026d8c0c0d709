#include "rules/Settings.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "rules/SettingsFile.h"
#include "win/Handles.h"
#include "win/Log.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

const char kGlobalSection[] = "Quillora";
const char kRuleSectionPattern[] = "Rule*";

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

bool isRuleSection(const std::string& name) { return PathMatchSpecA(name.c_str(), kRuleSectionPattern) != FALSE; }

std::string readText(const ini::Section& section, const char* key, const std::string& fallback) {
    const ini::Entry* entry = section.Find(key);
    return entry && entry->value ? FitStoredText(ini::DecodeValue(*entry->value)) : fallback;
}

Rule readRule(ini::ProfileReader& file, const std::string& name, const std::string& defaultExplanation) {
    const ini::Section section = file.ReadSection(name);
    Rule rule;
    for (const TextKey& key : kTextKeys)
        rule.*key.field = readText(section, key.name, key.field == &Rule::Explanation ? defaultExplanation : "");
    for (const IntKey& key : kIntKeys) {
        const std::int32_t value = file.ReadInt(section, key.name, key.defaultValue);
        if (key.intField) rule.*key.intField = value;
        else rule.*key.boolField = value != 0;
    }
    return rule;
}

// A value is one line of the file: a line break inside a text (a captured
// window title may hold one) would end the value there and turn the rest into
// lines of their own, even new sections and keys. Line breaks become blanks.
// No Shift_JIS trail byte is CR or LF, so this never splits a character.
std::string singleLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

// The section's own lines and comments stay as they are; the first line of
// each global key takes the new value (as the platform's writer would do),
// and missing keys are added at the end.
void appendGlobalSection(ini::FileText& text, const ini::Section& existing, const GlobalSettings& settings) {
    struct Value {
        const char* key;
        std::int32_t value;
        bool written;
    } values[] = {{"ActiveRestore", settings.ActiveRestore ? 1 : 0, false},
                  {"Mergin", settings.Mergin, false},
                  {"Sensitivity", settings.Sensitivity, false}};
    text.Header(existing.name);
    for (const ini::Entry& entry : existing.entries) {
        Value* value = nullptr;
        for (Value& v : values)
            if (!v.written && ini::SameName(entry.key, v.key)) value = &v;
        if (value) {
            text.Key(entry.key, std::to_string(value->value));
            value->written = true;
        } else {
            text.Line(entry);
        }
    }
    for (const Value& v : values)
        if (!v.written) text.Key(v.key, std::to_string(v.value));
}

void appendRuleSection(ini::FileText& text, int number, const Rule& rule) {
    text.Header("Rule" + std::to_string(number));
    for (const TextKey& key : kTextKeys) text.Key(key.name, ini::EncodeValue(singleLine(rule.*key.field)));
    for (const IntKey& key : kIntKeys) {
        const std::int32_t value = key.intField ? rule.*key.intField : (rule.*key.boolField ? 1 : 0);
        text.Key(key.name, std::to_string(value));
    }
}

// A file that is there but cannot be opened (held open by another program,
// or without the right to read it) must not pass for an empty one.
bool readableOrMissing(const std::wstring& path) {
    win::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = GetLastError();
    if (file || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    SetLastError(error);
    win::LogFailure("CreateFileW (reading the settings)");
    return false;
}

}  // namespace

std::wstring SettingsFilePath(const std::wstring& directory) {
    wchar_t path[MAX_PATH] = {};
    if (!PathCombineW(path, directory.c_str(), L"Quillora.ini")) return {};
    return path;
}

std::string FitStoredText(std::string text) {
    std::size_t kept = 0;
    while (kept < text.size()) {
        const std::size_t length = IsDBCSLeadByte(static_cast<BYTE>(text[kept])) ? 2 : 1;
        if (kept + length > kStoredTextLimit) break;
        kept += length;
    }
    text.resize(std::min(kept, text.size()));
    return text;
}

bool LoadSettings(const std::wstring& directory, GlobalSettings& settings, RuleList& rules,
                  const InvalidRuleReporter& report) {
    const std::wstring path = SettingsFilePath(directory);
    if (path.empty() || !readableOrMissing(path)) return false;
    ini::ProfileReader file(path);
    const ini::Section global = file.ReadSection(kGlobalSection);
    settings.ActiveRestore = file.ReadInt(global, "ActiveRestore", 1) != 0;
    settings.Mergin = file.ReadInt(global, "Mergin", 30);
    settings.Sensitivity = file.ReadInt(global, "Sensitivity", 30);

    const std::string defaultExplanation = win::LoadResourceString(IDS_MATCH_REGEX);
    for (const std::string& name : file.SectionNames()) {
        if (!isRuleSection(name)) continue;
        Rule rule = readRule(file, name, defaultExplanation);
        ValidateRule(rule);
        if (!rule.IsValid && report) report(rule);
        rules.Append(rule);
    }
    return true;
}

bool SaveSettings(const std::wstring& directory, const GlobalSettings& settings, const RuleList& rules) {
    const std::wstring path = SettingsFilePath(directory);
    if (path.empty()) {
        win::Log("no settings file path for %ls", directory.c_str());
        return false;
    }
    ini::ProfileReader file(path);
    ini::FileText text;
    text.Lines(file.Preamble());
    std::vector<std::string> written;  // a name the file holds twice is written once
    bool globalWritten = false;
    for (const std::string& name : file.SectionNames()) {
        if (isRuleSection(name)) continue;
        // A NUL byte in a header can leave blanks at the end of the name
        // that the next reading drops.
        const std::string_view shown = ini::TrimBlanks(name);
        if (shown.empty() ||
            std::any_of(written.begin(), written.end(), [&](const std::string& w) { return ini::SameName(w, shown); }))
            continue;
        written.emplace_back(shown);
        ini::Section section = file.ReadSection(name);
        file.AddComments(section);
        if (ini::SameName(shown, kGlobalSection)) {
            appendGlobalSection(text, section, settings);
            globalWritten = true;
        } else {
            text.Header(name);
            for (const ini::Entry& entry : section.entries) text.Line(entry);
        }
    }
    if (!globalWritten) appendGlobalSection(text, ini::Section{kGlobalSection, {}}, settings);
    int number = 1;
    for (const Rule& rule : rules) appendRuleSection(text, number++, rule);
    return ini::ReplaceFileText(path, text.Text());
}

}  // namespace quillora
