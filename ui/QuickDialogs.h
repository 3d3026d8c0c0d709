// The two dialogs that edit a rule for one window: quick capture (title page
// and Shrink page over a temporary rule) and quick edit (the Shrink page over
// a pseudo window's own rule).
#pragma once

#include <windows.h>

#include "rules/Rule.h"
#include "ui/RuleShrinkPage.h"
#include "ui/TabbedDialog.h"
#include "win/Dialog.h"

namespace quillora {

class QuickCaptureTitlePage : public win::Dialog {
public:
    explicit QuickCaptureTitlePage(HWND target) : target_(target) {}
    HWND Create(HWND parent);

protected:
    BOOL onInit() override;

private:
    HWND target_;
};

class QuickCaptureDialog : public TabbedDialog {
public:
    QuickCaptureDialog(Rule& rule, HWND target) : titlePage_(target), shrink_(rule) {}
    int Run(HWND owner);

protected:
    BOOL onInit() override;
    void onOk() override;

private:
    QuickCaptureTitlePage titlePage_;
    RuleShrinkPage shrink_;
};

class QuickEditDialog : public win::Dialog {
public:
    explicit QuickEditDialog(Rule& rule) : shrink_(rule) {}
    int Run(HWND owner);

protected:
    BOOL onInit() override;
    void onOk() override;

private:
    RuleShrinkPage shrink_;
};

}  // namespace quillora
