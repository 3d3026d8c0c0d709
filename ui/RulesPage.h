// The settings dialog's rule list: add, edit, delete, reorder and switch
// rules on or off, on a working copy that only Apply hands back.
#pragma once

#include "rules/SettingsStore.h"
#include "rules/Rule.h"
#include "win/Dialog.h"

namespace quillora {

class RulesPage : public win::Dialog {
public:
    explicit RulesPage(SettingsStore& store) : store_(store), workingRules_(store.Rules) {}
    HWND Create(HWND parent);
    // Check boxes into the rules, validation, and the copy back.
    bool Apply();

protected:
    BOOL onInit() override;
    bool onCommand(int id, int code, HWND control) override;
    bool onNotify(NMHDR& header, LRESULT& result) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    void insertColumns();
    void appendRow(const Rule& rule);
    void writeRow(int row, const Rule& rule);
    void layout(int width, int height);
    bool rowChecked(int row) const;
    void setRowChecked(int row, bool checked);
    int selectedRow() const;
    int rowCount() const;
    void selectRow(int row);

    void add();
    void edit(int row);
    void remove();
    // Exchanges rows `row` and `row + 1` with their rules; the check boxes
    // go along.
    void exchangeWithNext(int row);
    HWND list() const;

    SettingsStore& store_;
    RuleList workingRules_;
};

}  // namespace quillora
