// The settings dialog's first page: global settings and start-up shortcut.
#pragma once

#include <string>

#include "rules/Application.h"
#include "win/Dialog.h"

namespace quillora {

class GeneralPage : public win::Dialog {
public:
    explicit GeneralPage(Application& app) : app_(app) {}
    HWND Create(HWND parent);
    // Writes the global settings and creates or deletes the shortcut.
    bool Apply();

protected:
    BOOL onInit() override;

private:
    void applyStartup();

    Application& app_;
    bool startupRegistered_ = false;
    std::wstring shortcutPath_;
};

}  // namespace quillora
