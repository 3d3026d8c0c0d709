#include "rules/Application.h"

#include <shlwapi.h>

namespace quillora {

void Application::Initialize(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(instance, path, MAX_PATH);
    ExecutablePath = path;
    PathRemoveFileSpecW(path);
    ExecutableDirectory = path;
}

}  // namespace quillora
