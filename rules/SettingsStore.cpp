#include "rules/SettingsStore.h"

#include <shlwapi.h>

namespace quillora {

void SettingsStore::Initialize(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(instance, path, MAX_PATH);
    ExecutablePath = path;
    PathRemoveFileSpecW(path);
    ExecutableDirectory = path;
}

}  // namespace quillora
