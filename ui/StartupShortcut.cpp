#include "ui/StartupShortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "res/resource.h"
#include "win/ComPtr.h"
#include "win/ResourceString.h"

namespace quillora {

std::string StartupShortcutPath() {
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE)) return {};
    char name[MAX_PATH] = {};
    wsprintfA(name, "%s.lnk", win::LoadResourceString(IDS_PROGRAM_NAME).c_str());
    char path[MAX_PATH] = {};
    if (!PathCombineA(path, folder, name)) return {};
    return path;
}

bool FileExists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateShortcut(const std::string& shortcutPath, const std::string& exePath, const std::string& exeDirectory) {
    if (shortcutPath.empty()) return false;
    win::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put())))
        return false;
    win::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put()))) return false;
    link->SetPath(exePath.c_str());
    link->SetWorkingDirectory(exeDirectory.c_str());
    link->SetIconLocation(exePath.c_str(), 0);
    wchar_t widePath[MAX_PATH + 1] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, shortcutPath.c_str(), -1, widePath, MAX_PATH)) return false;
    return SUCCEEDED(file->Save(widePath, TRUE));
}

}  // namespace quillora
