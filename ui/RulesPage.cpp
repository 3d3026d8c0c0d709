#include "ui/RulesPage.h"

#include <commctrl.h>

#include "res/resource.h"
#include "ui/RuleEditDialog.h"
#include "win/ResourceString.h"

namespace quillora {

namespace {

constexpr int kExplanationWidth = 100;
constexpr int kHeaderPadding = 15;
constexpr int kUncheckedImage = 1;
constexpr int kCheckedImage = 2;

struct Column {
    unsigned captionId;
};
constexpr Column kColumns[] = {{IDS_COLUMN_EXPLANATION}, {IDS_COLUMN_APPNAME}, {IDS_COLUMN_CLASSNAME}, {IDS_COLUMN_TITLE}};

// Pixel layout of the page's controls for a client area of w x h.
struct Placement {
    int id, x, y, width, height;
};

}  // namespace

HWND RulesPage::Create(HWND parent) { return createModeless(parent, IDD_RULES_PAGE); }

BOOL RulesPage::onInit() {
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    SendMessageA(list(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    insertColumns();
    SendMessageA(list(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (const Rule& rule : workingRules_) appendRow(rule);
    return TRUE;
}

void RulesPage::insertColumns() {
    for (int i = 0; i < 4; ++i) {
        const std::string caption = win::LoadResourceString(kColumns[i].captionId);
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(caption.c_str());
        column.iSubItem = i;
        column.cx = i == 0 ? kExplanationWidth
                           : static_cast<int>(SendMessageA(list(), LVM_GETSTRINGWIDTHA, 0,
                                                           reinterpret_cast<LPARAM>(caption.c_str()))) +
                                 kHeaderPadding;
        SendMessageA(list(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void RulesPage::appendRow(const Rule& rule) {
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = rowCount();
    row.pszText = const_cast<char*>(rule.Explanation.c_str());
    const int index = static_cast<int>(SendMessageA(list(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    if (index >= 0) writeRow(index, rule);
}

void RulesPage::writeRow(int row, const Rule& rule) {
    const std::string* texts[] = {&rule.Explanation, &rule.AppName, &rule.ClassName, &rule.Title};
    for (int column = 0; column < 4; ++column) {
        LVITEMA cell{};
        cell.iSubItem = column;
        cell.pszText = const_cast<char*>(texts[column]->c_str());
        SendMessageA(list(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
    setRowChecked(row, rule.Validness);
}

// Any state other than "unchecked" counts as checked.
bool RulesPage::rowChecked(int row) const {
    const auto state = static_cast<UINT>(SendMessageA(list(), LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                      LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) != kUncheckedImage;
}

void RulesPage::setRowChecked(int row, bool checked) {
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked ? kCheckedImage : kUncheckedImage);
    SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

int RulesPage::selectedRow() const {
    return static_cast<int>(SendMessageA(list(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

HWND RulesPage::list() const { return item(IDC_RULE_LIST); }

int RulesPage::rowCount() const { return static_cast<int>(SendMessageA(list(), LVM_GETITEMCOUNT, 0, 0)); }

void RulesPage::selectRow(int row) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageA(list(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

bool RulesPage::onCommand(int id, int, HWND) {
    switch (id) {
    case IDC_ADD:
        add();
        return true;
    case IDC_EDIT:
        edit(selectedRow());
        return true;
    case IDC_DELETE:
        remove();
        return true;
    case IDC_UP: {
        const int row = selectedRow();
        if (row > 0) {
            exchangeWithNext(row - 1);
            selectRow(row - 1);
        }
        return true;
    }
    case IDC_DOWN: {
        const int row = selectedRow();
        if (row >= 0 && row + 1 < rowCount()) {
            exchangeWithNext(row);
            selectRow(row + 1);
        }
        return true;
    }
    default:
        return false;
    }
}

bool RulesPage::onNotify(NMHDR& header, LRESULT&) {
    if (header.idFrom != IDC_RULE_LIST || header.code != NM_DBLCLK) return false;
    edit(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
    return true;
}

bool RulesPage::onMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_SIZE) return false;
    layout(LOWORD(lp), HIWORD(lp));
    result = 0;
    return true;
}

void RulesPage::layout(int w, int h) {
    const Placement placements[] = {
        {IDC_RULE_LIST, 0, 0, w - 35, h - 35}, {IDC_ADD, 0, h - 30, 70, 25},   {IDC_EDIT, 75, h - 30, 70, 25},
        {IDC_DELETE, 150, h - 30, 70, 25},     {IDC_UP, w - 30, 5, 25, 25},     {IDC_DOWN, w - 30, 35, 25, 25},
    };
    for (const Placement& p : placements) MoveWindow(item(p.id), p.x, p.y, p.width, p.height, TRUE);
}

void RulesPage::add() {
    Rule rule;
    if (RunRuleEditor(GetAncestor(Handle(), GA_ROOT), rule) != IDOK) return;
    appendRow(rule);
    workingRules_.Append(rule);
}

void RulesPage::edit(int row) {
    if (row < 0 || row >= static_cast<int>(workingRules_.size())) return;
    Rule& rule = workingRules_[static_cast<std::size_t>(row)];
    if (RunRuleEditor(GetAncestor(Handle(), GA_ROOT), rule) == IDOK) writeRow(row, rule);
}

void RulesPage::remove() {
    const int row = selectedRow();
    if (row < 0) return;
    if (win::ShowMessageBox(GetAncestor(Handle(), GA_ROOT), IDS_CONFIRM_DELETE, IDS_CONFIRM_DELETE_CAPTION,
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    SendMessageA(list(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    workingRules_.RemoveAt(static_cast<std::size_t>(row));
}

void RulesPage::exchangeWithNext(int row) {
    const auto first = static_cast<std::size_t>(row);
    workingRules_[first].Validness = rowChecked(row);
    workingRules_[first + 1].Validness = rowChecked(row + 1);
    workingRules_.SwapWithNext(first);
    writeRow(row, workingRules_[first]);
    writeRow(row + 1, workingRules_[first + 1]);
}

bool RulesPage::Apply() {
    for (int row = 0; row < rowCount() && row < static_cast<int>(workingRules_.size()); ++row)
        workingRules_[static_cast<std::size_t>(row)].Validness = rowChecked(row);
    for (Rule& rule : workingRules_) ValidateRule(rule);
    store_.Rules = workingRules_;
    return true;
}

}  // namespace quillora
