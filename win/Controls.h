// Small helpers for reading and writing standard dialog controls in the
// ANSI code page.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// The control's text, cut to at most maxChars characters.
std::string ItemText(HWND dialog, int id, int maxChars);
void SetItemText(HWND dialog, int id, const std::string& text);

bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);
void EnableItem(HWND dialog, int id, bool enabled);

// Combo box lists filled by index, so the index is the stored value.
void AddComboEntry(HWND dialog, int id, const std::string& text);
// Selects `index`; an index no entry stands for leaves no selection.
void SelectComboIndex(HWND dialog, int id, int index);
// The selected index, -1 when nothing is selected.
int ComboIndex(HWND dialog, int id);

// Up-down controls keep a 16-bit position.
void SetSpinRange(HWND dialog, int id, int minimum, int maximum);
void SetSpinPosition(HWND dialog, int id, int value);  // takes the low 16 bits
int SpinPosition(HWND dialog, int id);                 // as a signed 16-bit value

void SetSliderRange(HWND dialog, int id, int minimum, int maximum, int ticFrequency, int pageSize, int lineSize);
void SetSliderPosition(HWND dialog, int id, int value);
int SliderPosition(HWND dialog, int id);

}  // namespace win
