// Opens every dialog and page of the program in turn and saves a picture of
// each (24-bit BMP, from the screen) into the folder given as the argument.
// scripts/screenshots.sh turns them into the README's pictures.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "rules/SettingsStore.h"
#include "rules/Rule.h"
#include "ui/Dialogs.h"
#include "ui/RuleEditDialog.h"
#include "common/DialogDriver.h"
#include "common/Pump.h"

using namespace uitest;

namespace {

std::string g_folder;

bool saveBitmap(HBITMAP bitmap, HDC dc, int w, int h, const std::string& path) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(stride * static_cast<DWORD>(h));
    if (!GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                   DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return true;
}

// The dialog's client area as it is on the screen (without a window manager
// under Xvfb the frame and caption are not drawn).
void snap(HWND dialog, const char* name) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(400);
    RECT r{};
    GetClientRect(dialog, &r);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const std::string path = g_folder + "\\" + name + ".bmp";
    if (!saveBitmap(bitmap, memory, w, h, path)) std::fprintf(stderr, "could not save %s\n", path.c_str());
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void showTab(HWND dialog, int tabId, int index) {
    HWND tab = GetDlgItem(dialog, tabId);
    NMHDR header{tab, static_cast<UINT_PTR>(tabId), static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(tabId), reinterpret_cast<LPARAM>(&header));
    SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(tabId), reinterpret_cast<LPARAM>(&header));
}

quillora::Rule sampleRule(const char* explanation, const char* app, const char* cls, const char* title) {
    quillora::Rule r;
    r.Explanation = explanation;
    r.AppName = app;
    r.ClassName = cls;
    r.Title = title;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_gallery <folder>\n");
        return 2;
    }
    g_folder = argv[1];
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitialize(nullptr);

    quillora::SettingsStore app;
    app.Rules.Append(sampleRule(Ansi("メモ帳").c_str(), "C:\\Windows\\notepad.exe", "", ""));
    app.Rules.Append(sampleRule(Ansi("電卓").c_str(), "", "SciCalc", ""));
    quillora::Rule off = sampleRule("Log viewer", "", "", "Log Viewer");
    off.Validness = false;
    app.Rules.Append(off);

    RunDialog([&] { return quillora::ShowSettingsDialog(nullptr, app); }, Ansi("Quilloraの設定"), [](HWND d) {
        snap(d, "settings-general");
        showTab(d, IDC_SETTINGS_TAB, 1);
        snap(d, "settings-rules");
        Click(d, IDCANCEL);
    });
    quillora::Rule rule = app.Rules[0];
    RunDialog([&] { return quillora::RunRuleEditor(nullptr, rule); }, Ansi("ルールの編集"), [](HWND d) {
        snap(d, "rule-basic");
        showTab(d, IDC_EDITOR_TAB, 1);
        snap(d, "rule-shrink");
        Click(d, IDCANCEL);
    });
    HWND target = CreateWindowExA(0, "STATIC", Ansi("無題 - メモ帳").c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    quillora::Rule temporary;
    RunDialog([&] { return quillora::ShowQuickCaptureDialog(nullptr, temporary, target); },
              Ansi("クイックキャプチャの編集"), [](HWND d) {
                  snap(d, "quick-capture");
                  showTab(d, IDC_EDITOR_TAB, 1);
                  snap(d, "quick-capture-shrink");
                  Click(d, IDCANCEL);
              });
    DestroyWindow(target);
    RunDialog([&] { return quillora::ShowQuickEditDialog(nullptr, temporary); }, Ansi("クイック編集"), [](HWND d) {
        snap(d, "quick-edit");
        Click(d, IDCANCEL);
    });
    RunDialog([] { return quillora::ShowAboutDialog(nullptr); }, Ansi("Quilloraのバージョン情報"), [](HWND d) {
        snap(d, "about");
        Click(d, IDCANCEL);
    });
    CoUninitialize();
    return 0;
}
