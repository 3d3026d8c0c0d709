// Functions of newer systems than the oldest one the program starts on are
// looked up at run time, never imported, so that the program still starts
// where they are missing and takes its older path there.
#pragma once

#include <windows.h>

namespace win {

// `name` in `module` as a pointer of type Function; null where the module or
// the function is missing.
template <typename Function>
Function LookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Loads a library of the system from the system folder only (never from the
// program's folder or the current one); null where it is missing. The
// library stays loaded for the process.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace win
