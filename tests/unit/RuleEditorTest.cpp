// The rule editor and its Shrink page, driven in-process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "common/DialogDriver.h"
#include "res/resource.h"
#include "rules/Rule.h"
#include "ui/RuleEditDialog.h"
#include "ui/RuleShrinkPage.h"

using namespace uitest;
using quillora::Rule;

namespace {

const std::string kEditorTitle = "\x83\x8b\x81\x5b\x83\x8b\x82\xcc\x95\xd2\x8f\x57";  // ルールの編集
const std::string kNeedMatch = "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x83\x7d\x83\x62\x83\x60\x82\xf0\x8d\xc5"
                               "\x92\xe1\x88\xea\x82\xc2\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3"
                               "\x82\xa2\x81\x42";
const std::string kBadInterval = "\x95\x60\x89\xe6\x8a\xd4\x8a\x75\x82\xcd\x31\x81\x60\x31\x30\x30\x30\x30\x30\x82"
                                 "\xcc\x8a\xd4\x82\xf0\x8e\x77\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82"
                                 "\xa2\x81\x42";

std::string comboText(HWND page, int id, int index) {
    char text[256] = {};
    SendDlgItemMessageA(page, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}
int comboSel(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)); }
int spinMax(HWND page, int id) {
    int low = 0, high = 0;
    SendDlgItemMessageA(page, id, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return high;
}
bool checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
void check(HWND page, int id, bool on) {
    CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
int runEditor(Rule& rule, const std::function<void(HWND)>& drive) {
    return RunDialog([&] { return quillora::RunRuleEditor(nullptr, rule); }, kEditorTitle, drive);
}

}  // namespace

TEST(UpdateInterval, AcceptsWholeNumbersFrom1To100000Only) {
    int value = 0;
    EXPECT_TRUE(quillora::ParseUpdateInterval("1", value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(quillora::ParseUpdateInterval("100000", value));
    EXPECT_EQ(value, 100000);
    EXPECT_TRUE(quillora::ParseUpdateInterval("+250", value)) << "a plus sign has always been accepted";
    EXPECT_EQ(value, 250);
    for (const char* bad : {"0", "100001", "", "abc", "12a", " 5", "5 ", "-3", "99999999999", "+", "+-5", "++5"})
        EXPECT_FALSE(quillora::ParseUpdateInterval(bad, value)) << bad;
}

TEST(RuleEditor, NewRuleOpensWithTheDefaultsAndCancelWritesNothing) {
    Rule rule;
    const int result = runEditor(rule, [](HWND dialog) {
        HWND basic = PageWith(dialog, IDC_MATCH_METHOD);
        HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
        ASSERT_TRUE(basic && shrink);
        EXPECT_EQ(comboText(basic, IDC_MATCH_METHOD, 0), "\x8a\xae\x91\x53\x88\xea\x92\x76");  // 完全一致
        EXPECT_EQ(comboText(basic, IDC_MATCH_METHOD, 2), "\x90\xb3\x8b\x4b\x95\x5c\x8c\xbb");  // 正規表現
        EXPECT_EQ(comboSel(basic, IDC_MATCH_METHOD), 1);
        EXPECT_EQ(TextOf(GetDlgItem(shrink, IDC_WIDTH)), "50");
        EXPECT_EQ(TextOf(GetDlgItem(shrink, IDC_HEIGHT)), "50");
        EXPECT_EQ(comboText(shrink, IDC_WIDTH_UNIT, 0), "%");
        EXPECT_EQ(comboText(shrink, IDC_WIDTH_UNIT, 1), "\x83\x73\x83\x4e\x83\x5a\x83\x8b");  // ピクセル
        EXPECT_EQ(comboSel(shrink, IDC_WIDTH_UNIT), 0);
        EXPECT_EQ(comboSel(shrink, IDC_HEIGHT_UNIT), 0);
        EXPECT_EQ(spinMax(shrink, IDC_WIDTH_SPIN), 80);
        EXPECT_EQ(comboText(shrink, IDC_DIRECTION, 0), "\x8e\xa9\x93\xae");  // 自動
        EXPECT_EQ(comboText(shrink, IDC_DIRECTION, 4), "\x89\x45\x89\xba");  // 右下
        EXPECT_EQ(comboSel(shrink, IDC_DIRECTION), 1);                        // 左上
        EXPECT_EQ(comboText(shrink, IDC_RESTORE_METHOD, 0),
                  "\x83\x7d\x83\x45\x83\x58\x83\x49\x81\x5b\x83\x6f\x81\x5b");  // マウスオーバー
        EXPECT_EQ(comboSel(shrink, IDC_RESTORE_METHOD), 0);
        EXPECT_EQ(comboText(shrink, IDC_DRAW_METHOD, 0), "\x91\xac\x93\x78\x97\x44\x90\xe6");  // 速度優先
        EXPECT_EQ(comboSel(shrink, IDC_DRAW_METHOD), 0);
        EXPECT_FALSE(checked(shrink, IDC_UPDATE_DISPLAY));
        EXPECT_FALSE(enabled(shrink, IDC_UPDATE_ELAPSE));
        EXPECT_EQ(TextOf(GetDlgItem(shrink, IDC_UPDATE_ELAPSE)), "1000");
        EXPECT_TRUE(checked(shrink, IDC_FRAME));
        EXPECT_TRUE(checked(shrink, IDC_EXTEND_SYSTEM_MENU));
        EXPECT_FALSE(checked(shrink, IDC_TOPMOST));
        EXPECT_FALSE(checked(shrink, IDC_TRANSPARENT));
        EXPECT_FALSE(enabled(shrink, IDC_TRANSPARENCY));
        EXPECT_EQ(TextOf(GetDlgItem(shrink, IDC_TRANSPARENCY_LABEL)), "\x93\xa7\x89\xdf\x97\xa6\x3a\x20\x35\x30\x25");
        SetDlgItemTextA(basic, IDC_TITLE, "changed");
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rule, Rule{});
}

TEST(RuleEditor, UnitSwitchChangesOnlyTheSpinRange) {
    Rule rule;
    runEditor(rule, [](HWND dialog) {
        HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
        SelectCombo(shrink, IDC_WIDTH_UNIT, 1);
        EXPECT_EQ(spinMax(shrink, IDC_WIDTH_SPIN), 10000);
        EXPECT_EQ(TextOf(GetDlgItem(shrink, IDC_WIDTH)), "50");
        EXPECT_EQ(spinMax(shrink, IDC_HEIGHT_SPIN), 80);
        SelectCombo(shrink, IDC_WIDTH_UNIT, 0);
        EXPECT_EQ(spinMax(shrink, IDC_WIDTH_SPIN), 80);
        Click(dialog, IDCANCEL);
    });
}

TEST(RuleEditor, EnableRulesFollowTheirCheckBoxesAndKeepTheDependentCheck) {
    Rule rule;
    runEditor(rule, [](HWND dialog) {
        HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
        check(shrink, IDC_AUTO_HEIGHT, true);
        EXPECT_FALSE(enabled(shrink, IDC_HEIGHT));
        EXPECT_FALSE(enabled(shrink, IDC_HEIGHT_SPIN));
        EXPECT_FALSE(enabled(shrink, IDC_HEIGHT_UNIT));
        check(shrink, IDC_FRAME, false);
        EXPECT_FALSE(enabled(shrink, IDC_EXTEND_SYSTEM_MENU));
        EXPECT_TRUE(checked(shrink, IDC_EXTEND_SYSTEM_MENU));
        check(shrink, IDC_UPDATE_DISPLAY, true);
        EXPECT_TRUE(enabled(shrink, IDC_UPDATE_ELAPSE));
        check(shrink, IDC_TRANSPARENT, true);
        EXPECT_TRUE(enabled(shrink, IDC_TRANSPARENCY));
        Click(dialog, IDCANCEL);
    });
}

TEST(RuleEditor, RefusesThreeEmptyMatchFieldsWithMessage118) {
    Rule rule;
    const int result = runEditor(rule, [](HWND dialog) {
        const BoxSeen box = AnswerMessageBox([&] { Click(dialog, IDOK); }, IDOK);
        EXPECT_TRUE(box.shown);
        EXPECT_EQ(box.text, kNeedMatch);
        EXPECT_EQ(box.caption, "");
        EXPECT_EQ(box.iconStyle, 0u);
        EXPECT_TRUE(IsWindow(dialog));
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rule, Rule{});
}

TEST(RuleEditor, RefusesBadIntervalsWithMessage119AndLeavesTheRuleAloneOnCancel) {
    Rule rule;
    const int result = runEditor(rule, [](HWND dialog) {
        HWND basic = PageWith(dialog, IDC_MATCH_METHOD);
        HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
        SetDlgItemTextA(basic, IDC_CLASS_NAME, "Notepad");
        // The check runs even while the interval box is disabled.
        for (const char* bad : {"0", "100001", "", "abc"}) {
            SetDlgItemTextA(shrink, IDC_UPDATE_ELAPSE, bad);
            const BoxSeen box = AnswerMessageBox([&] { Click(dialog, IDOK); }, IDOK);
            EXPECT_EQ(box.text, kBadInterval) << bad;
            EXPECT_EQ(box.caption, "");
            EXPECT_TRUE(IsWindow(dialog));
        }
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rule, Rule{}) << "a refused OK must not leave the Basic page's values behind";
}

TEST(RuleEditor, RefusesARegexThatDoesNotCompileAndFocusesItsField) {
    Rule rule;
    const int result = runEditor(rule, [](HWND dialog) {
        HWND basic = PageWith(dialog, IDC_MATCH_METHOD);
        SelectCombo(basic, IDC_MATCH_METHOD, 2);
        SetDlgItemTextA(basic, IDC_CLASS_NAME, "^Notepad$");
        SetDlgItemTextA(basic, IDC_TITLE, "([a-");
        TabCtrl_SetCurFocus(GetDlgItem(dialog, IDC_EDITOR_TAB), 1);  // the user is on the Shrink page
        ASSERT_FALSE(IsWindowVisible(basic));

        const BoxSeen box = AnswerMessageBox([&] { Click(dialog, IDOK); }, IDOK);
        EXPECT_EQ(box.text, Ansi("タイトルの正規表現が正しくありません。"));
        EXPECT_EQ(box.caption, "");
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_TRUE(IsWindowVisible(basic));
        EXPECT_EQ(GetFocus(), GetDlgItem(basic, IDC_TITLE));

        SelectCombo(basic, IDC_MATCH_METHOD, 1);  // the same text is a fine wildcard
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rule.MatchMethod, 1);
    EXPECT_EQ(rule.Title, "([a-");
}

TEST(RuleEditor, OkWritesEveryFieldIncludingDisabledControls) {
    Rule rule;
    rule.Validness = false;  // the editor never touches it
    const int result = runEditor(rule, [](HWND dialog) {
        HWND basic = PageWith(dialog, IDC_MATCH_METHOD);
        HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
        SetDlgItemTextA(basic, IDC_EXPLANATION, "memo");
        SelectCombo(basic, IDC_MATCH_METHOD, 2);
        SetDlgItemTextA(basic, IDC_APP_NAME, "C:\\app.exe");
        SetDlgItemTextA(basic, IDC_TITLE, "T.*");
        SelectCombo(shrink, IDC_WIDTH_UNIT, 1);
        SetDlgItemTextA(shrink, IDC_WIDTH, "300");
        SetDlgItemTextA(shrink, IDC_HEIGHT, "40");
        check(shrink, IDC_AUTO_HEIGHT, true);  // height greyed, still written
        SetDlgItemTextA(shrink, IDC_UPDATE_ELAPSE, "100000");  // box disabled, still written
        SelectCombo(shrink, IDC_DIRECTION, 4);
        SelectCombo(shrink, IDC_RESTORE_METHOD, 1);
        SelectCombo(shrink, IDC_DRAW_METHOD, 1);
        check(shrink, IDC_TOPMOST, true);
        check(shrink, IDC_FRAME, false);
        check(shrink, IDC_TRANSPARENT, true);
        SendDlgItemMessageA(shrink, IDC_TRANSPARENCY, TBM_SETPOS, TRUE, 80);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rule.Explanation, "memo");
    EXPECT_EQ(rule.MatchMethod, 2);
    EXPECT_EQ(rule.AppName, "C:\\app.exe");
    EXPECT_EQ(rule.ClassName, "");
    EXPECT_EQ(rule.Title, "T.*");
    EXPECT_EQ(rule.StretchWidthUnit, 1);
    EXPECT_EQ(rule.StretchWidth, 300);
    EXPECT_EQ(rule.StretchHeight, 40);
    EXPECT_TRUE(rule.Coratio);
    EXPECT_EQ(rule.UpdateDisplayElapse, 100000);
    EXPECT_FALSE(rule.UpdateDisplay);
    EXPECT_EQ(rule.StretchDirection, 4);
    EXPECT_EQ(rule.StretchRestoreMethod, 1);
    EXPECT_EQ(rule.StretchDrawMethod, 1);
    EXPECT_TRUE(rule.Topmost);
    EXPECT_FALSE(rule.Frame);
    EXPECT_TRUE(rule.ExtendSystemMenu);
    EXPECT_TRUE(rule.Transparent);
    EXPECT_EQ(rule.Transparency, 80);
    EXPECT_FALSE(rule.Validness);
}

TEST(RuleEditor, ValuesNoListEntryStandsForShowAsNoSelectionAndWriteMinusOne) {
    Rule rule;
    rule.ClassName = "X";
    rule.StretchDirection = 7;
    const int result = runEditor(rule, [](HWND dialog) {
        HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
        EXPECT_EQ(comboSel(shrink, IDC_DIRECTION), CB_ERR);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rule.StretchDirection, -1);
}
