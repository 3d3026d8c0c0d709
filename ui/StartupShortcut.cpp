#include "ui/StartupShortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "res/resource.h"
#include "win/ComPtr.h"

namespace quillora {

std::wstring StartupShortcutPath() {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, TRUE)) return {};
    // The program's name as the string table holds it, in UTF-16.
    wchar_t name[MAX_PATH] = {};
    const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_PROGRAM_NAME, name, MAX_PATH - 4);
    if (length <= 0) return {};
    lstrcatW(name, L".lnk");
    wchar_t path[MAX_PATH] = {};
    if (!PathCombineW(path, folder, name)) return {};
    return path;
}

bool FileExists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateShortcut(const std::wstring& shortcutPath, const std::wstring& exePath, const std::wstring& exeDirectory) {
    if (shortcutPath.empty()) return false;
    win::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put())))
        return false;
    win::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put()))) return false;
    link->SetPath(exePath.c_str());
    link->SetWorkingDirectory(exeDirectory.c_str());
    link->SetIconLocation(exePath.c_str(), 0);
    return SUCCEEDED(file->Save(shortcutPath.c_str(), TRUE));
}

}  // namespace quillora
