#include "app/Recovery.h"

#include <windows.h>

#include <exception>
#include <vector>

#include "pseudo/MarkedWindow.h"
#include "pseudo/WindowHider.h"
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

std::size_t releaseAll(OrphanTest test, std::vector<HWND>* givenBack = nullptr) {
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
