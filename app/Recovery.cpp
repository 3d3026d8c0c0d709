#include "app/Recovery.h"

#include <windows.h>

#include <exception>
#include <vector>

#include "app/Messages.h"
#include "pseudo/MarkedWindow.h"
#include "pseudo/WindowHider.h"
#include "win/Handles.h"
#include "win/Log.h"
#include "win/Window.h"

namespace quillora {

namespace {

using OrphanTest = bool (*)(HWND original);

struct Scan {
    OrphanTest isOrphan;
    std::vector<HWND> found;
};

BOOL CALLBACK collectOrphans(HWND hwnd, LPARAM lp) {
    auto* scan = reinterpret_cast<Scan*>(lp);
    if (MarkedWindow(hwnd).Pseudo() && scan->isOrphan(hwnd)) scan->found.push_back(hwnd);
    return TRUE;
}

// A killed Quillora's guard and the next start may both find the same
// windows. Giving one back is several steps (its look, its style, its marks),
// and a second process that read the marks halfway through the first one's
// steps would undo them: take a window's own look for gone and set it opaque,
// or take a window that was layered of its own for one made layered by us.
// So the processes take turns, a pass each. A pass waits only for programs
// that answer within 100 ms, so the turn comes quickly; should it not, the
// pass goes ahead rather than leave windows invisible.
class GiveBackTurn {
public:
    GiveBackTurn() : mutex_(CreateMutexA(nullptr, FALSE, kGiveBackMutexName)) {
        if (!mutex_) {
            win::LogFailure("CreateMutexA(Quillora.GiveBack)");
            return;
        }
        const DWORD waited = WaitForSingleObject(mutex_.get(), kPatienceMs);
        // Abandoned: the last holder was killed halfway through its pass,
        // which this one finishes.
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        if (!held_) win::Log("giving back without waiting any longer for another Quillora's turn");
    }
    ~GiveBackTurn() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    GiveBackTurn(const GiveBackTurn&) = delete;
    GiveBackTurn& operator=(const GiveBackTurn&) = delete;

private:
    static constexpr DWORD kPatienceMs = 2000;
    win::KernelHandle mutex_;
    bool held_ = false;
};

std::size_t releaseAll(OrphanTest test, std::vector<HWND>* givenBack = nullptr) {
    const GiveBackTurn turn;
    Scan scan{test, {}};
    EnumWindows(collectOrphans, reinterpret_cast<LPARAM>(&scan));
    const std::size_t waiting = WindowHider::GiveBackAll(scan.found);
    if (givenBack) {
        for (HWND original : scan.found) {
            if (!MarkedWindow(original).Pseudo()) givenBack->push_back(original);
        }
    }
    return waiting;
}

bool pseudoIsGone(HWND original) { return !MarkedWindow(original).LivePseudo(); }

// Gone, or alive in this (failing) process.
bool pseudoIsOurs(HWND original) {
    const MarkedWindow marks(original);
    return marks.OwnPseudo() || !marks.LivePseudo();
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS*) {
    RevealOwnOriginals();
    return EXCEPTION_EXECUTE_HANDLER;
}

void onTerminate() {
    RevealOwnOriginals();
    ExitProcess(3);
}

}  // namespace

std::size_t RecoverAbandonedOriginals(std::vector<HWND>* givenBack) {
    return releaseAll(pseudoIsGone, givenBack);
}

std::size_t RecoverAbandonedOriginalsWithin(DWORD patienceMs) {
    constexpr DWORD kRetryMs = 100;
    const DWORD start = GetTickCount();
    std::size_t waiting = RecoverAbandonedOriginals();
    while (waiting != 0 && GetTickCount() - start < patienceMs) {
        Sleep(kRetryMs);
        waiting = RecoverAbandonedOriginals();
    }
    if (waiting != 0) {
        win::Log("%u window(s) did not answer: left opaque but layered, with their property \"PseudoWindow\"",
                 static_cast<unsigned>(waiting));
    }
    return waiting;
}

void RevealOwnOriginals() {
    releaseAll(pseudoIsOurs);
}

void InstallFailureRecovery() {
    SetUnhandledExceptionFilter(onUnhandledException);
    std::set_terminate(onTerminate);
    win::setFailureHandler(RevealOwnOriginals);
}

}  // namespace quillora
