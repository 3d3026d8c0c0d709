#include "ui/PageTab.h"

#include <commctrl.h>

#include "win/Window.h"

namespace quillora {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

PageTab::~PageTab() {
    if (tab_ && IsWindow(tab_)) RemoveWindowSubclass(tab_, &PageTab::subclassProc, kSubclassId);
}

void PageTab::Attach(HWND tab) {
    tab_ = tab;
    // The dialog manager only walks into the pages for Tab and mnemonics
    // when their parent says it holds controls.
    SetWindowLongPtrA(tab, GWL_EXSTYLE, GetWindowLongPtrA(tab, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    SetWindowSubclass(tab, &PageTab::subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void PageTab::AddPage(HWND page, const std::string& caption) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(caption.c_str());
    item.lParam = reinterpret_cast<LPARAM>(page);
    const int count = static_cast<int>(SendMessageA(tab_, TCM_GETITEMCOUNT, 0, 0));
    SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
    ShowWindow(page, SW_HIDE);
}

void PageTab::ShowCurrent() {
    const int current = static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0));
    HWND page = pageAt(current);
    if (!page) return;
    fit(page);
    ShowWindow(page, SW_SHOW);
    SetFocus(page);
}

bool PageTab::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != tab_) return false;
    if (header.code == TCN_SELCHANGING) {
        if (HWND page = pageAt(static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0)))) ShowWindow(page, SW_HIDE);
    } else if (header.code == TCN_SELCHANGE) {
        ShowCurrent();
    }
    return true;
}

HWND PageTab::pageAt(int index) const {
    if (index < 0) return nullptr;
    TCITEMA item{};
    item.mask = TCIF_PARAM;
    if (!SendMessageA(tab_, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

void PageTab::fit(HWND page) const {
    RECT area{};
    GetClientRect(tab_, &area);
    SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MoveWindow(page, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void PageTab::onDestroy() {
    for (int i = static_cast<int>(SendMessageA(tab_, TCM_GETITEMCOUNT, 0, 0)) - 1; i >= 0; --i)
        SendMessageA(tab_, TCM_DELETEITEM, static_cast<WPARAM>(i), 0);
    RemoveWindowSubclass(tab_, &PageTab::subclassProc, kSubclassId);
    tab_ = nullptr;
}

LRESULT CALLBACK PageTab::subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    try {
        auto* self = reinterpret_cast<PageTab*>(data);
        if (msg == WM_SIZE) {
            if (HWND page = self->pageAt(static_cast<int>(SendMessageA(hwnd, TCM_GETCURSEL, 0, 0)))) self->fit(page);
        } else if (msg == WM_DESTROY) {
            self->onDestroy();
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    } catch (...) {
        win::failAtBoundary();
    }
}

}  // namespace quillora
