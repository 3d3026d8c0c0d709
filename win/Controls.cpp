#include "win/Controls.h"

#include <commctrl.h>

#include <vector>

namespace win {

std::string ItemText(HWND dialog, int id, int maxChars) {
    std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, '\0');
    GetDlgItemTextA(dialog, id, buffer.data(), maxChars + 1);
    return buffer.data();
}

void SetItemText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableItem(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

void AddComboEntry(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectComboIndex(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ComboIndex(HWND dialog, int id) {
    const LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void SetSpinRange(HWND dialog, int id, int minimum, int maximum) {
    SendDlgItemMessageA(dialog, id, UDM_SETRANGE, 0, MAKELPARAM(maximum, minimum));
}

void SetSpinPosition(HWND dialog, int id, int value) {
    SendDlgItemMessageA(dialog, id, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(value & 0xFFFF), 0));
}

int SpinPosition(HWND dialog, int id) {
    const LRESULT reply = SendDlgItemMessageA(dialog, id, UDM_GETPOS, 0, 0);
    return static_cast<short>(LOWORD(reply));
}

void SetSliderRange(HWND dialog, int id, int minimum, int maximum, int ticFrequency, int pageSize, int lineSize) {
    SendDlgItemMessageA(dialog, id, TBM_SETRANGE, FALSE, MAKELPARAM(minimum, maximum));
    SendDlgItemMessageA(dialog, id, TBM_SETTICFREQ, static_cast<WPARAM>(ticFrequency), 0);
    SendDlgItemMessageA(dialog, id, TBM_SETPAGESIZE, 0, pageSize);
    SendDlgItemMessageA(dialog, id, TBM_SETLINESIZE, 0, lineSize);
}

void SetSliderPosition(HWND dialog, int id, int value) {
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, value);
}

int SliderPosition(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

}  // namespace win
