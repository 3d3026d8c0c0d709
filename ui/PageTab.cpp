#include "ui/PageTab.h"

#include <commctrl.h>

namespace quillora {

void PageTab::Attach(HWND tab) {
    // The dialog manager only walks into the pages for Tab and mnemonics
    // when their parent says it holds controls.
    SetWindowLongPtrA(tab, GWL_EXSTYLE, GetWindowLongPtrA(tab, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    attach(tab);
}

void PageTab::AddPage(HWND page, const std::string& caption) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(caption.c_str());
    item.lParam = reinterpret_cast<LPARAM>(page);
    const int count = static_cast<int>(SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0));
    SendMessageA(Tab(), TCM_INSERTITEMA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
    ShowWindow(page, SW_HIDE);
}

void PageTab::ShowCurrent() {
    HWND page = currentPage();
    if (!page) return;
    fit(page);
    ShowWindow(page, SW_SHOW);
    SetFocus(page);
}

bool PageTab::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != Tab()) return false;
    if (header.code == TCN_SELCHANGING) {
        if (HWND page = currentPage()) ShowWindow(page, SW_HIDE);
    } else if (header.code == TCN_SELCHANGE) {
        ShowCurrent();
    }
    return true;
}

HWND PageTab::pageAt(int index) const {
    if (index < 0) return nullptr;
    TCITEMA item{};
    item.mask = TCIF_PARAM;
    if (!SendMessageA(Tab(), TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

HWND PageTab::currentPage() const { return pageAt(static_cast<int>(SendMessageA(Tab(), TCM_GETCURSEL, 0, 0))); }

void PageTab::fit(HWND page) const {
    RECT area{};
    GetClientRect(Tab(), &area);
    SendMessageA(Tab(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MoveWindow(page, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

// Both go on to the tab control's own handling.
bool PageTab::onMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_SIZE) {
        if (HWND page = currentPage()) fit(page);
    } else if (msg == WM_DESTROY) {
        for (int i = static_cast<int>(SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0)) - 1; i >= 0; --i)
            SendMessageA(Tab(), TCM_DELETEITEM, static_cast<WPARAM>(i), 0);
    }
    return false;
}

}  // namespace quillora
