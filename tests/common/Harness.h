// Helpers for tests that run the real programs: temporary program folders,
// child processes, window lookups and waiting with deadlines.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/Pump.h"
#include "common/TestWindowCommands.h"

namespace uitest {

// Folder that holds the test executable and the built programs.
std::string BinDir();

// UTF-8 text of the source converted to the ANSI code page the programs use
// (932 under the test locale).
std::string Ansi(const char* utf8);

// Waiting with deadlines: WaitUntil and WaitFor (common/Pump.h).

class Process {
public:
    Process() = default;
    Process(HANDLE process, DWORD pid) : handle_(process), pid_(pid) {}
    ~Process() { Kill(); }
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    DWORD Id() const { return pid_; }
    HANDLE Handle() const { return handle_; }
    bool Running() const;
    // Waits for the exit; returns false on time-out. code gets the exit code.
    bool WaitExit(int timeoutMs, DWORD* code = nullptr);
    void Kill();

private:
    HANDLE handle_ = nullptr;
    DWORD pid_ = 0;
};

Process Start(const std::string& exe, const std::string& args, const std::string& workDir = "");
Process Start(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir);

// A fresh folder with copies of Quillora.exe and QuilloraHelper.dll.
class Sandbox {
public:
    // `suffix` ends the folder's name; it may hold characters the ANSI code
    // page has not, which Dir() and IniPath() then show as '?'.
    explicit Sandbox(const std::wstring& suffix = L"");
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& Dir() const { return dir_; }
    std::string IniPath() const { return dir_ + "\\Quillora.ini"; }
    void WriteIni(const std::string& text) const;
    std::string ReadIni() const;  // empty when missing
    bool IniExists() const;
    Process StartQuillora() const;

private:
    std::wstring file(const wchar_t* name) const { return wideDir_ + L"\\" + name; }

    std::wstring wideDir_;
    std::string dir_;
};

// Top-level windows of a process, optionally of one class.
std::vector<HWND> WindowsOf(DWORD pid, const char* className = nullptr);
HWND FindWindowOf(DWORD pid, const char* className, int timeoutMs = 5000);
std::string Text(HWND hwnd);
std::string ClassOf(HWND hwnd);

// The main window of a running Quillora (class "Quillora").
HWND WaitMainWindow(const Process& quillora, int timeoutMs = 30000);

// Message boxes: the "#32770" dialog of a process, its caption and text.
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
};
MessageBoxInfo WaitMessageBox(DWORD pid, int timeoutMs = 10000);
void PressButton(HWND dialog, int id);

// A visible dialog ("#32770") of the process with that title, or null.
HWND WaitDialog(DWORD pid, const std::string& title, int timeoutMs = 10000);
// A control somewhere below `dialog` (pages sit inside tab controls).
HWND Control(HWND dialog, int id);
// A control's text, asked from its process (GetWindowText does not ask).
std::string ControlText(HWND control);

// A test window (tests/tools/testwin.cpp) run as another application.
struct TestWindow {
    Process process;
    HWND hwnd = nullptr;
};
// Returns once the window is shown (testwin creates it hidden and shows it
// afterwards), or once it exists when `waitShown` is false (hidden windows,
// or one shown later).
TestWindow StartTestWindow(const std::string& args, bool waitShown = true);

// Reads a window property; 0 when absent.
inline HANDLE Prop(HWND hwnd, const char* name) { return GetPropA(hwnd, name); }
// The window's layered alpha, or -1 when it is not layered or unreadable.
int LayeredAlpha(HWND hwnd);
bool HasExStyle(HWND hwnd, DWORD bits);
RECT WindowRect(HWND hwnd);
// The middle of the window rectangle, where a user rests the cursor.
POINT Centre(HWND hwnd);

}  // namespace uitest
