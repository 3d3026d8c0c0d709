#include "win/ResourceString.h"

#include <vector>

namespace win {

std::string LoadResourceString(unsigned id) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::vector<char> buffer(256, '\0');
    int copied = LoadStringA(instance, id, buffer.data(), static_cast<int>(buffer.size()));
    // LoadStringA cuts the text to fit; a result that fills the buffer may
    // have been cut, so grow and read again until it fits with room to spare.
    while (copied >= static_cast<int>(buffer.size()) - 1 && buffer.size() < 65536) {
        buffer.assign(buffer.size() * 2, '\0');
        copied = LoadStringA(instance, id, buffer.data(), static_cast<int>(buffer.size()));
    }
    return std::string(buffer.data());
}

std::string FormatResourceString(unsigned id, const char* text) {
    char out[1024] = {};
    wsprintfA(out, LoadResourceString(id).c_str(), text);
    return out;
}

std::string FormatResourceString(unsigned id, int value) {
    char out[1024] = {};
    wsprintfA(out, LoadResourceString(id).c_str(), value);
    return out;
}

int ShowMessageBox(HWND owner, const std::string& text, unsigned captionId, UINT type) {
    const std::string caption = captionId ? LoadResourceString(captionId) : std::string();
    return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

int ShowMessageBox(HWND owner, unsigned textId, unsigned captionId, UINT type) {
    return ShowMessageBox(owner, LoadResourceString(textId), captionId, type);
}

}  // namespace win
