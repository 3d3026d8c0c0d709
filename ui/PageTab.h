// A tab control that hosts modeless child-dialog pages, one per tab item.
#pragma once

#include <windows.h>

#include <string>

namespace quillora {

class PageTab {
public:
    PageTab() = default;
    ~PageTab();
    PageTab(const PageTab&) = delete;
    PageTab& operator=(const PageTab&) = delete;

    void Attach(HWND tab);
    HWND Tab() const { return tab_; }
    // Appends a tab item for `page` (already a child of the tab control) and
    // hides the page until its tab is shown.
    void AddPage(HWND page, const std::string& caption);
    // Fits, shows and focuses the page of the selected tab, if any.
    void ShowCurrent();
    // Selection notifications of the tab control, passed on by the owning
    // dialog; returns whether the notification was the tab control's.
    bool OnNotify(const NMHDR& header);

private:
    HWND pageAt(int index) const;
    void fit(HWND page) const;
    void onDestroy();
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

    HWND tab_ = nullptr;
};

}  // namespace quillora
