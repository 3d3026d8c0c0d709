#include "ui/RuleBasicPage.h"

#include "res/resource.h"
#include "rules/ResourceString.h"
#include "win/Controls.h"

namespace quillora {

namespace {
constexpr int kMaxText = 1023;
}

HWND RuleBasicPage::Create(HWND parent) { return createModeless(parent, IDD_RULE_BASIC_PAGE); }

BOOL RuleBasicPage::onInit() {
    HWND page = handle();
    captureTool_.Attach(page, item(IDC_CAPTURE));
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
    const std::string appName = win::ItemText(page, IDC_APP_NAME, kMaxText);
    const std::string className = win::ItemText(page, IDC_CLASS_NAME, kMaxText);
    const std::string title = win::ItemText(page, IDC_TITLE, kMaxText);
    if (appName.empty() && className.empty() && title.empty()) {
        const std::string text = LoadResourceString(IDS_NEED_WINDOW_MATCH);
        MessageBoxA(GetAncestor(page, GA_ROOT), text.c_str(), "", MB_OK);
        return false;
    }
    rule_.Explanation = win::ItemText(page, IDC_EXPLANATION, kMaxText);
    rule_.MatchMethod = win::ComboIndex(page, IDC_MATCH_METHOD);
    rule_.AppName = appName;
    rule_.ClassName = className;
    rule_.Title = title;
    return true;
}

}  // namespace quillora
