// Base class for dialogs and dialog pages. The object travels through the
// lParam of DialogBoxParamA/CreateDialogParamA, lives in DWLP_USER, and gets
// the messages through small virtual hooks. Exceptions stop at the procedure
// boundary and go to the process-wide failure handler.
#pragma once

#include <windows.h>

namespace win {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND Handle() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    // Runs the template modally; returns what end() was given, or -1.
    INT_PTR runModal(HWND owner, int templateId);
    // Creates the template as a modeless (child) dialog of `parent`.
    HWND createModeless(HWND parent, int templateId);
    // Ends a modal run.
    void end(INT_PTR result);

    // WM_INITDIALOG; the result is the message's (TRUE lets the dialog
    // manager put the focus on the first control).
    virtual BOOL onInit() { return TRUE; }
    // WM_COMMAND. The default sends IDOK and IDCANCEL to onOk and onCancel.
    virtual bool onCommand(int id, int code, HWND control);
    // WM_NOTIFY; `result` goes to DWLP_MSGRESULT.
    virtual bool onNotify(NMHDR& header, LRESULT& result);
    virtual void onOk() { end(IDOK); }
    virtual void onCancel() { end(IDCANCEL); }
    // Any other message; return true when handled (the dialog-procedure
    // result goes to `result`).
    virtual bool onMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result);

private:
    static INT_PTR CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR dispatch(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

// Where a window of the given size goes so that it is centred on `reference`
// and kept inside `workArea` (left/top edges win over right/bottom).
POINT CentredPosition(const RECT& reference, SIZE size, const RECT& workArea);

// Centres a dialog over its owner when the owner is visible and not
// minimised, kept inside the work area of the owner's monitor; otherwise
// over the primary monitor's work area. Size, Z order and activation are
// left alone.
void CentreOverOwner(HWND dialog);

}  // namespace win
