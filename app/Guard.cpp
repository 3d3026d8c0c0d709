#include "app/Guard.h"

#include <windows.h>

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Recovery.h"
#include "win/Log.h"

namespace quillora {

namespace {

constexpr std::string_view kGuardSwitch = "/guard";
// Originals of programs that do not answer keep their marks for a while;
// they are tried again for at most this long.
constexpr DWORD kRetryPeriodMs = 30000;

// A copy of one of this process's handles that the guard inherits, with only
// the rights the guard needs.
win::KernelHandle inheritableCopy(HANDLE source, DWORD access) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), source, GetCurrentProcess(), &copy, access, TRUE, 0)) return {};
    return win::KernelHandle(copy);
}

// Wide: the program may be kept in a folder named in any script.
std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The attribute list that limits what the guard inherits to exactly the
// handles given (nothing else this process opened as inheritable).
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                       handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
            DeleteProcThreadAttributeList(std::exchange(list_, nullptr));
        }
    }
    ~InheritedHandles() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

private:
    std::vector<HANDLE> handles_;  // the list points into it
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

std::wstring handleText(HANDLE h) { return std::to_wstring(reinterpret_cast<std::uintptr_t>(h)); }

// Reads the next number of the command line; false on anything else.
bool nextHandle(std::string_view& text, HANDLE& out) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    std::uintptr_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value == 0) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    out = reinterpret_cast<HANDLE>(value);
    return true;
}

// The two handles of the command line, each checked for what it must be:
// a process handle to wait on and a waitable object. Nothing else is taken.
bool parseGuardArguments(std::string_view text, HANDLE& process, HANDLE& normalExit) {
    text.remove_prefix(kGuardSwitch.size());
    if (!nextHandle(text, process) || !nextHandle(text, normalExit)) return false;
    if (text.find_first_not_of(' ') != std::string_view::npos || process == normalExit) return false;
    return GetProcessId(process) != 0 && WaitForSingleObject(process, 0) != WAIT_FAILED &&
           WaitForSingleObject(normalExit, 0) != WAIT_FAILED;
}

}  // namespace

Guard Guard::Start() {
    Guard guard;
    win::KernelHandle normalExit(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!normalExit) {
        win::LogFailure("CreateEventA (guard)");
        return guard;
    }
    win::KernelHandle self = inheritableCopy(GetCurrentProcess(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
    win::KernelHandle exitForGuard = inheritableCopy(normalExit.get(), SYNCHRONIZE);
    if (!self || !exitForGuard) {
        win::LogFailure("DuplicateHandle (guard)");
        return guard;
    }
    InheritedHandles inherited({self.get(), exitForGuard.get()});
    if (!inherited.get()) {
        win::LogFailure("UpdateProcThreadAttribute (guard)");
        return guard;
    }
    const std::wstring exe = modulePath();
    std::wstring commandLine = L"\"" + exe + L"\" " + std::wstring(kGuardSwitch.begin(), kGuardSwitch.end()) + L" " +
                               handleText(self.get()) + L" " + handleText(exitForGuard.get());
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    si.StartupInfo.dwFlags = STARTF_FORCEOFFFEEDBACK;  // no busy cursor for a process that shows nothing
    si.lpAttributeList = inherited.get();
    PROCESS_INFORMATION pi{};
    if (exe.empty() || !CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                       EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &si.StartupInfo, &pi)) {
        win::LogFailure("CreateProcessW (guard)");
        return guard;
    }
    win::KernelHandle guardProcess(pi.hProcess), guardThread(pi.hThread);
    guard.normalExit_ = std::move(normalExit);
    return guard;
}

void Guard::SignalNormalExit() {
    if (normalExit_) SetEvent(normalExit_.get());
}

bool IsGuardCommandLine(const char* commandLine) {
    const std::string_view text = commandLine ? commandLine : "";
    return text.substr(0, kGuardSwitch.size()) == kGuardSwitch &&
           (text.size() == kGuardSwitch.size() || text[kGuardSwitch.size()] == ' ');
}

int RunGuard(const char* commandLine) {
    HANDLE process = nullptr, normalExit = nullptr;
    if (!parseGuardArguments(commandLine, process, normalExit)) return 0;
    const win::KernelHandle processHandle(process), normalExitHandle(normalExit);
    // The normal exit first: once it is signalled nothing is left to do,
    // whether or not the process has ended yet.
    const HANDLE waits[] = {normalExit, process};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0 + 1 || WaitForSingleObject(normalExit, 0) == WAIT_OBJECT_0) return 0;
    RecoverAbandonedOriginalsWithin(kRetryPeriodMs);
    return 0;
}

}  // namespace quillora
