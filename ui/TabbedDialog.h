// A modal dialog whose pages sit in a tab control, one page per tab: the
// settings dialog, the rule editor and the quick capture dialog.
#pragma once

#include <windows.h>

#include "ui/PageTab.h"
#include "win/Dialog.h"
#include "win/ResourceString.h"

namespace quillora {

class TabbedDialog : public win::Dialog {
protected:
    // Centres the dialog over its owner and creates both pages in the tab
    // control `tabControl`, under the captions of the two string ids; the
    // first page is shown and has the focus.
    template <typename First, typename Second>
    void showPages(int tabControl, First& first, unsigned firstCaption, Second& second, unsigned secondCaption) {
        win::CentreOverOwner(Handle());
        tabs_.Attach(item(tabControl));
        HWND firstPage = first.Create(tabs_.Tab());
        HWND secondPage = second.Create(tabs_.Tab());
        tabs_.AddPage(firstPage, win::LoadResourceString(firstCaption));
        tabs_.AddPage(secondPage, win::LoadResourceString(secondCaption));
        tabs_.ShowCurrent();
    }

    bool onNotify(NMHDR& header, LRESULT&) override { return tabs_.OnNotify(header); }

private:
    PageTab tabs_;
};

}  // namespace quillora
