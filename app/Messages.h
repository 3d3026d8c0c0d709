// The program's private window messages and timers, in one table. The hook
// library's header stays the source of the numbers it posts and sends; the
// checks below keep every message, and every timer of one window, distinct.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "hook/QuilloraHelper.h"

namespace quillora {

// To the main window.
constexpr UINT WM_TRAY_NOTIFY = WM_APP + 0x01;
constexpr UINT WM_SHELL_CREATED = QUILLORA_WM_SHELL_CREATED;
constexpr UINT WM_SHELL_DESTROYED = QUILLORA_WM_SHELL_DESTROYED;
constexpr UINT WM_SHELL_ACTIVATED = QUILLORA_WM_SHELL_ACTIVATED;
constexpr UINT WM_SHELL_MINMAX = QUILLORA_WM_SHELL_MINMAX;

// The main window's timers.
constexpr UINT_PTR IDT_QUICK_CAPTURE = 2;
// Once the burst of messages that a change of display scale or layout
// brings has passed (other programs resize their windows meanwhile): the
// tray icon is loaded again and the pseudo windows are placed again.
constexpr UINT_PTR IDT_DISPLAY_SETTLED = 4;
// Tries again to add the tray icon the shell refused (at logon the taskbar
// may not take icons yet); runs only until the icon shows.
constexpr UINT_PTR IDT_TRAY_RETRY = 5;

// The shrunk windows' timers (on a window of their own).
constexpr UINT_PTR IDT_POLL = 1;
// Gives back originals left behind: by an earlier run, or by this one when
// their program did not answer. Runs only while there are such windows,
// paused or not.
constexpr UINT_PTR IDT_GIVE_BACK = 3;

constexpr UINT kPollPeriodMs = 100;
constexpr UINT kGiveBackRetryMs = 200;
constexpr UINT kDisplaySettleMs = 250;
constexpr UINT kTrayRetryMs = 2000;

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

namespace detail {
template <typename T, std::size_t N>
constexpr bool allDistinct(const std::array<T, N>& values) {
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = i + 1; j < N; ++j) {
            if (values[i] == values[j]) return false;
        }
    }
    return true;
}
}  // namespace detail

static_assert(detail::allDistinct(std::array{WM_TRAY_NOTIFY, WM_SHELL_CREATED, WM_SHELL_DESTROYED,
                                             WM_SHELL_ACTIVATED, WM_SHELL_MINMAX}),
              "two private messages share a number");
static_assert(detail::allDistinct(std::array{IDT_QUICK_CAPTURE, IDT_DISPLAY_SETTLED, IDT_TRAY_RETRY}),
              "two timers of the main window share an id");
static_assert(detail::allDistinct(std::array{IDT_POLL, IDT_GIVE_BACK}), "two timers of the shrunk windows share an id");
static_assert(detail::allDistinct(std::array{ID_PAUSE_RESUME, ID_SETTINGS, ID_ABOUT, ID_EXIT}),
              "two tray commands share an id");

}  // namespace quillora
