// The About box: icon, name and version, copyright, and the web link.
#pragma once

#include "ui/LinkControl.h"
#include "win/Dialog.h"

namespace quillora {

class AboutDialog : public win::Dialog {
public:
    int Run(HWND owner);

protected:
    BOOL onInit() override;

private:
    LinkControl link_;
};

extern const char kWebPageAddress[];

}  // namespace quillora
