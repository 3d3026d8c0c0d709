// The main window's private messages (those of the hook library and of the
// pseudo windows are defined where they are sent), timers and tray constants.
#pragma once

#include <windows.h>

#include "hook/QuilloraHelper.h"
#include "pseudo/PseudoMessages.h"

namespace quillora {

constexpr UINT WM_TRAY_NOTIFY = WM_APP + 0x01;
constexpr UINT WM_SHELL_CREATED = QUILLORA_WM_SHELL_CREATED;
constexpr UINT WM_SHELL_DESTROYED = QUILLORA_WM_SHELL_DESTROYED;
constexpr UINT WM_SHELL_ACTIVATED = QUILLORA_WM_SHELL_ACTIVATED;
constexpr UINT WM_SHELL_MINMAX = QUILLORA_WM_SHELL_MINMAX;

constexpr UINT_PTR IDT_POLL = 1;
constexpr UINT_PTR IDT_QUICK_CAPTURE = 2;
// Gives back originals left behind: by an earlier run, or by this one when
// their program did not answer. Runs only while there are such windows,
// paused or not.
constexpr UINT_PTR IDT_GIVE_BACK = 3;
// Once the burst of messages that a change of display scale or layout
// brings has passed (other programs resize their windows meanwhile): the
// tray icon is loaded again and the pseudo windows are placed again.
constexpr UINT_PTR IDT_DISPLAY_SETTLED = 4;
constexpr UINT kPollPeriodMs = 100;
constexpr UINT kGiveBackRetryMs = 200;
constexpr UINT kDisplaySettleMs = 250;

constexpr UINT kTrayIconId = 3;

// Tray menu commands.
constexpr UINT ID_PAUSE_RESUME = 9;
constexpr UINT ID_SETTINGS = 10;
constexpr UINT ID_ABOUT = 11;
constexpr UINT ID_EXIT = 12;

constexpr char kMainWindowClass[] = "Quillora";
constexpr char kMutexName[] = "Quillora";
// Held by whichever of our processes is giving marked windows back.
constexpr char kGiveBackMutexName[] = "Quillora.GiveBack";

// Tries again to add the tray icon the shell refused (at logon the taskbar
// may not take icons yet); runs only until the icon shows.
constexpr UINT_PTR IDT_TRAY_RETRY = 5;
constexpr UINT kTrayRetryMs = 2000;

}  // namespace quillora
