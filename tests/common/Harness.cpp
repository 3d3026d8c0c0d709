#include "common/Harness.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>

#include "common/Pump.h"

namespace uitest {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    PathRemoveFileSpecA(path);
    return path;
}

namespace {
std::wstring wide(const std::string& ansi) {
    std::wstring text(ansi.size(), L'\0');
    text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                             text.data(), static_cast<int>(text.size()))));
    return text;
}
}  // namespace

std::string Ansi(const char* utf8) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), wide);
    int bytes = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

Process::Process(Process&& other) noexcept : handle_(other.handle_), pid_(other.pid_) {
    other.handle_ = nullptr;
    other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        handle_ = other.handle_;
        pid_ = other.pid_;
        other.handle_ = nullptr;
        other.pid_ = 0;
    }
    return *this;
}

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::WaitExit(int timeoutMs, DWORD* code) {
    if (!handle_) return true;
    if (WaitForSingleObject(handle_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(handle_, code);
    return true;
}

void Process::Kill() {
    if (!handle_) return;
    if (Running()) {
        TerminateProcess(handle_, 99);
        WaitForSingleObject(handle_, 5000);
    }
    CloseHandle(handle_);
    handle_ = nullptr;
}

Process Start(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir) {
    std::wstring commandLine = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
        return {};
    }
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

Process Start(const std::string& exe, const std::string& args, const std::string& workDir) {
    return Start(wide(exe), wide(args), wide(workDir));
}

Sandbox::Sandbox(const std::wstring& suffix) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    for (;;) {
        const std::wstring name = temp + std::wstring(L"quillora-e2e-") + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(++counter) + suffix;
        if (CreateDirectoryW(name.c_str(), nullptr)) {
            wideDir_ = name;
            break;
        }
    }
    dir_.resize(wideDir_.size() * 2);
    dir_.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wideDir_.data(),
                                                             static_cast<int>(wideDir_.size()), dir_.data(),
                                                             static_cast<int>(dir_.size()), nullptr, nullptr)));
    const std::wstring bin = wide(BinDir());
    for (const wchar_t* name : {L"Quillora.exe", L"QuilloraHelper.dll"}) {
        CopyFileW((bin + L"\\" + name).c_str(), file(name).c_str(), FALSE);
    }
}

Sandbox::~Sandbox() {
    for (const wchar_t* name : {L"Quillora.exe", L"QuilloraHelper.dll", L"Quillora.ini"}) {
        const std::wstring path = file(name);
        for (int i = 0; i < 50 && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
            if (DeleteFileW(path.c_str())) break;
            Sleep(20);
        }
    }
    RemoveDirectoryW(wideDir_.c_str());
}

void Sandbox::WriteIni(const std::string& text) const {
    std::ofstream out(file(L"Quillora.ini").c_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

std::string Sandbox::ReadIni() const {
    std::ifstream in(file(L"Quillora.ini").c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Sandbox::IniExists() const { return GetFileAttributesW(file(L"Quillora.ini").c_str()) != INVALID_FILE_ATTRIBUTES; }

Process Sandbox::StartQuillora() const { return Start(file(L"Quillora.exe"), L"", wideDir_); }

namespace {
struct EnumState {
    DWORD pid;
    const char* className;
    std::vector<HWND>* out;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
    auto* state = reinterpret_cast<EnumState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state->pid && (!state->className || ClassOf(hwnd) == state->className)) state->out->push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOf(DWORD pid, const char* className) {
    std::vector<HWND> out;
    EnumState state{pid, className, &out};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&state));
    return out;
}

HWND FindWindowOf(DWORD pid, const char* className, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto windows = WindowsOf(pid, className);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::string Text(HWND hwnd) {
    char buffer[2048] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

std::string ClassOf(HWND hwnd) {
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

HWND WaitMainWindow(const Process& quillora, int timeoutMs) { return FindWindowOf(quillora.Id(), "Quillora", timeoutMs); }

MessageBoxInfo WaitMessageBox(DWORD pid, int timeoutMs) {
    MessageBoxInfo info;
    // Found only once it is shown: while it is being built its caption and
    // text (the static control with id 0xFFFF) may still be empty.
    WaitUntil(
        [&] {
            for (HWND hwnd : WindowsOf(pid, "#32770")) {
                if (IsWindowVisible(hwnd) && GetDlgItem(hwnd, 0xFFFF)) {
                    info.hwnd = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (!info.hwnd) return info;
    info.caption = Text(info.hwnd);
    info.text = Text(GetDlgItem(info.hwnd, 0xFFFF));
    return info;
}

void PressButton(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

HWND WaitDialog(DWORD pid, const std::string& title, int timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : WindowsOf(pid, "#32770"))
                if (Text(w) == title && IsWindowVisible(w)) found = w;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND Control(HWND dialog, int id) {
    struct Search {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(w) == s->id && ClassOf(w) != "#32770") {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string ControlText(HWND control) {
    char text[1024] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

TestWindow StartTestWindow(const std::string& args, bool waitShown) {
    constexpr int timeoutMs = 10000;
    TestWindow tw;
    tw.process = Start(BinDir() + "\\testwin.exe", args);
    if (!tw.process) return tw;
    WaitUntil(
        [&] {
            for (HWND hwnd : WindowsOf(tw.process.Id())) {
                if (ClassOf(hwnd) != "IME" && ClassOf(hwnd) != "OleMainThreadWndClass" && Text(hwnd) != "Default IME") {
                    // The test window is the only one created with a frame
                    // (its owner, with --owned, has none).
                    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) {
                        tw.hwnd = hwnd;
                        return true;
                    }
                }
            }
            return false;
        },
        timeoutMs);
    if (tw.hwnd && waitShown) WaitUntil([&] { return IsWindowVisible(tw.hwnd) != FALSE; }, timeoutMs);
    return tw;
}

int LayeredAlpha(HWND hwnd) {
    if (!HasExStyle(hwnd, WS_EX_LAYERED)) return -1;
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags)) return -1;
    return alpha;
}

bool HasExStyle(HWND hwnd, DWORD bits) {
    return (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)) & bits) == bits;
}

RECT WindowRect(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc;
}

POINT Centre(HWND hwnd) {
    const RECT rc = WindowRect(hwnd);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace uitest
