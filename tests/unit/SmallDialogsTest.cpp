// About box, quick capture and quick edit dialogs, the template geometry and
// the centring rule.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "common/DialogDriver.h"
#include "res/resource.h"
#include "ui/Dialogs.h"
#include "win/Dialog.h"
#include "win/ResourceString.h"

using namespace uitest;
using quillora::Rule;

namespace {

const std::string kAboutTitle = "\x51\x75\x69\x6c\x6c\x6f\x72\x61\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1";
const std::string kQuickEditTitle = "\x83\x4e\x83\x43\x83\x62\x83\x4e\x95\xd2\x8f\x57";
const std::string kQuickCaptureTitle =
    "\x83\x4e\x83\x43\x83\x62\x83\x4e\x83\x4c\x83\x83\x83\x76\x83\x60\x83\x83\x82\xcc\x95\xd2\x8f\x57";

struct Expected {
    int id, x, y, w, h;
};

// Creates template `id` bare and compares the controls' pixel rectangles
// with the dialog units they are meant to have.
void expectLayout(int templateId, std::initializer_list<Expected> controls, bool checkHeight = true) {
    WithBareTemplate(templateId, [&](HWND d) {
        for (const Expected& c : controls) {
            ASSERT_NE(GetDlgItem(d, c.id), nullptr) << templateId << "/" << c.id;
            const RECT want = DialogUnits(d, c.x, c.y, c.w, c.h);
            const RECT got = ClientRectOf(d, c.id);
            EXPECT_EQ(got.left, want.left) << templateId << "/" << c.id;
            EXPECT_EQ(got.top, want.top) << templateId << "/" << c.id;
            EXPECT_EQ(got.right, want.right) << templateId << "/" << c.id;
            if (checkHeight) {
                EXPECT_EQ(got.bottom, want.bottom) << templateId << "/" << c.id;
            }
        }
    });
}

}  // namespace

TEST(DialogTemplates, ControlsSitWhereTheLayoutPutsThem) {
    expectLayout(IDD_SETTINGS, {{IDC_SETTINGS_TAB, 7, 7, 245, 185}, {IDOK, 144, 198, 50, 14}, {IDCANCEL, 198, 198, 50, 14}});
    expectLayout(IDD_RULE_EDIT, {{IDC_EDITOR_TAB, 6, 6, 240, 216}, {IDOK, 138, 228, 50, 14}, {IDCANCEL, 192, 228, 50, 14}});
    expectLayout(IDD_QUICK_CAPTURE, {{IDC_EDITOR_TAB, 6, 6, 240, 216}, {IDOK, 138, 228, 50, 14}});
    expectLayout(IDD_QUICK_EDIT, {{IDOK, 120, 198, 50, 14}, {IDCANCEL, 174, 198, 50, 14}});
    expectLayout(IDD_ABOUT, {{IDOK, 132, 6, 50, 14}, {IDC_ABOUT_TEXT, 36, 6, 96, 24}, {IDC_ABOUT_LINK, 36, 36, 120, 8}});
    expectLayout(IDD_GENERAL_PAGE, {{IDC_STARTUP, 6, 6, 120, 10},
                                    {IDC_ACTIVE_RESTORE, 12, 36, 149, 10},
                                    {IDC_SENSITIVITY, 12, 84, 210, 12}});
    expectLayout(IDD_RULES_PAGE, {{IDC_RULE_LIST, 7, 7, 150, 140},
                                  {IDC_ADD, 7, 165, 50, 14},
                                  {IDC_EDIT, 73, 166, 50, 14},
                                  {IDC_DELETE, 133, 164, 50, 14},
                                  {IDC_UP, 159, 7, 50, 14},
                                  {IDC_DOWN, 159, 24, 50, 14}});
    expectLayout(IDD_RULE_BASIC_PAGE, {{IDC_EXPLANATION, 6, 18, 222, 12},
                                       {IDC_APP_NAME, 12, 78, 210, 12},
                                       {IDC_CLASS_NAME, 12, 108, 210, 12},
                                       {IDC_TITLE, 12, 138, 210, 12},
                                       {IDC_CAPTURE, 174, 156, 50, 14}});
    // Drop-down lists are as high as their edit part, so only x, y and width.
    expectLayout(IDD_RULE_BASIC_PAGE, {{IDC_MATCH_METHOD, 150, 48, 72, 51}}, false);
    // (The number boxes give up their right edge to the attached spin.)
    expectLayout(IDD_RULE_SHRINK_PAGE, {{IDC_AUTO_HEIGHT, 156, 8, 72, 10},
                                        {IDC_UPDATE_DISPLAY, 12, 90, 75, 10},
                                        {IDC_UPDATE_ELAPSE, 60, 102, 60, 12},
                                        {IDC_TOPMOST, 12, 138, 68, 10},
                                        {IDC_FRAME, 120, 138, 84, 10},
                                        {IDC_EXTEND_SYSTEM_MENU, 12, 150, 87, 10},
                                        {IDC_TRANSPARENT, 12, 162, 48, 12},
                                        {IDC_TRANSPARENCY_LABEL, 70, 164, 60, 8},
                                        {IDC_TRANSPARENCY, 60, 174, 162, 12}});
    expectLayout(IDD_RULE_SHRINK_PAGE, {{IDC_WIDTH_UNIT, 84, 6, 48, 56},
                                        {IDC_HEIGHT_UNIT, 84, 24, 48, 48},
                                        {IDC_DIRECTION, 48, 54, 60, 66},
                                        {IDC_RESTORE_METHOD, 150, 54, 72, 36},
                                        {IDC_DRAW_METHOD, 48, 72, 60, 59}},
                 false);
    expectLayout(IDD_QUICK_CAPTURE_TITLE_PAGE, {{IDC_TITLE, 7, 7, 221, 12}});
}

TEST(DialogTemplates, PagesAreCaptionlessChildrenAndDialogsArePopUps) {
    for (int id : {IDD_GENERAL_PAGE, IDD_RULES_PAGE, IDD_RULE_BASIC_PAGE, IDD_RULE_SHRINK_PAGE,
                   IDD_QUICK_CAPTURE_TITLE_PAGE}) {
        WithBareTemplate(id, [id](HWND d) {
            const auto style = static_cast<DWORD>(GetWindowLongPtrA(d, GWL_STYLE));
            EXPECT_TRUE(style & WS_CHILD) << id;
            EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER)) << id;
        });
    }
    for (int id : {IDD_SETTINGS, IDD_RULE_EDIT, IDD_ABOUT, IDD_QUICK_CAPTURE, IDD_QUICK_EDIT}) {
        WithBareTemplate(id, [id](HWND d) {
            const auto style = static_cast<DWORD>(GetWindowLongPtrA(d, GWL_STYLE));
            EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                      static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME))
                << id;
        });
    }
}

TEST(Centring, CentresOnTheReferenceAndKeepsInsideTheWorkArea) {
    const RECT work{0, 0, 1000, 800};
    POINT p = win::CentredPosition(RECT{100, 100, 500, 300}, SIZE{200, 100}, work);
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 150);
    p = win::CentredPosition(RECT{-300, -300, -100, -100}, SIZE{200, 100}, work);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    p = win::CentredPosition(RECT{900, 700, 1100, 900}, SIZE{200, 100}, work);
    EXPECT_EQ(p.x, 800);
    EXPECT_EQ(p.y, 700);
    // Wider than the work area: the left edge wins.
    p = win::CentredPosition(work, SIZE{1200, 100}, work);
    EXPECT_EQ(p.x, 0);
}

TEST(AboutDialog, ShowsString134AndTheLinkAndClosesWithEnter) {
    const int result = RunDialog([] { return quillora::ShowAboutDialog(nullptr); }, kAboutTitle, [](HWND dialog) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_ABOUT_TEXT)), win::LoadResourceString(IDS_ABOUT_TEXT));
        EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_ABOUT_LINK)).rfind("https://", 0), 0u);
        EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(dialog, IDC_ABOUT_LINK), GWL_STYLE) & SS_NOTIFY);
        // Centred on the work area (the owner is missing).
        RECT work{}, self{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        GetWindowRect(dialog, &self);
        EXPECT_LE(std::abs((self.left + self.right) / 2 - (work.left + work.right) / 2), 1);
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(win::LoadResourceString(IDS_ABOUT_TEXT).find("Quillora Version 1.2.3\r\n\r\n"), 0u);
}

TEST(QuickCaptureDialog, ShowsTheTargetTitleAndOkFillsOnlyTheShrinkSettings) {
    HWND target = CreateWindowExA(0, "STATIC", "Target title", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    Rule rule;
    const int result = RunDialog([&] { return quillora::ShowQuickCaptureDialog(nullptr, rule, target); },
                                 kQuickCaptureTitle, [](HWND dialog) {
                                     HWND title = PageWith(dialog, IDC_TITLE);
                                     EXPECT_TRUE(IsWindowVisible(title));
                                     EXPECT_EQ(TextOf(GetDlgItem(title, IDC_TITLE)), "Target title");
                                     EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(title, IDC_TITLE), GWL_STYLE) & ES_READONLY);
                                     HWND shrink = PageWith(dialog, IDC_WIDTH_UNIT);
                                     SetDlgItemTextA(shrink, IDC_WIDTH, "30");
                                     SetDlgItemTextA(shrink, IDC_UPDATE_ELAPSE, "0");
                                     const BoxSeen box = AnswerMessageBox([&] { Click(dialog, IDOK); }, IDOK);
                                     EXPECT_TRUE(box.shown);
                                     EXPECT_TRUE(IsWindow(dialog));
                                     SetDlgItemTextA(shrink, IDC_UPDATE_ELAPSE, "250");
                                     Click(dialog, IDOK);
                                 });
    DestroyWindow(target);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rule.StretchWidth, 30);
    EXPECT_EQ(rule.UpdateDisplayElapse, 250);
    EXPECT_TRUE(rule.Explanation.empty() && rule.AppName.empty() && rule.ClassName.empty() && rule.Title.empty());
}

TEST(QuickEditDialog, OkWritesTheShrinkPageAndCancelNothing) {
    Rule rule;
    rule.ClassName = "keep";
    rule.StretchWidth = 120;
    rule.StretchWidthUnit = 1;
    rule.Transparent = true;
    rule.Transparency = 30;
    const Rule before = rule;
    int result = RunDialog([&] { return quillora::ShowQuickEditDialog(nullptr, rule); }, kQuickEditTitle,
                           [](HWND dialog) {
                               HWND page = PageWith(dialog, IDC_WIDTH_UNIT);
                               EXPECT_EQ(TextOf(GetDlgItem(page, IDC_WIDTH)), "120");
                               EXPECT_TRUE(IsWindowVisible(page));
                               RECT r{};
                               GetWindowRect(page, &r);
                               POINT origin{0, 0};
                               ClientToScreen(dialog, &origin);
                               EXPECT_EQ(r.left, origin.x);
                               EXPECT_EQ(r.top, origin.y);
                               SetDlgItemTextA(page, IDC_WIDTH, "200");
                               Click(dialog, IDCANCEL);
                           });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rule, before);
    result = RunDialog([&] { return quillora::ShowQuickEditDialog(nullptr, rule); }, kQuickEditTitle, [](HWND dialog) {
        HWND page = PageWith(dialog, IDC_WIDTH_UNIT);
        SetDlgItemTextA(page, IDC_WIDTH, "200");
        SendDlgItemMessageA(page, IDC_TRANSPARENCY, TBM_SETPOS, TRUE, 60);
        SendMessageA(page, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_TRANSPARENCY)));
        EXPECT_EQ(TextOf(GetDlgItem(page, IDC_TRANSPARENCY_LABEL)), "\x93\xa7\x89\xdf\x97\xa6\x3a\x20\x36\x30\x25");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rule.StretchWidth, 200);
    EXPECT_EQ(rule.Transparency, 60);
    EXPECT_EQ(rule.ClassName, "keep");
}
