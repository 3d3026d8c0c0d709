#include "common/DialogDriver.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "common/Harness.h"
#include "common/Pump.h"

namespace uitest {

namespace {

constexpr UINT kDeadlineMs = 15000;

std::map<UINT_PTR, std::function<void()>>& pending() {
    static std::map<UINT_PTR, std::function<void()>> steps;
    return steps;
}

void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = pending().find(id);
    if (it == pending().end()) return;
    std::function<void()> step = std::move(it->second);
    pending().erase(it);
    step();
}

std::vector<HWND> threadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (std::string(name) == "#32770" && IsWindowVisible(w))
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Calls `found` once a window satisfying `match` is up, polling from the
// message loop; gives up (and ends every dialog) at the deadline.
void whenUp(const std::function<HWND()>& match, const std::function<void(HWND)>& found, DWORD start,
            std::shared_ptr<bool> stop = nullptr) {
    Later([=] {
        if (stop && *stop) return;
        if (HWND w = match()) {
            found(w);
            return;
        }
        if (GetTickCount() - start > kDeadlineMs) {
            ADD_FAILURE() << "the expected dialog never appeared";
            for (HWND d : threadDialogs()) EndDialog(d, -1);
            return;
        }
        whenUp(match, found, start, stop);
    });
}

// Whether the message box shows an icon: a visible icon static that holds one.
UINT shownIcon(HWND box) {
    UINT shown = 0;
    EnumChildWindows(
        box,
        [](HWND w, LPARAM lp) -> BOOL {
            const auto style = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE));
            if ((style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(w) && SendMessageA(w, STM_GETICON, 0, 0))
                *reinterpret_cast<UINT*>(lp) = 1;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

}  // namespace

void Later(std::function<void()> step, UINT delayMs) {
    const UINT_PTR id = SetTimer(nullptr, 0, delayMs, &fire);
    pending()[id] = std::move(step);
}

void When(const std::function<bool()>& ready, const std::function<void()>& step, const char* what) {
    const DWORD start = GetTickCount();
    auto next = std::make_shared<std::function<void()>>();
    *next = [=] {
        if (ready()) {
            step();
        } else if (GetTickCount() - start > kDeadlineMs) {
            ADD_FAILURE() << "never reached: " << what;
            for (HWND d : threadDialogs()) EndDialog(d, -1);
        } else {
            Later(*next);
        }
    };
    Later(*next);
}

HWND FindThreadDialog(const std::string& title) {
    for (HWND d : threadDialogs())
        if (TextOf(d) == title) return d;
    return nullptr;
}

int RunDialog(const std::function<int()>& open, const std::string& title, const std::function<void(HWND)>& drive) {
    const DWORD start = GetTickCount();
    bool driven = false;
    whenUp([title] { return FindThreadDialog(title); },
           [&driven, drive, start](HWND d) {
               driven = true;
               drive(d);
               // Anything the steps left open is a failure, not a hang.
               whenUp([d] { return IsWindow(d) ? nullptr : d; }, [](HWND) {}, start);
           },
           start);
    const int result = open();
    EXPECT_TRUE(driven) << "dialog not found";
    return result;
}

BoxSeen AnswerMessageBox(const std::function<void()>& trigger, int answer) {
    BoxSeen seen;
    auto stop = std::make_shared<bool>(false);
    const std::vector<HWND> before = threadDialogs();
    whenUp(
        [before] {
            for (HWND d : threadDialogs()) {
                bool old = false;
                for (HWND b : before) old = old || b == d;
                if (!old && GetDlgItem(d, 0xFFFF)) return d;  // the message text control
            }
            return static_cast<HWND>(nullptr);
        },
        [&seen, answer](HWND box) {
            seen.shown = true;
            seen.caption = TextOf(box);
            seen.text = TextOf(GetDlgItem(box, 0xFFFF));
            seen.iconStyle = shownIcon(box);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        },
        GetTickCount(), stop);
    trigger();
    WaitUntil([&] { return seen.shown; }, 3000);
    *stop = true;
    return seen;
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SelectCombo(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string TextOf(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

RECT ClientRectOf(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The dialog manager converts position and size separately, so the far
// edges are the sums of the converted values.
RECT DialogUnits(HWND dialog, int x, int y, int w, int h) {
    RECT r{x, y, w, h};
    MapDialogRect(dialog, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

void WithBareTemplate(int templateId, const std::function<void(HWND)>& inspect) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND d = CreateDialogParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
        [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; }, 0);
    EXPECT_NE(d, nullptr) << "template " << templateId;
    if (d) inspect(d);
    DestroyWindow(parent);  // and the dialog with it
}

}  // namespace uitest

namespace uitest {

HWND PageWith(HWND dialog, int id) {
    // The control's parent, when that is a page: a dialog of its own inside.
    HWND page = GetParent(uitest::Control(dialog, id));
    return page && page != dialog && uitest::ClassOf(page) == "#32770" ? page : nullptr;
}

}  // namespace uitest
