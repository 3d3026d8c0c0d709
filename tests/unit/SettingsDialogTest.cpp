// The settings dialog with its General and Rules pages, driven in-process on
// a test SettingsStore.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <sstream>

#include "common/DialogDriver.h"
#include "res/resource.h"
#include "rules/SettingsStore.h"
#include "ui/Dialogs.h"
#include "ui/StartupShortcut.h"

using namespace uitest;
using quillora::SettingsStore;
using quillora::Rule;

namespace {

const std::string kSettingsTitle = "\x51\x75\x69\x6c\x6c\x6f\x72\x61\x82\xcc\x90\xdd\x92\xe8";  // Quilloraの設定
const std::string kEditorTitle = "\x83\x8b\x81\x5b\x83\x8b\x82\xcc\x95\xd2\x8f\x57";           // ルールの編集

Rule namedRule(const char* name) {
    Rule r;
    r.Explanation = name;
    r.Title = std::string(name) + " title";
    return r;
}

SettingsStore threeRules() {
    SettingsStore app;
    for (const char* name : {"A", "B", "C"}) app.Rules.Append(namedRule(name));
    return app;
}

int runSettings(SettingsStore& app, const std::function<void(HWND)>& drive) {
    return RunDialog([&] { return quillora::ShowSettingsDialog(nullptr, app); }, kSettingsTitle, drive);
}

struct RulesView {
    HWND page;
    HWND list;
    explicit RulesView(HWND dialog) : page(PageWith(dialog, IDC_RULE_LIST)), list(GetDlgItem(page, IDC_RULE_LIST)) {}
    int count() const { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
    std::string text(int row, int column = 0) const {
        char buffer[256] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    std::string order() const {
        std::string all;
        for (int i = 0; i < count(); ++i) all += text(i);
        return all;
    }
    bool checked(int row) const {
        return ((SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
    }
    void setChecked(int row, bool on) const {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    void select(int row) const {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    int selected() const {
        return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
};

// Opens the rule editor from `trigger` and sets the title field, then OK or Cancel.
void editorAnswers(const std::function<void()>& trigger, const char* title, int button) {
    RunDialog(
        [&] {
            trigger();
            return 0;
        },
        kEditorTitle,
        [&](HWND editor) {
            if (title) SetDlgItemTextA(PageWith(editor, IDC_TITLE), IDC_TITLE, title);
            Click(editor, button);
        });
}

}  // namespace

TEST(SettingsDialog, OpensOnTheGeneralPageWithTwoTabs) {
    SettingsStore app;
    runSettings(app, [](HWND dialog) {
        HWND tab = GetDlgItem(dialog, IDC_SETTINGS_TAB);
        EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
        char caption[64] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = sizeof caption;
        SendMessageA(tab, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(caption, "\x88\xea\x94\xca");  // 一般
        SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(caption, "\x83\x8b\x81\x5b\x83\x8b");  // ルール
        HWND general = PageWith(dialog, IDC_STARTUP);
        HWND rules = PageWith(dialog, IDC_RULE_LIST);
        EXPECT_TRUE(IsWindowVisible(general));
        EXPECT_FALSE(IsWindowVisible(rules));
        // Switching tabs as a click does.
        NMHDR header{tab, IDC_SETTINGS_TAB, static_cast<UINT>(TCN_SELCHANGING)};
        SendMessageA(dialog, WM_NOTIFY, IDC_SETTINGS_TAB, reinterpret_cast<LPARAM>(&header));
        SendMessageA(tab, TCM_SETCURSEL, 1, 0);
        header.code = static_cast<UINT>(TCN_SELCHANGE);
        SendMessageA(dialog, WM_NOTIFY, IDC_SETTINGS_TAB, reinterpret_cast<LPARAM>(&header));
        EXPECT_FALSE(IsWindowVisible(general));
        EXPECT_TRUE(IsWindowVisible(rules));
        // The page fills the tab's display area and lays its controls out in pixels.
        RECT area{};
        GetClientRect(tab, &area);
        SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        RECT page{};
        GetClientRect(rules, &page);
        EXPECT_EQ(page.right, area.right - area.left);
        EXPECT_EQ(page.bottom, area.bottom - area.top);
        const RECT list = ClientRectOf(rules, IDC_RULE_LIST);
        EXPECT_EQ(list.right - list.left, page.right - 35);
        EXPECT_EQ(list.bottom - list.top, page.bottom - 35);
        const RECT down = ClientRectOf(rules, IDC_DOWN);
        EXPECT_EQ(down.left, page.right - 30);
        EXPECT_EQ(down.top, 35);
        const RECT del = ClientRectOf(rules, IDC_DELETE);
        EXPECT_EQ(del.left, 150);
        EXPECT_EQ(del.top, page.bottom - 30);
        Click(dialog, IDCANCEL);
    });
}

TEST(SettingsDialog, CancelAfterAddsEditsMovesAndDeletesLeavesEverythingAsItWas) {
    SettingsStore app = threeRules();
    app.Settings.Mergin = 12;
    const SettingsStore before = app;
    const int result = runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        editorAnswers([&] { Click(rules.page, IDC_ADD); }, "new", IDOK);
        ASSERT_EQ(rules.count(), 4);
        rules.select(0);
        editorAnswers([&] { Click(rules.page, IDC_EDIT); }, "edited", IDOK);
        rules.select(1);
        Click(rules.page, IDC_DOWN);
        rules.select(3);
        AnswerMessageBox([&] { Click(rules.page, IDC_DELETE); }, IDYES);
        rules.setChecked(0, false);
        CheckDlgButton(PageWith(dialog, IDC_STARTUP), IDC_ACTIVE_RESTORE, BST_UNCHECKED);
        SetDlgItemTextA(PageWith(dialog, IDC_STARTUP), IDC_MARGIN, "77");
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(app.Rules, before.Rules);
    EXPECT_EQ(app.Settings, before.Settings);
}

TEST(RulesPage, ShowsRulesInOrderWithFourColumnsAndCheckBoxes) {
    SettingsStore app = threeRules();
    app.Rules[1].Validness = false;
    app.Rules[2].AppName = "c.exe";
    app.Rules[2].ClassName = "CClass";
    runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        ASSERT_EQ(rules.count(), 3);
        EXPECT_EQ(rules.order(), "ABC");
        EXPECT_EQ(rules.text(2, 1), "c.exe");
        EXPECT_EQ(rules.text(2, 2), "CClass");
        EXPECT_EQ(rules.text(2, 3), "C title");
        EXPECT_TRUE(rules.checked(0));
        EXPECT_FALSE(rules.checked(1));
        HWND header = reinterpret_cast<HWND>(SendMessageA(rules.list, LVM_GETHEADER, 0, 0));
        EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 4);
        EXPECT_EQ(SendMessageA(rules.list, LVM_GETCOLUMNWIDTH, 0, 0), 100);
        const int titleWidth = static_cast<int>(
            SendMessageA(rules.list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("\x83\x5e\x83\x43\x83\x67\x83\x8b")));
        EXPECT_EQ(SendMessageA(rules.list, LVM_GETCOLUMNWIDTH, 3, 0), titleWidth + 15);
        Click(dialog, IDCANCEL);
    });
}

TEST(RulesPage, UpOnFirstAndDownOnLastDoNothing) {
    SettingsStore app = threeRules();
    runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        rules.select(0);
        Click(rules.page, IDC_UP);
        EXPECT_EQ(rules.order(), "ABC");
        EXPECT_EQ(rules.selected(), 0);
        rules.select(2);
        Click(rules.page, IDC_DOWN);
        EXPECT_EQ(rules.order(), "ABC");
        EXPECT_EQ(rules.selected(), 2);
        Click(dialog, IDCANCEL);
    });
}

TEST(RulesPage, CheckBoxesTravelWithMovedRulesAndOkKeepsListOrder) {
    SettingsStore app = threeRules();
    const int result = runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        rules.setChecked(0, false);  // A cleared, B checked
        rules.select(0);
        Click(rules.page, IDC_DOWN);
        EXPECT_EQ(rules.order(), "BAC");
        EXPECT_EQ(rules.selected(), 1);
        EXPECT_TRUE(rules.checked(0));
        EXPECT_FALSE(rules.checked(1));
        rules.setChecked(2, false);  // C cleared
        rules.select(2);
        Click(rules.page, IDC_UP);
        EXPECT_EQ(rules.order(), "BCA");
        EXPECT_EQ(rules.selected(), 1);
        EXPECT_FALSE(rules.checked(1));
        EXPECT_FALSE(rules.checked(2));
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(app.Rules.size(), 3u);
    EXPECT_EQ(app.Rules[0].Explanation + app.Rules[1].Explanation + app.Rules[2].Explanation, "BCA");
    EXPECT_TRUE(app.Rules[0].Validness);
    EXPECT_FALSE(app.Rules[1].Validness);
    EXPECT_FALSE(app.Rules[2].Validness);
}

TEST(RulesPage, EditingResetsACheckBoxClearedSinceTheLastSync) {
    SettingsStore app = threeRules();
    runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        rules.setChecked(1, false);
        rules.select(1);
        editorAnswers([&] { Click(rules.page, IDC_EDIT); }, nullptr, IDOK);
        EXPECT_TRUE(rules.checked(1));
        // Double-clicking a row edits it; double-clicking below the rows does nothing.
        NMITEMACTIVATE activate{};
        activate.hdr = {rules.list, IDC_RULE_LIST, static_cast<UINT>(NM_DBLCLK)};
        activate.iItem = 2;
        editorAnswers([&] { SendMessageA(rules.page, WM_NOTIFY, IDC_RULE_LIST, reinterpret_cast<LPARAM>(&activate)); },
                      "via double click", IDOK);
        EXPECT_EQ(rules.text(2, 3), "via double click");
        activate.iItem = -1;
        SendMessageA(rules.page, WM_NOTIFY, IDC_RULE_LIST, reinterpret_cast<LPARAM>(&activate));
        EXPECT_EQ(FindThreadDialog(kEditorTitle), nullptr);
        Click(dialog, IDCANCEL);
    });
}

TEST(RulesPage, AddAppendsACheckedRuleOnlyOnOkAndKeepsTheSelection) {
    SettingsStore app = threeRules();
    runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        rules.select(1);
        editorAnswers([&] { Click(rules.page, IDC_ADD); }, "x", IDCANCEL);
        EXPECT_EQ(rules.count(), 3);
        editorAnswers([&] { Click(rules.page, IDC_ADD); }, "x", IDOK);
        ASSERT_EQ(rules.count(), 4);
        EXPECT_EQ(rules.text(3, 3), "x");
        EXPECT_TRUE(rules.checked(3));
        EXPECT_EQ(rules.selected(), 1);
        Click(dialog, IDCANCEL);
    });
}

TEST(RulesPage, DeleteAsksFirstAndOkLeavesTheRemainingRulesValidated) {
    SettingsStore app = threeRules();
    app.Rules[2].Transparency = 500;  // malformed: validation clears IsValid on OK
    const int result = runSettings(app, [](HWND dialog) {
        RulesView rules(dialog);
        rules.select(0);
        BoxSeen box = AnswerMessageBox([&] { Click(rules.page, IDC_DELETE); }, IDNO);
        EXPECT_EQ(box.text, "\x83\x8b\x81\x5b\x83\x8b\x82\xf0\x8d\xed\x8f\x9c\x82\xb5\x82\xc4\x82\xe0\x82\xe6\x82\xeb"
                            "\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9\x81\x48");
        EXPECT_EQ(box.caption, "\x8d\xed\x8f\x9c\x8a\x6d\x94\x46");  // 削除確認
        EXPECT_EQ(box.iconStyle, 1u);
        EXPECT_EQ(rules.count(), 3);
        AnswerMessageBox([&] { Click(rules.page, IDC_DELETE); }, IDYES);
        EXPECT_EQ(rules.order(), "BC");
        EXPECT_EQ(rules.selected(), -1);
        box = AnswerMessageBox([&] { Click(rules.page, IDC_DELETE); }, IDYES);
        EXPECT_FALSE(box.shown) << "no selection, no question";
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(app.Rules.size(), 2u);
    EXPECT_TRUE(app.Rules[0].IsValid);
    EXPECT_FALSE(app.Rules[1].IsValid);
    EXPECT_TRUE(app.Rules[1].Validness);
}

TEST(GeneralPage, ShowsAndWritesTheGlobalSettingsAndTheSpinWraps) {
    SettingsStore app;
    app.Settings.ActiveRestore = false;
    app.Settings.Mergin = 100;
    app.Settings.Sensitivity = 40;
    const int result = runSettings(app, [](HWND dialog) {
        HWND page = PageWith(dialog, IDC_STARTUP);
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_ACTIVE_RESTORE), BST_UNCHECKED);
        EXPECT_EQ(TextOf(GetDlgItem(page, IDC_MARGIN)), "100");
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_SENSITIVITY, TBM_GETPOS, 0, 0), 40);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_SENSITIVITY, TBM_GETRANGEMAX, 0, 0), 100);
        // One step up from 100 wraps to 0, one step down from 0 back to 100.
        SendMessageA(GetDlgItem(page, IDC_MARGIN), WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(TextOf(GetDlgItem(page, IDC_MARGIN)), "0");
        SendMessageA(GetDlgItem(page, IDC_MARGIN), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(TextOf(GetDlgItem(page, IDC_MARGIN)), "100");
        SendMessageA(GetDlgItem(page, IDC_MARGIN), WM_KEYDOWN, VK_DOWN, 0);
        CheckDlgButton(page, IDC_ACTIVE_RESTORE, BST_CHECKED);
        SendDlgItemMessageA(page, IDC_SENSITIVITY, TBM_SETPOS, TRUE, 70);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(app.Settings.ActiveRestore);
    EXPECT_EQ(app.Settings.Mergin, 99);
    EXPECT_EQ(app.Settings.Sensitivity, 70);
}

// The shortcut lives in this Wine prefix's Startup folder; each test leaves
// the folder as it found it.
class StartupShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        path_ = quillora::StartupShortcutPath();
        ASSERT_FALSE(path_.empty());
        DeleteFileW(path_.c_str());
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        app_.ExecutablePath = exe;
        app_.ExecutableDirectory = app_.ExecutablePath.substr(0, app_.ExecutablePath.rfind(L'\\'));
    }
    void TearDown() override {
        DeleteFileW(path_.c_str());
        CoUninitialize();
    }
    bool startupBox(bool setTo, int button) {
        bool shown = false;
        runSettings(app_, [&](HWND dialog) {
            HWND page = PageWith(dialog, IDC_STARTUP);
            shown = IsDlgButtonChecked(page, IDC_STARTUP) == BST_CHECKED;
            CheckDlgButton(page, IDC_STARTUP, setTo ? BST_CHECKED : BST_UNCHECKED);
            Click(dialog, button);
        });
        return shown;
    }
    std::string contents() const {
        std::ifstream in(path_.c_str(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::wstring path_;
    SettingsStore app_;
};

TEST_F(StartupShortcut, NameIsProgramNameDotLnk) {
    EXPECT_EQ(path_.substr(path_.rfind(L'\\') + 1), L"Quillora.lnk");
}

TEST_F(StartupShortcut, CheckingAndCancellingCreatesNothing) {
    EXPECT_FALSE(startupBox(true, IDCANCEL));
    EXPECT_FALSE(quillora::FileExists(path_));
}

TEST_F(StartupShortcut, CheckingCreatesItOnceAndAnExistingOneIsNeverRewritten) {
    EXPECT_FALSE(startupBox(true, IDOK));
    ASSERT_TRUE(quillora::FileExists(path_));
    EXPECT_EQ(contents().substr(0, 4), std::string("\x4c\x00\x00\x00", 4)) << "a shell link file";
    // Its text is stored in UTF-16.
    const std::wstring& exe = app_.ExecutablePath;
    EXPECT_NE(contents().find(std::string(reinterpret_cast<const char*>(exe.data()), exe.size() * sizeof(wchar_t))),
              std::string::npos);
    // Mark the file: a second OK with the box still checked leaves it alone.
    { std::ofstream(path_.c_str(), std::ios::binary) << "hand made"; }
    EXPECT_TRUE(startupBox(true, IDOK));
    EXPECT_EQ(contents(), "hand made");
}

TEST_F(StartupShortcut, AHandMadeShortcutShowsAsRegisteredAndUncheckingDeletesIt) {
    { std::ofstream(path_.c_str(), std::ios::binary) << "hand made"; }
    EXPECT_TRUE(startupBox(false, IDCANCEL));
    EXPECT_TRUE(quillora::FileExists(path_));
    EXPECT_TRUE(startupBox(false, IDOK));
    EXPECT_FALSE(quillora::FileExists(path_));
}
