// The sample settings file of the release, read as the program reads it at
// start: its notes are comments, and its two example rules load, are valid
// and pick the windows the notes promise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Harness.h"
#include "rules/Matching.h"
#include "rules/Settings.h"
#include "common/RulePrinting.h"
#include "tools/FileBytes.h"

using namespace quillora;

TEST(SampleSettings, NotesAreCommentsAndBothExampleRulesLoadValid) {
    // Built beside bin/ in code page 932, as it goes into the archive.
    const std::wstring folder = tools::WidePath(uitest::BinDir() + "\\..\\package");
    GlobalSettings settings{false, 0, 0};
    RuleList rules;
    std::vector<std::string> invalid;
    LoadSettings(folder, settings, rules, [&](const Rule& rule) { invalid.push_back(rule.Explanation); });
    EXPECT_TRUE(invalid.empty());
    EXPECT_EQ(settings, (GlobalSettings{true, 30, 30}));
    ASSERT_EQ(rules.size(), 2u);

    Rule notepad;
    notepad.Explanation = uitest::Ansi("メモ帳");
    notepad.AppName = "*\\notepad.exe";
    notepad.MatchMethod = MatchWildcardMethod;
    notepad.StretchWidth = 40;
    notepad.StretchHeight = 40;
    notepad.Coratio = true;
    notepad.StretchDrawMethod = QualityPriority;
    notepad.StretchDirection = DirAuto;
    notepad.UpdateDisplay = true;
    EXPECT_EQ(rules[0], notepad);

    Rule folders;
    folders.Explanation = uitest::Ansi("エクスプローラー");
    folders.ClassName = "CabinetWClass";
    folders.MatchMethod = MatchExactMethod;
    folders.StretchWidth = 200;
    folders.StretchHeight = 150;
    folders.StretchWidthUnit = UnitPixel;
    folders.StretchHeightUnit = UnitPixel;
    folders.StretchDirection = DirBottomRight;
    folders.StretchRestoreMethod = RestoreLeftClick;
    folders.Validness = false;
    EXPECT_EQ(rules[1], folders);

    const WindowIdentity editor{"C:\\Windows\\System32\\NOTEPAD.EXE", "Notepad", uitest::Ansi("無題 - メモ帳")};
    const WindowIdentity explorer{"C:\\Windows\\explorer.exe", "CabinetWClass", "Documents"};
    EXPECT_EQ(MatchRules(editor, rules), &rules[0]);
    EXPECT_EQ(MatchRules(explorer, rules), nullptr);  // shipped disabled
    rules[1].Validness = true;
    EXPECT_EQ(MatchRules(explorer, rules), &rules[1]);
}
