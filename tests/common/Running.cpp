#include "common/Running.h"

#include <tlhelp32.h>

#include <sstream>

#include "app/Messages.h"

namespace uitest {

std::string RuleSection(int n, const std::vector<std::string>& keys) {
    std::ostringstream s;
    s << "[Rule" << n << "]\r\n";
    for (const std::string& key : keys) s << key << "\r\n";
    return s.str();
}

std::string Globals(int activeRestore, int margin, int sensitivity) {
    return "[Quillora]\r\nActiveRestore=" + std::to_string(activeRestore) + "\r\nMergin=" + std::to_string(margin) +
           "\r\nSensitivity=" + std::to_string(sensitivity) + "\r\n";
}

std::string TitleRule(int n, const std::string& title, const std::string& validness) {
    return RuleSection(n, {"Explanation=" + title, "Title=" + title, "MatchMethod=0", "Validness=" + validness});
}

std::string PixelRule(int n, const std::string& title, int direction, const std::string& extra) {
    std::vector<std::string> keys = {"Explanation=" + title, "Title=" + title, "MatchMethod=0",
                                     "StretchWidth=200",     "StretchHeight=150", "StretchWidthUnit=1",
                                     "StretchHeightUnit=1",  "StretchDirection=" + std::to_string(direction)};
    if (!extra.empty()) keys.push_back(extra);
    return RuleSection(n, keys);
}

std::string WindowSpec::Args() const {
    std::string args = "--title " + title + " --x " + std::to_string(x) + " --y " + std::to_string(y) + " --w " +
                       std::to_string(width) + " --h " + std::to_string(height);
    return more.empty() ? args : args + " " + more;
}

TestWindow SmallTestWindow(const std::string& title, int x, int y, const std::string& more) {
    return StartTestWindow(WindowSpec{title, x, y, 300, 200, more}.Args());
}

ShrunkWindow::ShrunkWindow(const std::string& ini, Made made, const WindowSpec& spec)
    : window(made == Made::BeforeQuillora ? StartTestWindow(spec.Args()) : TestWindow{}), q(ini) {
    if (made == Made::AfterQuillora && q.Ok()) window = StartTestWindow(spec.Args());
}

bool ShrunkWindow::Ready() {
    if (!window.hwnd || !q.Ok()) return false;
    sink.Take();
    return WaitFor([&] { return IsShrunk(window.hwnd); });
}

RunningQuillora::RunningQuillora(const std::string& ini, const std::wstring& folderSuffix) : box_(folderSuffix) {
    box_.WriteIni(ini);
    Restart();
}

RunningQuillora::~RunningQuillora() {
    if (process_.Running()) Exit();
}

LRESULT RunningQuillora::Send(UINT msg, WPARAM wp, LPARAM lp) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(mainWindow_, msg, wp, lp, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

bool RunningQuillora::Exit(DWORD* code) {
    PostMessageA(mainWindow_, WM_COMMAND, quillora::ID_EXIT, 0);
    return process_.WaitExit(15000, code);
}

bool RunningQuillora::Restart() {
    process_ = box_.StartQuillora();
    mainWindow_ = process_ ? WaitMainWindow(process_) : nullptr;
    return mainWindow_ != nullptr;
}

Process GuardOf(const Process& quillora) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return {};
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD guard = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !guard; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == quillora.Id() && lstrcmpiA(entry.szExeFile, "Quillora.exe") == 0) {
            guard = entry.th32ProcessID;
        }
    }
    CloseHandle(snapshot);
    HANDLE process = guard ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, guard) : nullptr;
    return process ? Process(process, guard) : Process();
}

HWND PseudoOf(HWND original) { return static_cast<HWND>(GetPropA(original, "PseudoWindow")); }

bool IsShrunk(HWND original) {
    HWND pseudo = PseudoOf(original);
    return pseudo && LayeredAlpha(original) == 0 && IsWindowVisible(pseudo);
}

bool IsRestored(HWND original) {
    HWND pseudo = PseudoOf(original);
    return pseudo && IsWindow(pseudo) && LayeredAlpha(original) == 255 && !IsWindowVisible(pseudo);
}

bool IsReleased(HWND original, bool wasLayered) {
    const bool layered = HasExStyle(original, WS_EX_LAYERED);
    return !PseudoOf(original) && !GetPropA(original, "PseudoWindowObject") && layered == wasLayered &&
           (!layered || LayeredAlpha(original) == 255);
}

namespace {
LRESULT CALLBACK sinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd, msg, wp, lp); }
}  // namespace

FocusSink::FocusSink() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = sinkProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "QuilloraTestFocusSink";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "Focus sink", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 900, 700, 300, 250,
                            nullptr, nullptr, wc.hInstance, nullptr);
    Pump(50);
}

FocusSink::~FocusSink() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void FocusSink::Take() {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RECT rc = WindowRect(hwnd_);
    MoveCursor((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    // Under Wine a window started just before may still take the focus when
    // its X focus event arrives: insist until the sink has stayed in front
    // for a while.
    int stable = 0;
    for (int i = 0; i < 250 && stable < 8; ++i) {
        if (GetForegroundWindow() == hwnd_) {
            ++stable;
        } else {
            stable = 0;
            SetForegroundWindow(hwnd_);
        }
        Pump(20);
    }
}

bool Answers(HWND hwnd, UINT timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

bool Hang(const TestWindow& w, int ms) {
    PostTestWindowCommand(w.hwnd, TestWindowCommand::StopAnswering, ms);
    return WaitUntil([&] { return !Answers(w.hwnd, 50); }, 2000);
}

void MoveCursor(int x, int y) { SetCursorPos(x, y); }

void MouseButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

}  // namespace uitest
