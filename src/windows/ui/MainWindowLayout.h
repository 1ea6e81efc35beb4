#pragma once
// The main window's frame and controls: their places, sizes, fonts and styles, and what is
// painted on the window itself (the header band with the logo, the separator line). Every
// place is given in pixels at 96 dots per inch and scaled by the window's DPI.

#include <windows.h>

#include "windows/win32/ScopedHandles.h"

// Control ids. 1 and 2 are avoided: IsDialogMessage turns Enter and Esc into commands with
// those ids, and neither button is a default or cancel button.
enum MainWindowControlId : int {
    kTitleLabelId = 100,
    kLogId = 101,
    kProgressBarId = 102,
    kUpdateButtonId = 103,
    kCloseButtonId = 104,
};

// Client area at 96 dots per inch.
constexpr int kMainClientWidth = 494;
constexpr int kMainClientHeight = 368;

// Window styles: fixed single border, system menu and close box, no minimise or maximise.
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainWindowExStyle = WS_EX_CONTROLPARENT;

// The controls of the main window and the fonts and picture that go with them (owned here so
// they live exactly as long as the controls that use them).
struct MainWindowControls {
    HWND lTitle = nullptr;
    HWND tbDialog = nullptr;
    HWND pbProgressBar = nullptr;
    HWND cbUpdate = nullptr;
    HWND cbClose = nullptr;
    HWND progressTooltip = nullptr;

    UINT dpi = 96;          // the DPI the controls are laid out for
    FontHandle dialogFont;  // buttons and log
    FontHandle titleFont;   // lTitle: Arial 18 pt bold
    BitmapHandle logo;      // iLogo, drawn for `dpi` (or the nearest size above)
};

// Creates the controls of `window` in tab order and lays them out for the window's DPI.
MainWindowControls CreateMainWindowControls(HWND window);

// Places every control, and picks the fonts and the logo, for `dpi` (also used when the window
// moves to a display of another DPI). Does not touch the window's own frame.
void LayOutMainWindowControls(MainWindowControls& controls, UINT dpi);

// The outer rectangle of the main window at `dpi` (client area 494 x 368 at 96 DPI, scaled),
// centred on the screen.
RECT CentredMainWindowRect(UINT dpi);

// Paints what is drawn on the window itself, inside `area`: the face colour, the white header
// band with its blue stripe and the logo, and the etched separator line.
void PaintMainWindow(HDC dc, const RECT& area, const MainWindowControls& controls);
