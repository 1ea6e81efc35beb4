#include "windows/ui/MainWindowLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "windows/ui/Painting.h"
#include "windows/ui/ResourceIds.h"
#include "windows/win32/DpiScale.h"

namespace {

// ---- Places at 96 DPI: left, top, width, height ------------------------------------------------

constexpr DesignRect kTitleRect = {8, 8, 417, 57};
constexpr DesignRect kLogRect = {7, 80, 480, 209};
constexpr DesignRect kProgressBarRect = {7, 296, 480, 25};
constexpr DesignRect kUpdateButtonRect = {320, 336, 81, 23};
constexpr DesignRect kCloseButtonRect = {408, 336, 81, 23};
constexpr DesignRect kLogoRect = {432, 8, 53, 53};
// The band and the separator run 3 pixels past both sides of the client area.
constexpr DesignRect kHeaderBandRect = {-3, 0, 500, 75};
constexpr int kStripeTop = 70;  // the stripe: rows 70 to 74 of the band
constexpr DesignRect kSeparatorRect = {-3, 328, 500, 2};

constexpr COLORREF kSeparatorShadow = RGB(172, 168, 153);
constexpr COLORREF kSeparatorLight = RGB(255, 255, 255);

// ---- Controls -----------------------------------------------------------------------------------

HWND CreateControl(HWND parent, const char* className, DWORD style, DWORD exStyle, int id) {
    // Created without a size: LayOutMainWindowControls places every control for the DPI.
    return CreateWindowExA(exStyle, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

// A multi-line edit control asks its dialog for every key (DLGC_WANTALLKEYS), so Tab would never
// leave the log, and Esc would make it post WM_CLOSE to the window. The read-only log needs
// neither: those keys go to the window's dialog navigation instead, like in any dialog box.
LRESULT CALLBACK LogKeyboardProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR subclassId, DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, LogKeyboardProc, subclassId);
    }
    LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message == WM_GETDLGCODE && lParam != 0) {
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key->message == WM_KEYDOWN &&
            (key->wParam == VK_TAB || key->wParam == VK_ESCAPE || key->wParam == VK_RETURN)) {
            result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTTAB);
        }
    }
    return result;
}

HWND CreateProgressTooltip(HWND window, HWND progressBar) {
    HWND tooltip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                        GetModuleHandleA(nullptr), nullptr);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(progressBar);
    tool.lpszText = const_cast<char*>("");
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return tooltip;
}

void Place(HWND control, const DesignRect& rect, UINT dpi) {
    const RECT place = ScaleRectForDpi(rect, dpi);
    SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The logo drawn for the smallest size at least `width` pixels wide (the largest if none is):
// scaled down a little it stays sharp, scaled up it would blur.
BitmapHandle LoadLogo(int width) {
    struct Logo {
        int size;
        int id;
    };
    constexpr Logo kLogos[] = {
        {53, IDB_LOGO_53}, {66, IDB_LOGO_66}, {80, IDB_LOGO_80}, {106, IDB_LOGO_106}};
    int id = kLogos[3].id;
    for (const Logo& logo : kLogos) {
        if (logo.size >= width) {
            id = logo.id;
            break;
        }
    }
    return BitmapHandle(static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// ---- Painting -----------------------------------------------------------------------------------

void PaintHeaderBand(HDC dc, const RECT& area, UINT dpi) {
    const RECT band = ScaleRectForDpi(kHeaderBandRect, dpi);
    const int stripeTop = ScaleForDpi(kStripeTop, dpi);
    FillColour(dc, RECT{band.left, band.top, band.right, stripeTop}, RGB(255, 255, 255));
    PaintStripe(dc, RECT{band.left, stripeTop, band.right, band.bottom}, area.left, area.right);
}

void PaintLogo(HDC dc, const MainWindowControls& controls) {
    if (!controls.logo) {
        return;
    }
    BITMAP picture = {};
    GetObjectA(controls.logo.Get(), sizeof picture, &picture);
    const MemoryDcHandle memory(CreateCompatibleDC(dc));
    if (!memory) {
        return;
    }
    HDC source = memory.Get();
    HGDIOBJ previous = SelectObject(source, controls.logo.Get());
    const RECT place = ScaleRectForDpi(kLogoRect, controls.dpi);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    if (picture.bmWidth == width && picture.bmHeight == height) {
        BitBlt(dc, place.left, place.top, width, height, source, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, place.left, place.top, width, height, source, 0, 0, picture.bmWidth,
                   picture.bmHeight, SRCCOPY);
    }
    SelectObject(source, previous);
}

void PaintSeparator(HDC dc, UINT dpi) {
    const RECT line = ScaleRectForDpi(kSeparatorRect, dpi);
    const int middle = ScaleForDpi(kSeparatorRect.top + 1, dpi);
    PaintEtchedLine(dc, line, middle, kSeparatorShadow, kSeparatorLight);
}

}  // namespace

MainWindowControls CreateMainWindowControls(HWND window) {
    MainWindowControls controls;
    // Created in tab order: Update, Close, then the log; the rest never takes the focus.
    controls.cbUpdate =
        CreateControl(window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, kUpdateButtonId);
    controls.cbClose =
        CreateControl(window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, kCloseButtonId);
    controls.tbDialog = CreateControl(
        window, "EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        WS_EX_CLIENTEDGE, kLogId);
    SetWindowSubclass(controls.tbDialog, LogKeyboardProc, 0, 0);
    controls.pbProgressBar = CreateControl(window, PROGRESS_CLASSA, 0, 0, kProgressBarId);
    // The title wraps at word boundaries inside its fixed box; what does not fit is cut off.
    controls.lTitle = CreateControl(window, "STATIC", SS_LEFT | SS_NOPREFIX, 0, kTitleLabelId);

    // No text limit: the log is never trimmed.
    SendMessageA(controls.tbDialog, EM_SETLIMITTEXT, 0, 0);
    SendMessageA(controls.pbProgressBar, PBM_SETRANGE32, 0, 100);
    SendMessageA(controls.pbProgressBar, PBM_SETPOS, 0, 0);
    controls.progressTooltip = CreateProgressTooltip(window, controls.pbProgressBar);

    LayOutMainWindowControls(controls, WindowDpi(window));
    return controls;
}

void LayOutMainWindowControls(MainWindowControls& controls, UINT dpi) {
    controls.dpi = dpi;
    Place(controls.lTitle, kTitleRect, dpi);
    Place(controls.tbDialog, kLogRect, dpi);
    Place(controls.pbProgressBar, kProgressBarRect, dpi);
    Place(controls.cbUpdate, kUpdateButtonRect, dpi);
    Place(controls.cbClose, kCloseButtonRect, dpi);

    // The new fonts are in use before the old ones are deleted.
    FontHandle dialogFont = CreateDialogFont(dpi);
    FontHandle titleFont = CreateScaledFont("Arial", 1800, FW_BOLD, dpi);
    for (HWND control : {controls.cbUpdate, controls.cbClose, controls.tbDialog}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont.Get()), TRUE);
    }
    SendMessageA(controls.lTitle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont.Get()), TRUE);
    controls.dialogFont = std::move(dialogFont);
    controls.titleFont = std::move(titleFont);

    const RECT logo = ScaleRectForDpi(kLogoRect, dpi);
    controls.logo = LoadLogo(logo.right - logo.left);
}

RECT CentredMainWindowRect(UINT dpi) {
    const RECT size =
        WindowRectForClient(ScaleForDpi(kMainClientWidth, dpi), ScaleForDpi(kMainClientHeight, dpi),
                            kMainWindowStyle, kMainWindowExStyle, dpi);
    return CentredOnScreen(size.right, size.bottom);
}

void PaintMainWindow(HDC dc, const RECT& area, const MainWindowControls& controls) {
    const UINT dpi = controls.dpi;
    const RECT band = ScaleRectForDpi(kHeaderBandRect, dpi);
    const RECT face = {area.left, std::max(band.bottom, static_cast<LONG>(area.top)), area.right,
                       area.bottom};
    if (face.top < face.bottom) {
        FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (area.top < band.bottom) {
        PaintHeaderBand(dc, area, dpi);
        PaintLogo(dc, controls);
    }
    PaintSeparator(dc, dpi);
}
