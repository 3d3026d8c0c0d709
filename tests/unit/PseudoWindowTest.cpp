// The pseudo window and the window hider against originals that live in
// another process (testwin). This process plays the pseudo windows' owner;
// they live on the test thread, so every wait pumps messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/Harness.h"
#include "common/Pump.h"
#include "pseudo/MarkedWindow.h"
#include "pseudo/PseudoWindow.h"
#include "pseudo/WindowHider.h"

using namespace quillora;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The owner's side: what the pseudo windows asked of it, in order.
class RecordingHost : public PseudoWindowHost {
public:
    enum Call { Clicked, EditRequested, Closed };
    struct Received {
        Call call;
        const PseudoWindow* from;
        bool operator==(const Received&) const = default;
    };
    std::vector<Received> received;

    void PseudoClicked(PseudoWindow& pseudo) override { received.push_back({Clicked, &pseudo}); }
    void PseudoEditRequested(PseudoWindow& pseudo) override { received.push_back({EditRequested, &pseudo}); }
    void PseudoClosed(PseudoWindow& pseudo) override { received.push_back({Closed, &pseudo}); }
};

void pump() { uitest::DispatchPending(); }


COLORREF clientPixel(HWND hwnd) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    win::WindowDC dc(hwnd);
    return GetPixel(dc.get(), rc.right / 2, rc.bottom / 2);
}

std::set<std::string> propertyNames(HWND hwnd) {
    std::set<std::string> names;
    EnumPropsExA(
        hwnd,
        [](HWND, LPSTR name, HANDLE, ULONG_PTR out) -> BOOL {
            // Wine keeps its own bookkeeping on windows under "__wine" names.
            if (!IS_INTRESOURCE(name) && std::string(name).rfind("__wine", 0) != 0) {
                reinterpret_cast<std::set<std::string>*>(out)->insert(name);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&names));
    return names;
}

DWORD exStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)); }
DWORD style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
bool sameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

// Without a window manager Wine waits up to two seconds for every framed
// window it unmaps; tests that do not look at the frame go without one.
Rule framelessRule() {
    Rule rule;
    rule.Frame = false;
    return rule;
}

// Holds Ctrl down through SendInput for the lifetime of the object.
class CtrlHeld {
public:
    CtrlHeld() { send(0); }
    ~CtrlHeld() { send(KEYEVENTF_KEYUP); }

private:
    static void send(DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_CONTROL;
        in.ki.dwFlags = flags;
        SendInput(1, &in, sizeof in);
    }
};

// A window on a thread of this process that paints `painted` (black at
// first) and shows `printed` only when asked to print itself, as a program
// drawn through the compositor does. It lives in this process because Wine
// passes WM_PRINT to no other process. Counts the prints it answers, and
// obeys testwin's Repaint and StopAnswering commands.
class PrintOnlyWindow {
public:
    // At (x, 60): an X server without a compositor keeps no pixels of a
    // window where another covers it, so windows that are read stand apart.
    PrintOnlyWindow(COLORREF printed, COLORREF painted, int x = 60) : printed_(printed), painted_(painted) {
        thread_ = std::thread([this, x] { run(x); });
        uitest::WaitUntil([this] { return hwnd_.load() != nullptr; }, 5000);
    }
    ~PrintOnlyWindow() {
        if (HWND hwnd = hwnd_.load()) PostMessageA(hwnd, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND Handle() const { return hwnd_.load(); }
    int Prints() const { return prints_.load(); }

private:
    void run(int x) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PrintOnlyTestWindow";
        RegisterClassA(&wc);
        HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "PrintOnly", WS_OVERLAPPEDWINDOW, x, 60, 320, 240, nullptr,
                                    nullptr, wc.hInstance, this);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
        hwnd_ = hwnd;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    }

    static void fill(HWND hwnd, HDC dc, COLORREF colour) {
        RECT rc{};
        GetClientRect(hwnd, &rc);
        win::Brush brush(CreateSolidBrush(colour));
        FillRect(dc, &rc, brush.get());
    }

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                                       reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        }
        auto* self = reinterpret_cast<PrintOnlyWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            win::PaintDC paint(hwnd);
            fill(hwnd, paint.get(), self->painted_.load());
            return 0;
        }
        case WM_PRINTCLIENT:
            ++self->prints_;
            fill(hwnd, reinterpret_cast<HDC>(wp), self->printed_);
            return 0;
        case uitest::WM_TESTWIN_COMMAND:
            if (static_cast<uitest::TestWindowCommand>(wp) == uitest::TestWindowCommand::Repaint) {
                self->painted_ = static_cast<COLORREF>(lp);
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            if (static_cast<uitest::TestWindowCommand>(wp) == uitest::TestWindowCommand::StopAnswering)
                Sleep(static_cast<DWORD>(lp));
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    const COLORREF printed_;
    std::atomic<COLORREF> painted_;
    std::atomic<HWND> hwnd_{nullptr};
    std::atomic<int> prints_{0};
    std::thread thread_;
};

}  // namespace

class PseudoWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& object : list_) object->GiveBack();
    }

    // A testwin window; with a colour, waits until it has painted it.
    HWND startOriginal(const std::string& args, COLORREF painted = CLR_INVALID) {
        originals_.push_back(uitest::StartTestWindow(args));
        HWND hwnd = originals_.back().hwnd;
        EXPECT_NE(hwnd, nullptr) << args;
        if (hwnd && painted != CLR_INVALID) {
            EXPECT_TRUE(uitest::WaitUntil([&] { return clientPixel(hwnd) == painted; }));
        }
        return hwnd;
    }

    // What the owner does when it takes a window on.
    PseudoWindow* attach(HWND original, const Rule& rule = framelessRule()) {
        auto object = std::make_unique<PseudoWindow>(host_, original, rule);
        if (object->Create() != PseudoWindow::Created::Made) return nullptr;
        list_.push_back(std::move(object));
        return list_.back().get();
    }

    // attach, then the first shrink as the polling does it.
    PseudoWindow* attachShrunk(HWND original, const Rule& rule = framelessRule()) {
        PseudoWindow* object = attach(original, rule);
        if (object) object->Shrink();
        return object;
    }

    RecordingHost host_;
    std::vector<std::unique_ptr<PseudoWindow>> list_;
    std::deque<uitest::TestWindow> originals_;
};

TEST_F(PseudoWindowTest, CreateMakesHiddenFramedToolWindowWithEditMenuAndProperties) {
    HWND original = startOriginal("");
    auto object = attach(original, Rule{});
    ASSERT_TRUE(object);
    HWND pseudo = object->Handle();

    const DWORD framed = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    EXPECT_EQ(style(pseudo) & framed, framed);
    EXPECT_FALSE(style(pseudo) & WS_VISIBLE);
    EXPECT_EQ(exStyle(pseudo) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED), DWORD(WS_EX_TOOLWINDOW));
    EXPECT_EQ(uitest::ClassOf(pseudo), "PseudoWindow");
    EXPECT_EQ(GetParent(pseudo), nullptr);

    EXPECT_EQ(GetPropA(pseudo, kPropOriginalWindow), original);
    EXPECT_EQ(GetPropA(original, kPropPseudoWindow), pseudo);
    EXPECT_EQ(GetPropA(original, kPropPseudoWindowObject), object);
    EXPECT_EQ(GetPropA(original, kPropTransparency), reinterpret_cast<HANDLE>(255));
    EXPECT_TRUE(uitest::HasExStyle(original, WS_EX_LAYERED));
    EXPECT_EQ(uitest::LayeredAlpha(original), 255);

    HMENU menu = GetSystemMenu(pseudo, FALSE);
    ASSERT_NE(menu, nullptr);
    char text[64] = {};
    GetMenuStringA(menu, 1, text, sizeof text, MF_BYCOMMAND);
    EXPECT_EQ(std::string(text), "\x95\xd2\x8f\x57(&E)");  // 編集(&E)
    int editPos = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuItemID(menu, i) == 1) editPos = i;
    }
    ASSERT_GT(editPos, 0);
    EXPECT_TRUE(GetMenuState(menu, editPos - 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(menu, editPos + 1, MF_BYPOSITION) & MF_SEPARATOR);
    for (UINT gone : {SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE}) EXPECT_EQ(GetMenuState(menu, gone, MF_BYCOMMAND), UINT(-1));
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), UINT(-1));
}

TEST_F(PseudoWindowTest, CreateHonoursFramelessTopmostTranslucentRule) {
    HWND original = startOriginal("");
    Rule rule;
    rule.Frame = false;
    rule.Topmost = true;
    rule.Transparent = true;
    rule.Transparency = 100;
    rule.ExtendSystemMenu = false;
    auto object = attach(original, rule);
    ASSERT_TRUE(object);
    HWND pseudo = object->Handle();

    EXPECT_EQ(style(pseudo) & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), DWORD(WS_POPUP));
    EXPECT_EQ(exStyle(pseudo) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED),
              DWORD(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED));
    EXPECT_EQ(uitest::LayeredAlpha(pseudo), 1) << "transparency 100 must not make it invisible";
    HMENU menu = GetSystemMenu(pseudo, FALSE);
    if (menu) {
        EXPECT_EQ(GetMenuState(menu, 1, MF_BYCOMMAND), UINT(-1));
    }
}

TEST_F(PseudoWindowTest, DetachKeepsLayeredStyleOnlyOnWindowsThatHadIt) {
    HWND layered = startOriginal("--layered");
    HWND plain = startOriginal("");
    for (HWND w : {layered, plain}) WindowHider::Attach(w);
    EXPECT_TRUE(uitest::HasExStyle(layered, WS_EX_LAYERED));
    EXPECT_TRUE(uitest::HasExStyle(plain, WS_EX_LAYERED));
    EXPECT_EQ(GetPropA(layered, kPropLayered), reinterpret_cast<HANDLE>(1));
    EXPECT_EQ(GetPropA(plain, kPropLayered), nullptr);

    for (HWND w : {layered, plain}) WindowHider::Detach(w);
    EXPECT_TRUE(uitest::HasExStyle(layered, WS_EX_LAYERED));
    EXPECT_EQ(GetPropA(layered, kPropLayered), nullptr);
    EXPECT_FALSE(uitest::HasExStyle(plain, WS_EX_LAYERED));
}

TEST_F(PseudoWindowTest, ShrinksAtTheCornerAndRestoresWhereThePseudoWindowStands) {
    const std::string title(300, 'Q');
    HWND original = startOriginal("--x 100 --y 120 --w 400 --h 300 --title " + title);
    Rule rule = framelessRule();
    rule.StretchDirection = DirBottomRight;
    auto object = attach(original, rule);
    ASSERT_TRUE(object);
    HWND pseudo = object->Handle();

    object->Shrink();
    pump();
    EXPECT_EQ(uitest::LayeredAlpha(original), 0);
    EXPECT_FALSE(WindowHider::IsOriginalShown(original));
    EXPECT_TRUE(IsWindowVisible(pseudo));
    EXPECT_NE(GetForegroundWindow(), pseudo);
    EXPECT_EQ(uitest::Text(pseudo), title.substr(0, 255));
    EXPECT_TRUE(sameRect(uitest::WindowRect(pseudo), RECT{300, 270, 500, 420}));
    EXPECT_TRUE(sameRect(uitest::WindowRect(original), RECT{100, 120, 500, 420})) << "a shrunk original stays put";

    object->Shrink();  // already shrunk: nothing changes
    EXPECT_TRUE(sameRect(uitest::WindowRect(pseudo), RECT{300, 270, 500, 420}));

    SetWindowPos(pseudo, nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    object->Restore();
    pump();
    EXPECT_FALSE(IsWindowVisible(pseudo));
    EXPECT_EQ(uitest::LayeredAlpha(original), 255);
    EXPECT_TRUE(WindowHider::IsOriginalShown(original));
    EXPECT_TRUE(sameRect(uitest::WindowRect(original), RECT{400, 350, 800, 650}));
}

TEST_F(PseudoWindowTest, ShrinkLeavesMaximisedOriginalAlone) {
    HWND original = startOriginal("--show max");
    auto object = attach(original);
    ASSERT_TRUE(object);
    ASSERT_TRUE(IsZoomed(original));
    object->Shrink();
    EXPECT_EQ(uitest::LayeredAlpha(original), 255);
    EXPECT_TRUE(WindowHider::IsOriginalShown(original));
    EXPECT_FALSE(IsWindowVisible(object->Handle()));
}

TEST_F(PseudoWindowTest, ShrinkOfMinimisedOriginalOnlyHidesThePseudoWindow) {
    HWND original = startOriginal("--show min");
    auto object = attach(original);
    ASSERT_TRUE(object);
    ASSERT_TRUE(IsIconic(original));
    ShowWindow(object->Handle(), SW_SHOWNOACTIVATE);
    object->Shrink();
    EXPECT_FALSE(IsWindowVisible(object->Handle()));
    EXPECT_EQ(uitest::LayeredAlpha(original), 255);
    EXPECT_TRUE(WindowHider::IsOriginalShown(original));
}

TEST_F(PseudoWindowTest, RestoreWaitsForTheEndOfASizeMoveLoop) {
    HWND original = startOriginal("");
    auto object = attachShrunk(original);
    ASSERT_TRUE(object);
    HWND pseudo = object->Handle();
    SendMessageA(pseudo, WM_ENTERSIZEMOVE, 0, 0);
    object->Restore();
    EXPECT_TRUE(IsWindowVisible(pseudo));
    EXPECT_EQ(uitest::LayeredAlpha(original), 0);
    SendMessageA(pseudo, WM_EXITSIZEMOVE, 0, 0);
    object->Restore();
    EXPECT_FALSE(IsWindowVisible(pseudo));
    EXPECT_EQ(uitest::LayeredAlpha(original), 255);
}

TEST_F(PseudoWindowTest, PseudoWindowShowsAndRefreshesTheOriginalsPictureWithBothStretchers) {
    for (std::int32_t method : {SpeedPriority, QualityPriority}) {
        SCOPED_TRACE(method);
        HWND original = startOriginal("--color 00FF00", kGreen);
        Rule rule = framelessRule();
        rule.StretchDrawMethod = method;
        rule.UpdateDisplay = true;
        rule.UpdateDisplayElapse = 50;
        auto object = attachShrunk(original, rule);
        ASSERT_TRUE(object);
        EXPECT_TRUE(uitest::WaitUntil([&] { return clientPixel(object->Handle()) == kGreen; }));

        uitest::PostTestWindowCommand(original, uitest::TestWindowCommand::Repaint, kBlue);
        EXPECT_TRUE(uitest::WaitUntil([&] { return clientPixel(object->Handle()) == kBlue; })) << "the refresh timer";
    }
}

// Programs drawn through the compositor leave their window DC black; they are
// printed instead, a hung one keeps its last picture without holding anyone
// up, and a DC that shows a picture again is read again.
TEST_F(PseudoWindowTest, PrintOnlyOriginalIsPrintedKeepsItsPictureWhileHungAndIsReadAgainOnceItPaints) {
    PrintOnlyWindow original(kGreen, RGB(0, 0, 0));
    ASSERT_NE(original.Handle(), nullptr);
    Rule rule = framelessRule();
    rule.StretchDrawMethod = QualityPriority;
    rule.UpdateDisplay = true;
    rule.UpdateDisplayElapse = 50;
    auto object = attachShrunk(original.Handle(), rule);
    ASSERT_TRUE(object);
    EXPECT_TRUE(uitest::WaitUntil([&] { return clientPixel(object->Handle()) == kGreen; })) << "the printed picture";

    uitest::PostTestWindowCommand(original.Handle(), uitest::TestWindowCommand::StopAnswering, 4000);
    ASSERT_TRUE(uitest::WaitUntil([&] { return !win::Answers(original.Handle()); }));
    const DWORD start = GetTickCount();
    object->PlaceAgain();  // placed and pictured anew
    EXPECT_LT(GetTickCount() - start, 1000u) << "the picture waited for a program that does not answer";
    uitest::Pump(300);
    EXPECT_EQ(clientPixel(object->Handle()), kGreen) << "a hung original keeps its last picture";

    uitest::PostTestWindowCommand(original.Handle(), uitest::TestWindowCommand::Repaint, kBlue);
    EXPECT_TRUE(uitest::WaitUntil([&] { return clientPixel(object->Handle()) == kBlue; }, 12000)) << "the DC read again";
}

TEST_F(PseudoWindowTest, WindowsWhoseDcShowsTheirPictureOrIsTrulyBlackAreNotPrintedAtEveryRefresh) {
    PrintOnlyWindow green(kGreen, kGreen);
    PrintOnlyWindow black(RGB(0, 0, 0), RGB(0, 0, 0), 500);
    ASSERT_TRUE(green.Handle() && black.Handle());
    Rule rule = framelessRule();
    rule.UpdateDisplay = true;
    rule.UpdateDisplayElapse = 20;
    // Shrunk once it has painted (before, its DC is black like any other).
    ASSERT_TRUE(uitest::WaitUntil([&] { return clientPixel(green.Handle()) == kGreen; }));
    ASSERT_TRUE(attachShrunk(green.Handle(), rule));
    ASSERT_TRUE(attachShrunk(black.Handle(), rule));
    // A window just made layered may read black until it has painted again,
    // and is printed until its DC is looked at again: count from then on.
    uitest::Pump(static_cast<int>(PictureReader::kLookAgainMs) + 500);
    const int greenBefore = green.Prints(), blackBefore = black.Prints();
    uitest::Pump(1500);
    EXPECT_EQ(green.Prints(), greenBefore);
    EXPECT_LE(black.Prints() - blackBefore, 1) << "a black window printed at every refresh";
}

TEST_F(PseudoWindowTest, ClosingAsksTheOriginalOnceAndTellsTheOwnerWhichGivesBackOneThatRefuses) {
    HWND original = startOriginal("--refuse-close");
    auto object = attachShrunk(original);
    ASSERT_TRUE(object);
    HWND pseudo = object->Handle();
    ASSERT_EQ(uitest::LayeredAlpha(original), 0);

    SendMessageA(pseudo, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(pseudo));
    EXPECT_TRUE(object->Closed());
    EXPECT_EQ(host_.received, (std::vector<RecordingHost::Received>{{RecordingHost::Closed, object}}));
    // The title change is posted after SC_CLOSE, so once it shows SC_CLOSE was handled.
    ATOM marker = GlobalAddAtomA("after close");
    uitest::PostTestWindowCommand(original, uitest::TestWindowCommand::Retitle, marker);
    ASSERT_TRUE(uitest::WaitUntil([&] { return uitest::Text(original) == "after close"; }));
    GlobalDeleteAtom(marker);
    EXPECT_EQ(GetPropA(original, "TestSysCloseCount"), reinterpret_cast<HANDLE>(1));

    // What the owner does with a closed entry whose original survived.
    EXPECT_TRUE(object->GiveBack());
    list_.clear();
    EXPECT_FALSE(IsWindow(pseudo)) << "the object takes its pseudo window along";
    EXPECT_TRUE(WindowHider::IsOriginalShown(original));
    EXPECT_FALSE(uitest::HasExStyle(original, WS_EX_LAYERED)) << "an invisible survivor would be lost";
    EXPECT_EQ(GetPropA(original, kPropPseudoWindow), nullptr);
    EXPECT_EQ(GetPropA(original, kPropPseudoWindowObject), nullptr);
}

TEST_F(PseudoWindowTest, ClosingLetsAWillingOriginalCloseAndTheLookSeesItGo) {
    HWND original = startOriginal("");
    HWND other = startOriginal("");
    auto object = attach(original);
    auto bystander = attach(other);
    ASSERT_TRUE(object && bystander);
    SendMessageA(object->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(originals_.front().process.WaitExit(5000));
    EXPECT_TRUE(object->OriginalStateChanged()) << "the once-a-second look misses a destroyed original";
    EXPECT_FALSE(bystander->OriginalStateChanged());
}

TEST_F(PseudoWindowTest, GivingBackLeavesEveryOriginalAsItWas) {
    HWND plain = startOriginal("");
    HWND layered = startOriginal("--layered");
    const DWORD plainStyle = exStyle(plain), layeredStyle = exStyle(layered);
    auto shrunk = attachShrunk(plain);
    auto restored = attach(layered);
    ASSERT_TRUE(shrunk && restored);
    ASSERT_EQ(uitest::LayeredAlpha(plain), 0);
    const HWND pseudo = shrunk->Handle();

    EXPECT_EQ(WindowHider::GiveBackAll({plain, layered}), 0u);
    list_.clear();
    EXPECT_FALSE(IsWindow(pseudo));
    EXPECT_EQ(exStyle(plain), plainStyle);
    EXPECT_EQ(exStyle(layered), layeredStyle);
    EXPECT_EQ(uitest::LayeredAlpha(layered), 255);
    for (HWND w : {plain, layered}) {
        EXPECT_EQ(propertyNames(w), std::set<std::string>{kPropTransparency});
        EXPECT_TRUE(WindowHider::IsOriginalShown(w));
    }
}

TEST_F(PseudoWindowTest, WheelMakesAnOpaquePseudoWindowTranslucentWithinLimits) {
    HWND original = startOriginal("");
    Rule rule = framelessRule();
    rule.Transparency = 75;
    auto object = attach(original, rule);
    ASSERT_TRUE(object);
    HWND pseudo = object->Handle();
    ASSERT_FALSE(uitest::HasExStyle(pseudo, WS_EX_LAYERED));

    SendMessageA(pseudo, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(uitest::LayeredAlpha(pseudo), 51);  // 85 is held at 80
    EXPECT_TRUE(object->GetRule().Transparent);
    SendMessageA(pseudo, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(object->GetRule().Transparency, 70);
    EXPECT_EQ(uitest::LayeredAlpha(pseudo), 77);
}

TEST_F(PseudoWindowTest, ClicksReachTheOwnerOnlyForLeftClickRulesAndSoDoesTheQuickEdit) {
    HWND a = startOriginal("");
    HWND b = startOriginal("");
    Rule click = framelessRule();
    click.StretchRestoreMethod = RestoreLeftClick;
    auto clickObject = attach(a, click);
    auto hoverObject = attach(b);
    ASSERT_TRUE(clickObject && hoverObject);

    SendMessageA(hoverObject->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(host_.received.empty());
    SendMessageA(clickObject->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(hoverObject->Handle(), WM_SYSCOMMAND, kQuickEditCommand, 0);
    EXPECT_EQ(host_.received, (std::vector<RecordingHost::Received>{{RecordingHost::Clicked, clickObject},
                                                                     {RecordingHost::EditRequested, hoverObject}}));
}

TEST_F(PseudoWindowTest, UserResizeIsLearnedAndRecapturedButPlacementIsNot) {
    HWND original = startOriginal("--color 00FF00", kGreen);
    Rule rule;
    rule.Frame = false;
    rule.Coratio = true;
    rule.StretchHeightUnit = UnitPixel;
    rule.StretchHeight = 80;
    auto object = attachShrunk(original, rule);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->GetRule(), rule) << "placement must not be learned";

    RECT client{};
    GetClientRect(original, &client);
    SetWindowPos(object->Handle(), nullptr, 0, 0, 100, 70, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(object->GetRule().StretchWidth, static_cast<int>(100.0 / client.right * 100));
    EXPECT_EQ(object->GetRule().StretchHeight, 70);
    EXPECT_FALSE(object->GetRule().Coratio);
    EXPECT_TRUE(uitest::WaitUntil([&] { return clientPixel(object->Handle()) == kGreen; }));
}

TEST_F(PseudoWindowTest, CtrlSizingFromTheLeftEdgeMovesTheTopEdge) {
    HWND original = startOriginal("");
    Rule rule;
    rule.Frame = false;
    auto object = attach(original, rule);
    ASSERT_TRUE(object);
    RECT client{};
    GetClientRect(original, &client);

    const RECT proposed{100, 100, 100 + client.right / 2, 400};
    RECT r = proposed;
    EXPECT_EQ(SendMessageA(object->Handle(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r)), TRUE);
    EXPECT_TRUE(sameRect(r, proposed)) << "without Ctrl the rectangle stays";

    CtrlHeld ctrl;
    ASSERT_TRUE(uitest::WaitUntil([] { return GetAsyncKeyState(VK_CONTROL) != 0; }));
    SendMessageA(object->Handle(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.bottom, proposed.bottom);
    EXPECT_EQ(r.left, proposed.left);
    EXPECT_EQ(r.right, proposed.right);
    EXPECT_NEAR(r.bottom - r.top, client.bottom / 2, 1);
}

TEST_F(PseudoWindowTest, MarksOnTheOriginalAreWrittenForOthersAndNeverSteerTheObject) {
    HWND a = startOriginal("");
    HWND decoy = startOriginal("");
    auto object = attach(a);
    ASSERT_TRUE(object);
    // Another process, or a run that ended, may leave anything there.
    SetPropA(a, kPropPseudoWindow, decoy);
    SetPropA(a, kPropPseudoWindowObject, reinterpret_cast<HANDLE>(0x12345678));

    object->Shrink();
    EXPECT_EQ(uitest::LayeredAlpha(a), 0);
    EXPECT_TRUE(IsWindowVisible(object->Handle()));
    EXPECT_EQ(uitest::LayeredAlpha(decoy), -1) << "the decoy was changed";
    object->Restore();
    EXPECT_EQ(uitest::LayeredAlpha(a), 255);
    EXPECT_FALSE(IsWindowVisible(object->Handle()));
}

// A program running with higher rights refuses Quillora's first change on
// its window (user interface privilege isolation, which Wine lacks).
class RefusedPseudoWindow : public PseudoWindow {
public:
    using PseudoWindow::PseudoWindow;

protected:
    bool markOriginal(HWND) override {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
};

TEST_F(PseudoWindowTest, AnOriginalThatRefusesItsMarkIsLeftUntouchedAndItsStandInGoes) {
    HWND original = startOriginal("");
    const DWORD before = exStyle(original);
    auto object = std::make_unique<RefusedPseudoWindow>(host_, original, framelessRule());
    EXPECT_EQ(object->Create(), PseudoWindow::Created::Refused);
    const HWND pseudo = object->Handle();
    object.reset();
    EXPECT_FALSE(IsWindow(pseudo));
    EXPECT_EQ(exStyle(original), before) << "layered though refused";
    EXPECT_TRUE(propertyNames(original).empty());
}
