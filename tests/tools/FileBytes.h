// Whole-file reads and writes for the settings tools, byte for byte, and
// their ANSI folder paths as the settings' wide ones and back.
#pragma once

#include <windows.h>

#include <string>

namespace tools {

inline std::wstring WidePath(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

inline std::string AnsiPath(const std::wstring& wide) {
    std::string ansi(wide.size() * 2, '\0');
    ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                             ansi.data(), static_cast<int>(ansi.size()), nullptr,
                                                             nullptr)));
    return ansi;
}

// Empty when the file is missing or unreadable.
inline std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// Replaces the file; flushed when `flush` is set.
inline bool WriteFileBytes(const std::string& path, const std::string& bytes, bool flush = false) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    if (flush) ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    return ok;
}

}  // namespace tools
