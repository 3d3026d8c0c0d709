// Display scaling: the 96-DPI lengths the program scales, and the dialogs at
// the scale the test runs at (the test command also runs these at 96, 144 and
// 192 DPI with the dialog font of a Japanese system).
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "common/DialogDriver.h"
#include "pseudo/Geometry.h"
#include "res/resource.h"
#include "ui/Dialogs.h"
#include "win/Dpi.h"

using namespace uitest;

namespace {

// The width of the image that the loader picks from an icon group for
// `size` pixels; 0 when the group or the image is missing.
int pickedImageWidth(UINT group, int size) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC directory = FindResourceA(module, MAKEINTRESOURCEA(group), RT_GROUP_ICON);
    if (!directory) return 0;
    auto* entries = static_cast<BYTE*>(LockResource(LoadResource(module, directory)));
    const int id = entries ? LookupIconIdFromDirectoryEx(entries, TRUE, size, size, LR_DEFAULTCOLOR) : 0;
    HRSRC image = id ? FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON) : nullptr;
    if (!image) return 0;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    return header ? header->biWidth : 0;
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The face a Japanese system draws the dialog font with; without it the
// metrics are a fallback's and say nothing about clipping.
bool hasJapaneseDialogFace() {
    LOGFONTA wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyA(wanted.lfFaceName, "MS UI Gothic");
    HDC screen = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExA(
        screen, &wanted,
        [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lp) -> int {
            *reinterpret_cast<bool*>(lp) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// How a control lays out its label: the width its own drawing takes beside
// it (check box and gap, button edges, group box indent), whether the label
// wraps, and whether it must fit the control's height too.
struct LabelLayout {
    bool isLabel = false;
    int decoration = 0;
    bool wraps = false;
    bool fillsHeight = false;
};

LabelLayout layoutOf(HWND control, int dpi) {
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    LabelLayout label;
    if (lstrcmpiA(name, "Static") == 0) {
        const DWORD type = style & SS_TYPEMASK;
        label.isLabel = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ||
                        type == SS_SIMPLE;
        label.wraps = type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE;
        label.fillsHeight = true;
    } else if (lstrcmpiA(name, "Button") == 0) {
        label.isLabel = true;
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            label.decoration = MulDiv(16, dpi, 96);
            label.fillsHeight = true;
            break;
        case BS_GROUPBOX: label.decoration = MulDiv(12, dpi, 96); break;
        default: label.decoration = MulDiv(6, dpi, 96); break;
        }
    }
    return label;
}

// Each label of `dialog` that its control cuts off, with the room it needs
// and the room it has.
std::vector<std::string> clippedLabels(HWND dialog, int dpi) {
    std::vector<HWND> controls;
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    std::vector<std::string> clipped;
    for (HWND control : controls) {
        const std::string text = TextOf(control);
        const LabelLayout label = layoutOf(control, dpi);
        if (text.empty() || !label.isLabel) continue;
        RECT client{};
        GetClientRect(control, &client);
        const int width = client.right - label.decoration;
        RECT need{0, 0, width, 0};
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_EXPANDTABS | (label.wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        if (need.right > width || (label.fillsHeight && need.bottom > client.bottom)) {
            clipped.push_back(text + " needs " + std::to_string(need.right) + " x " + std::to_string(need.bottom) +
                              ", has " + std::to_string(width) + " x " + std::to_string(client.bottom));
        }
    }
    return clipped;
}

void expectFontAndLabelsFit(HWND dialog, const std::string& which) {
    const int dpi = systemDpi();
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, dpi, 72)) << which << " at " << dpi << " DPI: not an 8-point font";
    for (const std::string& label : clippedLabels(dialog, dpi)) ADD_FAILURE() << which << " at " << dpi << " DPI: " << label;
}

}  // namespace

TEST(Dpi, ScalingRoundsLikeMulDivAndKeepsHugeSettingsHuge) {
    for (int value : {0, 1, 3, 29, 30, 31, 100, -1, -30, 12345}) {
        for (UINT dpi : {96u, 120u, 144u, 168u, 192u, 240u, 288u}) {
            EXPECT_EQ(win::ScaleForDpi(value, dpi), MulDiv(value, static_cast<int>(dpi), 96)) << value << " at " << dpi;
        }
    }
    // Where MulDiv gives up with -1, a margin of "never" stays "never".
    EXPECT_EQ(win::ScaleForDpi(INT_MAX, 192), INT_MAX);
    EXPECT_EQ(win::ScaleForDpi(INT_MIN, 192), INT_MIN);
}

TEST(Dpi, ScalingBetweenTwoDpisRoundsLikeMulDiv) {
    for (int value : {0, 1, 5, 805, 1006, 1202, -7}) {
        for (UINT from : {96u, 120u, 144u, 192u}) {
            for (UINT to : {96u, 144u, 192u}) {
                EXPECT_EQ(win::ScaleBetweenDpi(value, from, to), MulDiv(value, static_cast<int>(to), static_cast<int>(from)))
                    << value << " from " << from << " to " << to;
            }
        }
    }
}

// What the capture copies from an original whose client area the system
// stretches: Windows reports the physical size to this per-monitor aware
// program, while the original's DC holds its own, smaller picture.
TEST(Dpi, CaptureSourceIsTheSizeTheOriginalDrawsAt) {
    using win::DpiAwareness;
    struct Case {
        DpiAwareness awareness;
        UINT monitor, system;
        quillora::Size physical, source;
    };
    const Case cases[] = {
        // An 800 x 600 unaware program at 100, 150, 200 %, and at 125 %,
        // where 805 x 605 was stretched to 1006.25 x 756.25 and rounded.
        {DpiAwareness::Unaware, 96, 96, {800, 600}, {800, 600}},
        {DpiAwareness::Unaware, 144, 144, {1200, 900}, {800, 600}},
        {DpiAwareness::Unaware, 192, 144, {1600, 1200}, {800, 600}},
        {DpiAwareness::Unaware, 120, 120, {1006, 756}, {805, 605}},
        // System-aware: its own size on a monitor at the system DPI; from
        // 150 % to a 200 % monitor stretched up, from 200 % to 100 % down.
        {DpiAwareness::SystemAware, 96, 96, {800, 600}, {800, 600}},
        {DpiAwareness::SystemAware, 144, 144, {1200, 900}, {1200, 900}},
        {DpiAwareness::SystemAware, 192, 144, {1600, 1200}, {1200, 900}},
        {DpiAwareness::SystemAware, 96, 192, {600, 450}, {1200, 900}},
        // Per-monitor aware programs draw in physical pixels.
        {DpiAwareness::PerMonitor, 96, 96, {800, 600}, {800, 600}},
        {DpiAwareness::PerMonitor, 144, 96, {1200, 900}, {1200, 900}},
        {DpiAwareness::PerMonitor, 192, 144, {1600, 1200}, {1600, 1200}},
        // A system that cannot tell keeps the size it reads.
        {DpiAwareness::Unknown, 144, 144, {1200, 900}, {1200, 900}},
        // A sliver keeps a pixel; nothing stays nothing.
        {DpiAwareness::Unaware, 288, 288, {1, 0}, {1, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quillora::CaptureSourceSize(c.awareness, c.physical, {}, c.monitor, c.system), c.source)
            << static_cast<int>(c.awareness) << " at " << c.monitor << " DPI, system " << c.system << ", "
            << c.physical.width << " x " << c.physical.height;
    }
}

TEST(Dpi, CaptureSourceTakesTheSizeReadInTheOriginalsOwnAwareness) {
    using win::DpiAwareness;
    // A system-aware program started at another system DPI rounds its own
    // rectangle: what it says of itself wins over the arithmetic.
    EXPECT_EQ(quillora::CaptureSourceSize(DpiAwareness::SystemAware, {1600, 1200}, {1201, 899}, 192, 144),
              (quillora::Size{1201, 899}));
    EXPECT_EQ(quillora::CaptureSourceSize(DpiAwareness::Unknown, {1200, 900}, {800, 600}, 144, 144),
              (quillora::Size{800, 600}));
    // A read of nothing (the window went meanwhile) falls back.
    EXPECT_EQ(quillora::CaptureSourceSize(DpiAwareness::Unaware, {1200, 900}, {0, 0}, 144, 144),
              (quillora::Size{800, 600}));
}

// The thread runs in the original's awareness inside the scope and in its own
// again after it; where the system lacks the functions nothing changes.
TEST(Dpi, AwarenessScopeSwitchesToTheWindowsAwarenessAndBack) {
    using Context = HANDLE;
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto setThread = reinterpret_cast<Context(WINAPI*)(Context)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    const auto threadContext = reinterpret_cast<Context(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto awarenessOf = reinterpret_cast<int(WINAPI*)(Context)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (!setThread || !threadContext || !awarenessOf) GTEST_SKIP() << "no per-thread DPI awareness here";
    const Context unaware = reinterpret_cast<Context>(static_cast<INT_PTR>(-1));

    // A window made by an unaware thread, as an unaware program's is.
    const Context before = setThread(unaware);
    ASSERT_NE(before, nullptr);
    HWND window = CreateWindowExA(0, "STATIC", "unaware", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    setThread(before);
    ASSERT_NE(window, nullptr);
    const int ownAwareness = awarenessOf(threadContext());
    ASSERT_NE(ownAwareness, 0) << "the test program is not DPI aware: no switch would show";
    EXPECT_EQ(win::AwarenessOf(window), win::DpiAwareness::Unaware);

    RECT own{};
    {
        win::ThreadDpiAwarenessScope scope(window);
        EXPECT_TRUE(scope.Switched());
        EXPECT_EQ(awarenessOf(threadContext()), 0);
        GetClientRect(window, &own);
    }
    EXPECT_EQ(awarenessOf(threadContext()), ownAwareness);
    EXPECT_EQ(own.right, 400);
    EXPECT_EQ(own.bottom, 300);
    // The window says it draws at 96 DPI; its monitor, the only one here, is
    // at the system DPI, the scale the test runs at.
    EXPECT_EQ(win::DpiOf(window), 96u);
    EXPECT_EQ(win::MonitorDpiOf(window), win::SystemDpi());

    DestroyWindow(window);
    EXPECT_EQ(win::AwarenessOf(window), win::DpiAwareness::Unknown);
    win::ThreadDpiAwarenessScope gone(window);
    EXPECT_FALSE(gone.Switched());
    EXPECT_EQ(awarenessOf(threadContext()), ownAwareness);
}

// The templates are laid out in dialog units of an 8-point font: at any scale
// the font grows with the DPI and every label still fits its control.
TEST(Dpi, EveryIconHoldsAnImageDrawnForEachScale) {
    // The notification area asks for 16 pixels at 100 % up to 48 at 300 %;
    // an image scaled from another size comes out blurred.
    for (UINT group : {IDI_TRAY_RUNNING, IDI_TRAY_PAUSED, IDI_QUILLORA}) {
        for (int size : {16, 20, 24, 32, 40, 48}) EXPECT_EQ(pickedImageWidth(group, size), size) << group;
    }
}

TEST(Dpi, DialogFontFollowsTheScaleAndNoLabelIsCutOff) {
    if (!hasJapaneseDialogFace()) GTEST_SKIP() << "no Japanese dialog face (MS UI Gothic) to measure with";
    for (int id : {IDD_SETTINGS, IDD_GENERAL_PAGE, IDD_RULES_PAGE, IDD_RULE_EDIT, IDD_RULE_BASIC_PAGE,
                   IDD_RULE_SHRINK_PAGE, IDD_QUICK_CAPTURE, IDD_QUICK_CAPTURE_TITLE_PAGE, IDD_QUICK_EDIT}) {
        WithBareTemplate(id, [id](HWND d) { expectFontAndLabelsFit(d, "template " + std::to_string(id)); });
    }
    // The About box's texts come in at run time.
    RunDialog([] { return quillora::ShowAboutDialog(nullptr); }, Ansi("Quilloraのバージョン情報"), [](HWND d) {
        expectFontAndLabelsFit(d, "About");
        Click(d, IDCANCEL);
    });
}
