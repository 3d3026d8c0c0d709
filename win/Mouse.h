// The mouse as the user has set it up.
#pragma once

#include <windows.h>

namespace win {

// The virtual key of the primary button for `swapped` buttons (a
// left-handed set-up): VK_RBUTTON then, VK_LBUTTON otherwise.
int PrimaryButtonKey(bool swapped);

// The virtual key of the user's primary button now, for GetAsyncKeyState,
// which reads the physical buttons.
int PrimaryButtonKey();

}  // namespace win
