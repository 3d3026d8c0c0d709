#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string_view>

#include "app/Guard.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/Recovery.h"
#include "hook/QuilloraHelper.h"
#include "res/resource.h"
#include "rules/SettingsStore.h"
#include "ui/Dialogs.h"
#include "win/Dpi.h"
#include "win/Log.h"
#include "win/ResourceString.h"

namespace {

static_assert(std::string_view(quillora::kMainWindowClass) == QUILLORA_MAIN_WINDOW_CLASS,
              "the hook reports only to windows of this class");

// Kept open until the process ends; its existence marks the running instance.
bool claimSingleInstance() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, quillora::kMutexName);
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        win::ShowMessageBox(nullptr, IDS_ALREADY_RUNNING, IDS_PROGRAM_NAME, MB_OK);
        return false;
    }
    return true;
}

// A rule of the settings file that fails validation is kept as it is, and
// the user is told which one.
void warnInvalidRule(const quillora::Rule& rule) {
    win::ShowMessageBox(nullptr, win::FormatResourceString(IDS_INVALID_RULE, rule.Explanation.c_str()),
                        IDS_PROGRAM_NAME, MB_OK | MB_ICONWARNING);
}

// COM on this thread for as long as the object lives.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

// The global shell hook, reporting to `target`, installed from a thread of
// its own that does nothing but pump messages, for as long as the object
// lives. In a program of the other bitness, where the library cannot be
// loaded, the system runs the hook on the installing thread and that program
// waits until the thread pumps: this one never captures, prints or waits on
// a lock, and its report reaches the main window with the same bounded send
// as from every other program.
class ShellHookThread {
public:
    explicit ShellHookThread(HWND target)
        : target_(target), ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        if (!ready_) {
            win::LogFailure("CreateEventA (shell hook)");
            return;
        }
        DWORD id = 0;
        thread_.reset(CreateThread(nullptr, 0, threadProc, this, 0, &id));
        if (!thread_) {
            win::LogFailure("CreateThread (shell hook)");
            return;
        }
        threadId_ = id;
        const HANDLE waits[] = {ready_.get(), thread_.get()};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
    // The hook is removed on its thread, which then ends.
    ~ShellHookThread() {
        if (!thread_) return;
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        // The thread may be inside a report to this thread meanwhile: take
        // sent messages while waiting, so that it is not held up.
        const HANDLE thread = thread_.get();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    ShellHookThread(const ShellHookThread&) = delete;
    ShellHookThread& operator=(const ShellHookThread&) = delete;

private:
    static DWORD WINAPI threadProc(LPVOID param) noexcept {
        auto* self = static_cast<ShellHookThread*>(param);
        MSG msg;
        // The queue exists before the constructor returns, so the quit
        // message cannot be posted too early.
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        const bool installed = InitializeHelper(self->target_) == 1;
        // Without the hook, windows that appear later are not shrunk; those
        // found at start and at every resume still are.
        if (!installed) win::LogFailure("InitializeHelper (SetWindowsHookExA)");
        SetEvent(self->ready_.get());
        if (!installed) return 0;
        // No window lives on this thread: the loop only lets the system's
        // calls of the hook in.
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        UninitializeHelper();
        return 0;
    }

    HWND target_;
    win::KernelHandle ready_;
    win::KernelHandle thread_;
    DWORD threadId_ = 0;
};

void runMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Everything between the claim of the single instance and the normal end;
// returns the exit code.
int runGuarded(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES;
    InitCommonControlsEx(&icc);

    const ComApartment com;
    quillora::SettingsStore store;
    store.Initialize(instance);
    store.Load(warnInvalidRule);

    quillora::MainWindow mainWindow(store);
    if (!mainWindow.Create()) {
        // Nothing was shrunk yet; without its window the program can do nothing.
        win::ShowMessageBox(nullptr, IDS_NO_MAIN_WINDOW, IDS_PROGRAM_NAME, MB_OK | MB_ICONERROR);
        return 1;
    }
    {
        const ShellHookThread hook(mainWindow.Handle());
        // After the hook: windows that open while the shell is not ready
        // for the icon are shrunk all the same.
        mainWindow.AddTrayIcon();
        runMessageLoop();
        // The icon goes first, as soon as the user has chosen Exit.
        mainWindow.DeleteTrayIcon();
    }
    if (!store.SaveAtExit()) win::Log("the settings file was not written at exit");
    // Originals whose program did not answer are opaque already; they get
    // their style back if it answers soon, else from the next start.
    quillora::RecoverAbandonedOriginalsWithin(3000);
    return 0;
}

int run(HINSTANCE instance) {
    // Before the first window or measurement: everything is physical pixels.
    win::EnableDpiAwareness();
    if (!claimSingleInstance()) return 0;
    quillora::InstallFailureRecovery();
    quillora::Guard guard = quillora::Guard::Start();
    const int exitCode = runGuarded(instance);
    // Everything is given back and saved; a failure above never gets here
    // (it gives the windows back itself, and the guard does it once more).
    guard.SignalNormalExit();
    return exitCode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    try {
        if (quillora::IsGuardCommandLine(commandLine)) return quillora::RunGuard(commandLine);
        return run(instance);
    } catch (...) {
        win::failAtBoundary();
    }
}
