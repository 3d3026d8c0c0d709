// A windowless second copy of the program that gives every original back as
// soon as the program ends without its normal exit (killed from outside),
// instead of leaving them invisible until the next start.
#pragma once

#include "win/Handles.h"

namespace quillora {

// Held by the guarded process for its whole run.
class Guard {
public:
    // Starts the guard of this process. A failure is logged and the program
    // runs on unguarded (the next start still gives everything back).
    static Guard Start();

    // Tells the guard that everything was given back and saved: it ends
    // without doing anything. Call only at the very end of a normal run.
    void SignalNormalExit();

private:
    win::KernelHandle normalExit_;
};

// Whether the command line (without the program name) makes this process a
// guard; then RunGuard is its whole life.
bool IsGuardCommandLine(const char* commandLine);

// Waits for the process named on the command line; when it ended without
// signalling its normal exit, gives back every original it left. Ends
// quietly on a command line it does not understand. Returns the exit code.
int RunGuard(const char* commandLine);

}  // namespace quillora
