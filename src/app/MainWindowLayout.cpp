#include "app/MainWindowLayout.h"

#include <commctrl.h>

#include <initializer_list>

namespace {

HWND CreateControl(HWND parent, const char* className, DWORD style, int id, int left, int top,
                   int width, int height) {
    return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, left, top, width,
                           height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void UseDialogFont(HWND control) {
    SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

}  // namespace

MainWindowControls CreateMainWindowControls(HWND window) {
    MainWindowControls controls;
    // Created in tab order: Update, Close, then the log; the rest never takes the focus.
    controls.cbUpdate = CreateControl(window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON,
                                      kUpdateButtonId, 320, 336, 81, 23);
    controls.cbClose = CreateControl(window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON,
                                     kCloseButtonId, 408, 336, 81, 23);
    controls.tbDialog = CreateControl(
        window, "EDIT", WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        kLogId, 7, 80, 480, 209);
    controls.pbProgressBar = CreateControl(window, PROGRESS_CLASSA, 0, kProgressBarId, 7, 296,
                                           480, 25);
    controls.lTitle = CreateControl(window, "STATIC", SS_LEFT | SS_NOPREFIX, kTitleLabelId, 8,
                                    8, 417, 57);
    for (HWND control : {controls.cbUpdate, controls.cbClose, controls.tbDialog, controls.lTitle}) {
        UseDialogFont(control);
    }
    // No text limit: the log is never trimmed.
    SendMessageA(controls.tbDialog, EM_SETLIMITTEXT, 0, 0);
    SendMessageA(controls.pbProgressBar, PBM_SETRANGE32, 0, 100);
    SendMessageA(controls.pbProgressBar, PBM_SETPOS, 0, 0);

    controls.progressTooltip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(controls.pbProgressBar);
    tool.lpszText = const_cast<char*>("");
    SendMessageA(controls.progressTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return controls;
}

RECT CentredMainWindowRect() {
    RECT rect = {0, 0, kMainClientWidth, kMainClientHeight};
    AdjustWindowRectEx(&rect, kMainWindowStyle, FALSE, kMainWindowExStyle);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{left, top, left + width, top + height};
}

void PaintMainWindow(HWND, HDC dc) {
    // Header band: white behind the title.
    RECT band = {0, 0, kMainClientWidth, 75};
    FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}
