// The settings file read and written through the real private-profile
// functions, in a fresh temporary folder per test.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "rules/Settings.h"
#include "ui/RuleEditDialog.h"
#include "common/DialogDriver.h"
#include "common/RulePrinting.h"
#include "tools/FileBytes.h"

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
        for (const std::string& path : {IniPath(), TempPath()}) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(dir_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // As the settings take it.
    std::wstring Dir() const { return tools::WidePath(dir_); }
    std::string IniPath() const { return dir_ + "\\Quillora.ini"; }
    std::string TempPath() const { return IniPath() + ".tmp"; }  // where a save writes before the swap
    bool IniExists() const { return GetFileAttributesA(IniPath().c_str()) != INVALID_FILE_ATTRIBUTES; }
    bool TempExists() const { return GetFileAttributesA(TempPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

    void Write(const std::string& text, const std::string& path = "") const {
        std::ofstream out(path.empty() ? IniPath() : path, std::ios::binary | std::ios::trunc);
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

// Numbered rule sections with a title each, as a hand-written file holds them.
std::string numberedSections(std::size_t count) {
    std::string text;
    for (std::size_t i = 1; i <= count; ++i) text += "[Rule" + std::to_string(i) + "]\r\nTitle=t" + std::to_string(i) + "\r\n";
    return text;
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
    EXPECT_TRUE(SaveSettings(folder.Dir(), loaded.settings, rules));
    // One line per key, in table order, as the profile functions write them.
    EXPECT_EQ(folder.Read(),
              "[Quillora]\r\nActiveRestore=1\r\nMergin=30\r\nSensitivity=30\r\n"
              "[Rule1]\r\nExplanation=\r\nAppName=\r\nClassName=\r\nTitle=a\r\nMatchMethod=1\r\nStretchWidth=50\r\n"
              "StretchHeight=50\r\nStretchWidthUnit=0\r\nStretchHeightUnit=0\r\nCoratio=0\r\nStretchDrawMethod=0\r\n"
              "StretchDirection=1\r\nStretchRestoreMethod=0\r\nUpdateDisplay=0\r\nUpdateDisplayElapse=1000\r\n"
              "Topmost=0\r\nFrame=1\r\nTransparent=0\r\nTransparency=50\r\nValidness=1\r\n");
    EXPECT_FALSE(folder.TempExists());
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
    // Comments and nameless lines are no keys to the profile functions; whether
    // the second of two nameless lines counts depends on the line before it.
    // Comments stay where they stood, except in the rule sections, which are
    // written anew. A NUL byte ends a name or key early, before the blanks it
    // would lose.
    using namespace std::string_literals;
    folder.Write("; notes for whoever edits the file\r\n\r\n[Other]\r\nkeep = 1\r\n  ;note\r\n=a\r\n=b\r\nflag\r\n"
                 "[Quillora]\r\n; in pixels\r\nmergin=9\r\nExtra=\"x\"\r\n;last\r\n"
                 "[Rule1]\r\n; the old rule\r\nTitle=old\r\n[Zed]\r\nz=2\r\n[Nul \0x]\r\nk \0= v \r\n"s);
    Loaded loaded = load(folder);
    EXPECT_EQ(loaded.settings.Mergin, 9);
    loaded.settings.Mergin = 4;
    loaded.rules.Append(titled("new"));
    EXPECT_TRUE(SaveSettings(folder.Dir(), loaded.settings, loaded.rules));
    EXPECT_EQ(folder.Sections(), (std::vector<std::string>{"Other", "Quillora", "Zed", "Nul", "Rule1", "Rule2"}));
    const std::string raw = folder.Read();
    EXPECT_EQ(raw.substr(0, raw.find("[Rule1]")),
              "; notes for whoever edits the file\r\n\r\n[Other]\r\nkeep=1\r\n  ;note\r\nflag\r\n[Quillora]\r\n"
              "; in pixels\r\nmergin=4\r\nExtra=\"x\"\r\n;last\r\nActiveRestore=1\r\n"
              "Sensitivity=30\r\n[Zed]\r\nz=2\r\n[Nul]\r\nk=v\r\n");
    EXPECT_EQ(raw.find("the old rule"), std::string::npos);
    EXPECT_EQ(folder.Value("Rule2", "Title"), "new");

    Loaded again = load(folder);
    EXPECT_TRUE(SaveSettings(folder.Dir(), again.settings, again.rules));
    EXPECT_EQ(folder.Read(), raw) << "a second save changes nothing";

    folder.Write("; only a note");
    EXPECT_TRUE(SaveSettings(folder.Dir(), GlobalSettings{}, RuleList{}));
    EXPECT_EQ(folder.Read().rfind("; only a note\r\n[Quillora]\r\n", 0), 0u) << folder.Read();
}

TEST(Settings, LineBreaksInTextsCannotAddKeysOrSections) {
    TempFolder folder;
    RuleList rules;
    rules.Append(titled("abc\r\n[Quillora]\r\nMergin=7\nx"));
    SaveSettings(folder.Dir(), GlobalSettings{}, rules);
    const Loaded loaded = load(folder);
    EXPECT_EQ(loaded.settings.Mergin, 30);
    ASSERT_EQ(loaded.rules.size(), 1u);
    EXPECT_EQ(loaded.rules[0].Title, "abc  [Quillora]  Mergin=7 x");
    EXPECT_EQ(folder.Sections(), (std::vector<std::string>{"Quillora", "Rule1"}));
}

TEST(Settings, TextsLongerThan255BytesComeBackCutAtACharacterBoundary) {
    TempFolder folder;
    std::string hiragana;  // あ, two bytes each
    for (int i = 0; i < 200; ++i) hiragana += "\x82\xa0";
    Rule rule = titled("x" + hiragana);
    rule.Explanation = std::string(300, 'e');
    rule.ClassName = "xx" + hiragana;
    RuleList rules;
    rules.Append(rule);
    SaveSettings(folder.Dir(), GlobalSettings{}, rules);
    const Loaded loaded = load(folder);
    ASSERT_EQ(loaded.rules.size(), 1u);
    EXPECT_EQ(loaded.rules[0].Explanation, std::string(300, 'e').substr(0, 255));
    EXPECT_EQ(loaded.rules[0].Title, ("x" + hiragana).substr(0, 255));
    EXPECT_EQ(loaded.rules[0].ClassName, ("xx" + hiragana).substr(0, 254)) << "half a character is dropped";
    EXPECT_EQ(quillora::FitStoredText("xx" + hiragana), loaded.rules[0].ClassName);
}

TEST(Settings, TextsTheReaderWouldAlterAreQuotedAndComeBackUnchanged) {
    const std::vector<std::string> texts = {
        "plain", "\"Untitled\"", "'single'", " lead", "trail ", "\ttabs\t", "   ", "\"", "\"\"", "''", "\"\"\"\"",
        "\"mixed'", "a \"quoted\" word", "\" padded \"", "\x81\x40wide\x81\x40", "\x1a" "eof", "vt\x0b",
        " " + std::string(254, 'x')};
    TempFolder folder;
    RuleList rules;
    for (const std::string& text : texts) {
        Rule rule = titled(text);
        rule.ClassName = "c";
        rule.Explanation = text;
        rules.Append(rule);
    }
    ASSERT_TRUE(SaveSettings(folder.Dir(), GlobalSettings{}, rules));
    for (int cycle = 0; cycle < 2; ++cycle) {
        const Loaded loaded = load(folder);
        ASSERT_EQ(loaded.rules.size(), texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(loaded.rules[i].Title, texts[i]) << "rule " << i + 1;
            EXPECT_EQ(loaded.rules[i].Explanation, texts[i]) << "rule " << i + 1;
        }
        ASSERT_TRUE(SaveSettings(folder.Dir(), loaded.settings, loaded.rules));
    }
    const std::string raw = folder.Read();
    EXPECT_NE(raw.find("\r\nTitle=plain\r\n"), std::string::npos) << "ordinary texts are not quoted";
    EXPECT_NE(raw.find("\r\nTitle=a \"quoted\" word\r\n"), std::string::npos);
    EXPECT_NE(raw.find("\r\nTitle=\"\"Untitled\"\"\r\n"), std::string::npos);

    // Files written by hand keep being read as before: blanks around a value
    // and one pair of quotes are not part of it.
    folder.Write("[Rule1]\r\nTitle =  \"Untitled\"  \r\nClassName=\t'c' \r\n");
    const Loaded byHand = load(folder);
    ASSERT_EQ(byHand.rules.size(), 1u);
    EXPECT_EQ(byHand.rules[0].Title, "Untitled");
    EXPECT_EQ(byHand.rules[0].ClassName, "c");
}

TEST(Settings, ASaveThatCannotReplaceTheFileFailsAndLeavesItWhole) {
    TempFolder folder;
    const std::string old = "[Quillora]\r\nMergin=9\r\n[Rule1]\r\nTitle=old\r\n";
    const RuleList rules = [] {
        RuleList r;
        r.Append(titled("new"));
        return r;
    }();

    folder.Write(old);
    SetFileAttributesA(folder.IniPath().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(SaveSettings(folder.Dir(), GlobalSettings{}, rules)) << "read-only";
    EXPECT_EQ(folder.Read(), old);
    EXPECT_FALSE(folder.TempExists());
    SetFileAttributesA(folder.IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);

    {
        HANDLE held = CreateFileA(folder.IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(SaveSettings(folder.Dir(), GlobalSettings{}, rules)) << "held open by another program";
        GlobalSettings settings;
        RuleList loaded;
        EXPECT_FALSE(LoadSettings(folder.Dir(), settings, loaded, nullptr)) << "an unreadable file is no empty one";
        EXPECT_TRUE(loaded.empty());
        CloseHandle(held);
    }
    EXPECT_EQ(folder.Read(), old);
    EXPECT_FALSE(folder.TempExists());

    // What a save killed before its swap leaves behind is written over.
    folder.Write("[Rule1]\r\nTitle=half", folder.TempPath());
    SetFileAttributesA(folder.TempPath().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(SaveSettings(folder.Dir(), GlobalSettings{}, rules));
    EXPECT_FALSE(folder.TempExists());
    EXPECT_EQ(titlesOf(load(folder).rules), (std::vector<std::string>{"new"}));
}

TEST(Settings, TheEditorKeepsTextsToWhatTheFileKeeps) {
    std::string captured = "x";  // a window title as the capture tool fills it in
    for (int i = 0; i < 200; ++i) captured += "\x82\xa0";
    const std::string padded = " \"Untitled\" ";
    Rule rule;
    const int result = uitest::RunDialog([&] { return quillora::RunRuleEditor(nullptr, rule); },
                                         uitest::Ansi("ルールの編集"), [&](HWND dialog) {
                                             HWND basic = uitest::PageWith(dialog, IDC_TITLE);
                                             for (int id : {IDC_EXPLANATION, IDC_APP_NAME, IDC_CLASS_NAME, IDC_TITLE})
                                                 EXPECT_EQ(SendDlgItemMessageA(basic, id, EM_GETLIMITTEXT, 0, 0), 255)
                                                     << id;
                                             SetDlgItemTextA(basic, IDC_TITLE, captured.c_str());
                                             SetDlgItemTextA(basic, IDC_EXPLANATION, padded.c_str());
                                             uitest::Click(dialog, IDOK);
                                         });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(rule.Title, captured.substr(0, 255));
    EXPECT_EQ(rule.Explanation, padded);

    TempFolder folder;
    RuleList rules;
    rules.Append(rule);
    SaveSettings(folder.Dir(), GlobalSettings{}, rules);
    const Loaded loaded = load(folder);
    ASSERT_EQ(loaded.rules.size(), 1u);
    EXPECT_EQ(loaded.rules[0], rule);
}

TEST(Settings, EveryRuleSectionLoadsInFileOrderHoweverLongTheSectionList) {
    // A padding section moves the end of the first 1024 bytes of the section
    // list across every position of a "RuleNNN" name in turn.
    for (int pad = 0; pad <= 8; ++pad) {
        TempFolder folder;
        folder.Write("[Quillora]\r\n[" + std::string(static_cast<std::size_t>(pad), 'p') + "]\r\nx=1\r\n" +
                     numberedSections(150));
        const Loaded loaded = load(folder);
        EXPECT_TRUE(loaded.reported.empty()) << "pad " << pad;
        EXPECT_EQ(titlesOf(loaded.rules), numberedTitles(150)) << "pad " << pad;
    }
}

TEST(Settings, ManyRulesSurviveLoadAndSaveCyclesInOrder) {
    for (std::size_t count : {141u, 300u}) {
        TempFolder folder;
        GlobalSettings settings;
        settings.Mergin = 7;
        ASSERT_TRUE(SaveSettings(folder.Dir(), settings, numberedRules(count)));
        for (int cycle = 1; cycle <= 3; ++cycle) {
            const Loaded loaded = load(folder);
            ASSERT_EQ(titlesOf(loaded.rules), numberedTitles(count)) << count << " rules, cycle " << cycle;
            EXPECT_EQ(loaded.settings, settings);
            ASSERT_TRUE(SaveSettings(folder.Dir(), loaded.settings, loaded.rules));
        }
        EXPECT_EQ(folder.Sections().size(), count + 1);
    }
}
