// A tab control that hosts modeless child-dialog pages, one per tab item.
#pragma once

#include <windows.h>

#include <string>

#include "win/Subclass.h"

namespace quillora {

class PageTab : private win::Subclass {
public:
    void Attach(HWND tab);
    HWND Tab() const { return control(); }
    // Appends a tab item for `page` (already a child of the tab control) and
    // hides the page until its tab is shown.
    void AddPage(HWND page, const std::string& caption);
    // Fits, shows and focuses the page of the selected tab, if any.
    void ShowCurrent();
    // Selection notifications of the tab control, passed on by the owning
    // dialog; returns whether the notification was the tab control's.
    bool OnNotify(const NMHDR& header);

private:
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    HWND pageAt(int index) const;
    HWND currentPage() const;
    void fit(HWND page) const;
};

}  // namespace quillora
