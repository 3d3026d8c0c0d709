// Entry points of the program's modal dialogs. Each returns IDOK (1) or
// IDCANCEL (2).
#pragma once

#include <windows.h>

#include "rules/SettingsStore.h"
#include "rules/Rule.h"

namespace quillora {

// Settings (General and Rules pages). On OK the application's settings and
// rules hold the edited values; the caller writes the settings file.
int ShowSettingsDialog(HWND owner, SettingsStore& store);
int ShowAboutDialog(HWND owner);
// Offers to shrink `target` (picked by quick capture) with `rule`, which the
// dialog fills on OK.
int ShowQuickCaptureDialog(HWND owner, Rule& rule, HWND target);
// Edits a pseudo window's own rule copy.
int ShowQuickEditDialog(HWND owner, Rule& rule);

}  // namespace quillora
