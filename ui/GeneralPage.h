// The settings dialog's first page: global settings and start-up shortcut.
#pragma once

#include <string>

#include "rules/SettingsStore.h"
#include "win/Dialog.h"

namespace quillora {

class GeneralPage : public win::Dialog {
public:
    explicit GeneralPage(SettingsStore& store) : store_(store) {}
    HWND Create(HWND parent);
    // Writes the global settings and creates or deletes the shortcut.
    bool Apply();

protected:
    BOOL onInit() override;

private:
    void applyStartup();

    SettingsStore& store_;
    bool startupRegistered_ = false;
    std::wstring shortcutPath_;
};

}  // namespace quillora
