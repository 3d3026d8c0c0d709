#include "rules/Application.h"

#include <shlwapi.h>

namespace quillora {

void Application::Initialize(HINSTANCE instance) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    ExecutablePath = path;
    PathRemoveFileSpecA(path);
    ExecutableDirectory = path;
}

}  // namespace quillora
