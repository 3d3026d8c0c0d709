#include "app/Recovery.h"

#include <windows.h>

#include <exception>
#include <vector>

#include "pseudo/Properties.h"
#include "win/Window.h"

namespace quillora {

namespace {

using OrphanTest = bool (*)(HWND original, HWND pseudo);

struct Scan {
    OrphanTest isOrphan;
    std::vector<HWND> found;
};

BOOL CALLBACK collectOrphans(HWND hwnd, LPARAM lp) {
    auto* scan = reinterpret_cast<Scan*>(lp);
    if (HWND pseudo = static_cast<HWND>(GetPropA(hwnd, kPropPseudoWindow))) {
        if (scan->isOrphan(hwnd, pseudo)) scan->found.push_back(hwnd);
    }
    return TRUE;
}

void releaseAll(OrphanTest test, WindowHider& hider) {
    Scan scan{test, {}};
    EnumWindows(collectOrphans, reinterpret_cast<LPARAM>(&scan));
    for (HWND original : scan.found) hider.GiveBack(original);
}

bool pseudoIsGone(HWND original, HWND pseudo) {
    return !IsWindow(pseudo) || GetPropA(pseudo, kPropOriginalWindow) != original;
}

bool pseudoIsOurs(HWND original, HWND pseudo) {
    DWORD pid = 0;
    GetWindowThreadProcessId(pseudo, &pid);
    return pid == GetCurrentProcessId() || pseudoIsGone(original, pseudo);
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

void RecoverAbandonedOriginals(WindowHider& hider) { releaseAll(pseudoIsGone, hider); }

bool AnyAbandonedOriginal() {
    Scan scan{pseudoIsGone, {}};
    EnumWindows(collectOrphans, reinterpret_cast<LPARAM>(&scan));
    return !scan.found.empty();
}

void RevealOwnOriginals() {
    WindowHider hider;
    releaseAll(pseudoIsOurs, hider);
}

void InstallFailureRecovery() {
    SetUnhandledExceptionFilter(onUnhandledException);
    std::set_terminate(onTerminate);
    win::setFailureHandler(RevealOwnOriginals);
}

}  // namespace quillora
