#include "ui/AboutDialog.h"

#include "res/resource.h"
#include "ui/Dialogs.h"
#include "win/Controls.h"
#include "win/ResourceString.h"

namespace quillora {

const char kWebPageAddress[] = "https://quillora.example.org/";

int AboutDialog::Run(HWND owner) { return static_cast<int>(runModal(owner, IDD_ABOUT)); }

BOOL AboutDialog::onInit() {
    win::CentreOverOwner(Handle());
    link_.Attach(item(IDC_ABOUT_LINK), kWebPageAddress);
    win::SetItemText(Handle(), IDC_ABOUT_TEXT, win::LoadResourceString(IDS_ABOUT_TEXT));
    return TRUE;
}

int ShowAboutDialog(HWND owner) {
    AboutDialog dialog;
    return dialog.Run(owner);
}

}  // namespace quillora
