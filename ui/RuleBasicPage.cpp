#include "ui/RuleBasicPage.h"

#include <commctrl.h>

#include "res/resource.h"
#include "rules/Matching.h"
#include "rules/Settings.h"
#include "win/Controls.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

constexpr int kMaxText = 1023;
constexpr int kTextEdits[] = {IDC_EXPLANATION, IDC_APP_NAME, IDC_CLASS_NAME, IDC_TITLE};

// What the settings file keeps of the text: a captured title may be longer
// than the typing limit.
std::string storedText(HWND page, int id) { return FitStoredText(win::ItemText(page, id, kMaxText)); }

// Brings the page's tab to the front, as a click on it would (the tab control
// tells the dialog, which shows the page). PageTab keeps each page in its tab
// item's lParam.
void showPage(HWND page) {
    HWND tab = GetParent(page);
    const int count = TabCtrl_GetItemCount(tab);
    for (int i = 0; i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_PARAM;
        if (TabCtrl_GetItem(tab, i, &item) && reinterpret_cast<HWND>(item.lParam) == page) {
            TabCtrl_SetCurFocus(tab, i);
            return;
        }
    }
}

// A match text that does not compile as a regular expression is named to the
// user (by its field's label) and focused.
bool regexCompiles(HWND page, int edit, unsigned label, const std::string& text) {
    if (text.empty() || RegexCompiles(text)) return true;
    HWND root = GetAncestor(page, GA_ROOT);
    win::ShowMessageBox(root, win::FormatResourceString(IDS_BAD_REGEX, win::LoadResourceString(label).c_str()), 0, MB_OK);
    showPage(page);
    HWND control = GetDlgItem(page, edit);
    SendMessageA(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    SendMessageA(control, EM_SETSEL, 0, -1);
    return false;
}

}  // namespace

HWND RuleBasicPage::Create(HWND parent) { return createModeless(parent, IDD_RULE_BASIC_PAGE); }

BOOL RuleBasicPage::onInit() {
    HWND page = Handle();
    captureTool_.Attach(page, item(IDC_CAPTURE));
    for (int id : kTextEdits) SendDlgItemMessageA(page, id, EM_LIMITTEXT, kStoredTextLimit, 0);
    win::SetItemText(page, IDC_EXPLANATION, rule_.Explanation);
    for (unsigned id : {IDS_MATCH_EXACT, IDS_MATCH_WILDCARD, IDS_MATCH_REGEX})
        win::AddComboEntry(page, IDC_MATCH_METHOD, win::LoadResourceString(id));
    win::SelectComboIndex(page, IDC_MATCH_METHOD, rule_.MatchMethod);
    win::SetItemText(page, IDC_APP_NAME, rule_.AppName);
    win::SetItemText(page, IDC_CLASS_NAME, rule_.ClassName);
    win::SetItemText(page, IDC_TITLE, rule_.Title);
    return TRUE;
}

bool RuleBasicPage::Apply() {
    HWND page = Handle();
    const std::string appName = storedText(page, IDC_APP_NAME);
    const std::string className = storedText(page, IDC_CLASS_NAME);
    const std::string title = storedText(page, IDC_TITLE);
    if (appName.empty() && className.empty() && title.empty()) {
        win::ShowMessageBox(GetAncestor(page, GA_ROOT), IDS_NEED_WINDOW_MATCH, 0, MB_OK);
        return false;
    }
    const int method = win::ComboIndex(page, IDC_MATCH_METHOD);
    if (method == MatchRegexMethod && !(regexCompiles(page, IDC_APP_NAME, IDS_COLUMN_APPNAME, appName) &&
                                        regexCompiles(page, IDC_CLASS_NAME, IDS_COLUMN_CLASSNAME, className) &&
                                        regexCompiles(page, IDC_TITLE, IDS_COLUMN_TITLE, title)))
        return false;
    rule_.Explanation = storedText(page, IDC_EXPLANATION);
    rule_.MatchMethod = method;
    rule_.AppName = appName;
    rule_.ClassName = className;
    rule_.Title = title;
    return true;
}

}  // namespace quillora
