// The settings file read and written through the real private-profile
// functions, in a fresh temporary folder per test.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rules/Settings.h"
#include "unit/RulePrinting.h"

using quillora::GlobalSettings;
using quillora::LoadSettings;
using quillora::Rule;
using quillora::RuleList;
using quillora::SaveSettings;

namespace {

// "正規表現" in code page 932: the Explanation of a section without one.
const std::string kRegexName = "\x90\xb3\x8b\x4b\x95\x5c\x8c\xbb";

class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        while (dir_.empty()) {
            std::string candidate = std::string(temp) + "quillora-settings-" + std::to_string(GetCurrentProcessId()) +
                                    "-" + std::to_string(counter_++);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) dir_ = candidate;
        }
    }
    ~TempFolder() {
        DeleteFileA(IniPath().c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Dir() const { return dir_; }
    std::string IniPath() const { return dir_ + "\\Quillora.ini"; }
    bool IniExists() const { return GetFileAttributesA(IniPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

    void Write(const std::string& text) const {
        std::ofstream out(IniPath(), std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::string Read() const {
        std::ifstream in(IniPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Section names in file order, from the raw text.
    std::vector<std::string> Sections() const {
        std::vector<std::string> names;
        std::istringstream lines(Read());
        for (std::string line; std::getline(lines, line);) {
            if (line.size() > 1 && line[0] == '[') names.push_back(line.substr(1, line.find(']') - 1));
        }
        return names;
    }
    std::string Value(const char* section, const char* key) const {
        char buffer[1024] = {};
        GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, IniPath().c_str());
        return buffer;
    }

private:
    static inline int counter_ = 0;
    std::string dir_;
};

struct Loaded {
    GlobalSettings settings;
    RuleList rules;
    std::vector<std::string> reported;  // Explanations of the invalid rules, in order
};

Loaded load(const TempFolder& folder) {
    Loaded out;
    EXPECT_TRUE(LoadSettings(folder.Dir(), out.settings, out.rules,
                             [&](const Rule& rule) { out.reported.push_back(rule.Explanation); }));
    return out;
}

Rule titled(const std::string& title) {
    Rule rule;
    rule.Title = title;
    return rule;
}

// A rule in which every stored field differs from its default.
Rule unusualRule() {
    Rule r;
    r.Explanation = "\x95\xd2\x8f\x57 Editor";  // 編集 Editor
    r.AppName = "*\\editor.exe; *\\viewer.exe";
    r.ClassName = "EditorClass";
    r.Title = "^Untitled.*$";
    r.MatchMethod = 2;
    r.StretchWidth = 200;
    r.StretchHeight = 150;
    r.StretchWidthUnit = 1;
    r.StretchHeightUnit = 1;
    r.Coratio = true;
    r.StretchDrawMethod = 1;
    r.StretchDirection = 4;
    r.StretchRestoreMethod = 1;
    r.UpdateDisplay = true;
    r.UpdateDisplayElapse = 500;
    r.Topmost = true;
    r.Frame = false;
    r.Transparent = true;
    r.Transparency = 75;
    r.Validness = false;
    return r;
}

}  // namespace

TEST(Settings, WithoutAFileEverythingIsDefaultAndTheFirstSaveStartsWithTheGlobalSection) {
    TempFolder folder;
    const Loaded loaded = load(folder);
    EXPECT_EQ(loaded.settings, GlobalSettings{});
    EXPECT_TRUE(loaded.rules.empty());
    EXPECT_TRUE(loaded.reported.empty());
    EXPECT_FALSE(folder.IniExists()) << "reading must not create the file";

    RuleList rules;
    rules.Append(titled("a"));
    SaveSettings(folder.Dir(), loaded.settings, rules);
    EXPECT_EQ(folder.Read().rfind("[Quillora]", 0), 0u) << folder.Read();
    EXPECT_EQ(folder.Sections(), (std::vector<std::string>{"Quillora", "Rule1"}));
    EXPECT_EQ(folder.Value("Quillora", "ActiveRestore"), "1");
    EXPECT_EQ(folder.Value("Quillora", "Mergin"), "30");
}

TEST(Settings, RoundTripKeepsEveryStoredFieldButNotTheInMemoryOnes) {
    TempFolder folder;
    const GlobalSettings settings{false, 12, 77};
    RuleList rules;
    Rule unusual = unusualRule();
    unusual.ExtendSystemMenu = false;
    rules.Append(unusual);
    rules.Append(titled("second"));
    SaveSettings(folder.Dir(), settings, rules);

    const Loaded loaded = load(folder);
    EXPECT_EQ(loaded.settings, settings);
    EXPECT_TRUE(loaded.reported.empty());
    ASSERT_EQ(loaded.rules.size(), 2u);
    Rule expected = unusualRule();  // ExtendSystemMenu comes back true
    EXPECT_EQ(loaded.rules[0], expected);
    EXPECT_FALSE(loaded.rules[0].Validness) << "a switched-off rule stays switched off";
    EXPECT_EQ(loaded.rules[1], titled("second"));

    const std::string raw = folder.Read();
    EXPECT_EQ(raw.find("ExtendSystemMenu"), std::string::npos);
    EXPECT_EQ(raw.find("IsValid"), std::string::npos);
    EXPECT_EQ(folder.Value("Rule1", "Validness"), "0");
    EXPECT_EQ(folder.Value("Rule1", "Coratio"), "1");
    EXPECT_EQ(folder.Value("Rule1", "ClassName"), "EditorClass");
    EXPECT_EQ(folder.Value("Rule2", "ClassName"), "") << "empty patterns are written as empty keys";
}

TEST(Settings, RulesLoadInSectionOrderAndAreRenumberedOnSave) {
    TempFolder folder;
    folder.Write("[Quillora]\r\nMergin=5\r\n[Rule2]\r\nTitle=was two\r\n[Rule1]\r\nTitle=was one\r\n");
    Loaded loaded = load(folder);
    ASSERT_EQ(loaded.rules.size(), 2u);
    EXPECT_EQ(loaded.rules[0].Title, "was two");
    EXPECT_EQ(loaded.rules[1].Title, "was one");
    EXPECT_EQ(loaded.settings.Mergin, 5);
    EXPECT_EQ(loaded.settings.Sensitivity, 30);

    SaveSettings(folder.Dir(), loaded.settings, loaded.rules);
    EXPECT_EQ(folder.Sections(), (std::vector<std::string>{"Quillora", "Rule1", "Rule2"}));
    EXPECT_EQ(folder.Value("Rule1", "Title"), "was two");
    EXPECT_EQ(folder.Value("Rule2", "Title"), "was one");
}

TEST(Settings, SectionWithOnlyATitleGetsTheFileDefaults) {
    TempFolder folder;
    folder.Write("[Rule5]\r\nTitle=abc\r\n");
    const Loaded loaded = load(folder);
    ASSERT_EQ(loaded.rules.size(), 1u);
    EXPECT_TRUE(loaded.reported.empty());
    Rule expected = titled("abc");
    expected.Explanation = kRegexName;
    expected.StretchDirection = 0;  // Auto, unlike a new rule's top-left
    EXPECT_EQ(loaded.rules[0], expected);
}

TEST(Settings, AnyRuleStarSectionIsReadReportedWhenInvalidAndReplacedOnSave) {
    TempFolder folder;
    folder.Write("[Quillora]\r\nActiveRestore=0\r\n[rulebook]\r\nColour=red\r\n"
                 "[RULE]\r\nExplanation=Wide\r\nTitle=x\r\nStretchWidth=150\r\n");
    Loaded loaded = load(folder);
    EXPECT_EQ(loaded.reported, (std::vector<std::string>{kRegexName, "Wide"}));
    ASSERT_EQ(loaded.rules.size(), 2u) << "invalid rules are still listed";
    EXPECT_FALSE(loaded.rules[0].IsValid);
    EXPECT_FALSE(loaded.rules[1].IsValid);
    EXPECT_FALSE(loaded.settings.ActiveRestore);

    SaveSettings(folder.Dir(), loaded.settings, loaded.rules);
    EXPECT_EQ(folder.Sections(), (std::vector<std::string>{"Quillora", "Rule1", "Rule2"}));
    EXPECT_EQ(folder.Value("Rule2", "StretchWidth"), "150") << "an invalid rule is written back unchanged";
    EXPECT_EQ(folder.Value("Rule2", "Explanation"), "Wide");
    EXPECT_EQ(folder.Value("Rule1", "Explanation"), kRegexName);
}

TEST(Settings, OtherSectionsKeepTheirPlaceAndKeys) {
    TempFolder folder;
    folder.Write("[Other]\r\nkeep=1\r\n[Quillora]\r\nMergin=9\r\n[Rule1]\r\nTitle=old\r\n[Zed]\r\nz=2\r\n");
    Loaded loaded = load(folder);
    loaded.rules.Append(titled("new"));
    SaveSettings(folder.Dir(), loaded.settings, loaded.rules);
    EXPECT_EQ(folder.Sections(), (std::vector<std::string>{"Other", "Quillora", "Zed", "Rule1", "Rule2"}));
    EXPECT_EQ(folder.Value("Other", "keep"), "1");
    EXPECT_EQ(folder.Value("Zed", "z"), "2");
    EXPECT_EQ(folder.Value("Rule2", "Title"), "new");
}

TEST(Settings, TextsLongerThan255BytesComeBackCut) {
    TempFolder folder;
    Rule rule = titled("t");
    rule.Explanation = std::string(300, 'e');
    RuleList rules;
    rules.Append(rule);
    SaveSettings(folder.Dir(), GlobalSettings{}, rules);
    const Loaded loaded = load(folder);
    ASSERT_EQ(loaded.rules.size(), 1u);
    EXPECT_EQ(loaded.rules[0].Explanation, std::string(255, 'e'));
}

namespace {

using Titles = std::vector<std::string>;

Titles numberedTitles(std::size_t count) {
    Titles titles;
    for (std::size_t i = 1; i <= count; ++i) titles.push_back(std::to_string(i).insert(0, 1, 't'));
    return titles;
}

Titles titlesOf(const RuleList& rules) {
    Titles titles;
    for (const Rule& r : rules) titles.push_back(r.Title);
    return titles;
}

RuleList numberedRules(std::size_t count) {
    RuleList rules;
    for (const std::string& title : numberedTitles(count)) rules.Append(titled(title));
    return rules;
}

// The section layout SaveSettings makes, written in one go: saving through
// the profile functions rewrites the file once per key.
std::string numberedSections(std::size_t count) {
    std::string text;
    for (std::size_t i = 1; i <= count; ++i) text += "[Rule" + std::to_string(i) + "]\r\nTitle=t" + std::to_string(i) + "\r\n";
    return text;
}

}  // namespace

TEST(Settings, ReadsBackAsManyRulesAsTheSectionListHolds) {
    TempFolder whole;
    whole.Write("[Quillora]\r\n" + numberedSections(140));
    EXPECT_EQ(titlesOf(load(whole).rules), numberedTitles(140));

    TempFolder tooMany;
    tooMany.Write("[Quillora]\r\n" + numberedSections(150));
    const Loaded loaded = load(tooMany);
    EXPECT_EQ(titlesOf(loaded.rules), numberedTitles(140)) << "names past the 1024-byte list are not seen";
    EXPECT_TRUE(loaded.reported.empty());

    SaveSettings(tooMany.Dir(), GlobalSettings{}, numberedRules(2));
    EXPECT_EQ(tooMany.Value("Rule3", "Title"), "<missing>") << "seen sections are deleted";
    EXPECT_EQ(tooMany.Value("Rule140", "Title"), "<missing>");
    EXPECT_EQ(tooMany.Value("Rule141", "Title"), "t141") << "unseen sections are left as they were";
    EXPECT_EQ(tooMany.Value("Rule150", "Title"), "t150");
}

TEST(Settings, ANameCutShortAtTheListLimitIsNeverReadAsARule) {
    // A padding section moves the 1024-byte limit across every position of
    // the straddling "RuleNNN" name in turn.
    for (int pad = 1; pad <= 8; ++pad) {
        TempFolder folder;
        folder.Write("[Quillora]\r\n[" + std::string(static_cast<std::size_t>(pad), 'p') + "]\r\nx=1\r\n" +
                     numberedSections(145));
        const Loaded loaded = load(folder);
        EXPECT_TRUE(loaded.reported.empty()) << "pad " << pad;
        EXPECT_GE(loaded.rules.size(), 139u) << "pad " << pad;
        EXPECT_EQ(titlesOf(loaded.rules), numberedTitles(loaded.rules.size())) << "pad " << pad;
    }
}
