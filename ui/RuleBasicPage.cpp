#include "ui/RuleBasicPage.h"

#include "res/resource.h"
#include "rules/ResourceString.h"
#include "rules/Settings.h"
#include "win/Controls.h"

namespace quillora {

namespace {
constexpr int kMaxText = 1023;
constexpr int kTextEdits[] = {IDC_EXPLANATION, IDC_APP_NAME, IDC_CLASS_NAME, IDC_TITLE};

// What the settings file keeps of the text: a captured title may be longer
// than the typing limit.
std::string storedText(HWND page, int id) { return FitStoredText(win::ItemText(page, id, kMaxText)); }
}  // namespace

HWND RuleBasicPage::Create(HWND parent) { return createModeless(parent, IDD_RULE_BASIC_PAGE); }

BOOL RuleBasicPage::onInit() {
    HWND page = handle();
    captureTool_.Attach(page, item(IDC_CAPTURE));
    for (int id : kTextEdits) SendDlgItemMessageA(page, id, EM_LIMITTEXT, kStoredTextLimit, 0);
    win::SetItemText(page, IDC_EXPLANATION, rule_.Explanation);
    for (unsigned id : {IDS_MATCH_EXACT, IDS_MATCH_WILDCARD, IDS_MATCH_REGEX})
        win::AddComboEntry(page, IDC_MATCH_METHOD, LoadResourceString(id));
    win::SelectComboIndex(page, IDC_MATCH_METHOD, rule_.MatchMethod);
    win::SetItemText(page, IDC_APP_NAME, rule_.AppName);
    win::SetItemText(page, IDC_CLASS_NAME, rule_.ClassName);
    win::SetItemText(page, IDC_TITLE, rule_.Title);
    return TRUE;
}

bool RuleBasicPage::Apply() {
    HWND page = handle();
    const std::string appName = storedText(page, IDC_APP_NAME);
    const std::string className = storedText(page, IDC_CLASS_NAME);
    const std::string title = storedText(page, IDC_TITLE);
    if (appName.empty() && className.empty() && title.empty()) {
        const std::string text = LoadResourceString(IDS_NEED_WINDOW_MATCH);
        MessageBoxA(GetAncestor(page, GA_ROOT), text.c_str(), "", MB_OK);
        return false;
    }
    rule_.Explanation = storedText(page, IDC_EXPLANATION);
    rule_.MatchMethod = win::ComboIndex(page, IDC_MATCH_METHOD);
    rule_.AppName = appName;
    rule_.ClassName = className;
    rule_.Title = title;
    return true;
}

}  // namespace quillora
