#include "win/Mouse.h"

namespace win {

int PrimaryButtonKey(bool swapped) { return swapped ? VK_RBUTTON : VK_LBUTTON; }

int PrimaryButtonKey() { return PrimaryButtonKey(GetSystemMetrics(SM_SWAPBUTTON) != 0); }

}  // namespace win
