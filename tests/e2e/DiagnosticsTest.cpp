// What the program tells a debug-output viewer: it runs here as the debuggee
// of the test, which collects every OutputDebugString line as a debugger does.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "app/Messages.h"
#include "common/Running.h"

using namespace uitest;

namespace {

// Starts a program under a debugger thread of its own (only the thread that
// created a debuggee may wait for its events) and keeps its debug output.
class DebuggedProgram {
public:
    DebuggedProgram(const std::string& exe, const std::string& dir) : thread_([=, this] { run(exe, dir); }) {
        WaitUntil([this] { return pid_ != 0 || ended_; });
    }
    ~DebuggedProgram() {
        stop_ = true;
        thread_.join();
    }
    DebuggedProgram(const DebuggedProgram&) = delete;
    DebuggedProgram& operator=(const DebuggedProgram&) = delete;

    DWORD Pid() const { return pid_; }
    bool Ended() const { return ended_; }
    std::string Output() {
        std::lock_guard<std::mutex> lock(mutex_);
        return output_;
    }

private:
    void run(const std::string& exe, const std::string& dir) {
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                            dir.c_str(), &si, &pi)) {
            ended_ = true;
            return;
        }
        CloseHandle(pi.hThread);
        pid_ = pi.dwProcessId;
        bool killed = false;
        while (!ended_) {
            if (stop_ && !killed) killed = TerminateProcess(pi.hProcess, 1) != FALSE;
            DEBUG_EVENT event{};
            if (!WaitForDebugEvent(&event, 100)) continue;
            handle(event, pi.hProcess);
            // Exceptions other than the loader's breakpoint go on to the
            // program's own handlers, as without a debugger.
            const bool passOn = event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                                event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, passOn ? DBG_EXCEPTION_NOT_HANDLED : DBG_CONTINUE);
        }
        CloseHandle(pi.hProcess);
    }

    void handle(const DEBUG_EVENT& event, HANDLE process) {
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
            std::string text(info.nDebugStringLength, '\0');
            SIZE_T read = 0;
            if (!info.fUnicode &&
                ReadProcessMemory(process, info.lpDebugStringData, text.data(), text.size(), &read)) {
                text.resize(read);
                std::lock_guard<std::mutex> lock(mutex_);
                output_ += text.c_str();
            }
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT: ended_ = true; break;
        default: break;
        }
    }

    std::mutex mutex_;
    std::string output_;
    std::atomic<DWORD> pid_{0};
    std::atomic<bool> ended_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

// A program that drops the layered style of its own window (as some do after
// a fade) leaves Quillora unable to make it opaque or transparent: the user
// learns which window and why from the debug output, and nothing is logged
// while everything works.
TEST(Diagnostics, AFailedAlphaChangeReachesTheDebuggerWithTheWindow) {
    FocusSink sink;
    TestWindow original = StartTestWindow("--title DiagnosedWindow --x 40 --y 40 --w 400 --h 300");
    ASSERT_NE(original.hwnd, nullptr);
    Sandbox box;
    box.WriteIni("[Quillora]\r\nActiveRestore=1\r\n" +
                 RuleSection(1, {"Explanation=diag", "Title=DiagnosedWindow", "MatchMethod=0", "StretchWidth=200",
                                 "StretchHeight=150", "StretchWidthUnit=1", "StretchHeightUnit=1"}));
    DebuggedProgram quillora(box.Dir() + "\\Quillora.exe", box.Dir());
    ASSERT_NE(quillora.Pid(), 0u);
    HWND mainWindow = FindWindowOf(quillora.Pid(), "Quillora", 30000);
    ASSERT_NE(mainWindow, nullptr);
    sink.Take();
    ASSERT_TRUE(WaitFor([&] { return IsShrunk(original.hwnd); }));
    EXPECT_EQ(quillora.Output().find("SetLayeredWindowAttributes"), std::string::npos) << quillora.Output();

    SetWindowLongA(original.hwnd, GWL_EXSTYLE, GetWindowLongA(original.hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    PostMessageA(mainWindow, WM_COMMAND, quillora::ID_EXIT, 0);  // Exit gives every window back
    ASSERT_TRUE(WaitUntil([&] { return quillora.Ended(); }, 15000));

    char expected[96] = {};
    wsprintfA(expected, "Quillora: SetLayeredWindowAttributes(%08lX, alpha 255) failed (error ",
              HandleToULong(original.hwnd));
    EXPECT_NE(quillora.Output().find(expected), std::string::npos) << quillora.Output();
    EXPECT_TRUE(IsReleased(original.hwnd));
}
