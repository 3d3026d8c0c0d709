// Drives modal dialogs of this thread from inside their own message loops:
// a step scheduled with Later runs from whichever modal loop is running
// (dialog or message box), finds the window and presses its buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/Harness.h"

namespace uitest {

// Runs `step` from this thread's message loop after `delayMs`.
void Later(std::function<void()> step, UINT delayMs = 30);
// Runs `step` from this thread's message loop once `ready` holds (polled).
// Past the deadline the test fails, naming `what`, and every dialog of the
// thread is ended instead of hanging.
void When(const std::function<bool()>& ready, const std::function<void()>& step, const char* what);

// Runs `open` (which shows a modal dialog and returns its result) and, once a
// dialog titled `title` (code page 932 bytes) of this thread is up, `drive`
// on it. A dialog still open after the deadline is ended with -1 and the
// test fails instead of hanging.
int RunDialog(const std::function<int()>& open, const std::string& title, const std::function<void(HWND)>& drive);

// Same for a message box that `trigger` opens: returns its text and presses
// `answer` on it (IDOK, IDYES, IDNO).
struct BoxSeen {
    bool shown = false;
    std::string caption;
    std::string text;
    UINT iconStyle = 0;  // which static icon the box shows, 0 for none
};
BoxSeen AnswerMessageBox(const std::function<void()>& trigger, int answer);

// A top-level dialog ("#32770") of this thread with that title, or null.
HWND FindThreadDialog(const std::string& title);

// Sends a button's click command to the dialog that holds it.
void Click(HWND dialog, int id);
// Sends a combo selection change as the user makes it.
void SelectCombo(HWND dialog, int id, int index);
std::string TextOf(HWND window);
// A control's rectangle relative to its dialog's client area, in pixels.
RECT ClientRectOf(HWND dialog, int id);
// A template rectangle in dialog units of `dialog`, in pixels.
RECT DialogUnits(HWND dialog, int x, int y, int w, int h);
// Creates dialog template `templateId` bare (no dialog object behind it; a
// page gets a hidden parent), hands it to `inspect` and destroys it.
void WithBareTemplate(int templateId, const std::function<void(HWND)>& inspect);

// The page (a child dialog somewhere below `dialog`) that holds control `id`.
HWND PageWith(HWND dialog, int id);
}  // namespace uitest
