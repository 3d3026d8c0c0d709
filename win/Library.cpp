#include "win/Library.h"

namespace win {

HMODULE LoadSystemLibrary(const char* name) {
    // Systems without the search flags (Windows 7 before KB2533623) refuse
    // it; the libraries looked up this way are all newer than those anyway.
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace win
