#pragma once
// The main window's frame and controls: their places, sizes, fonts and styles.

#include <windows.h>

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

struct MainWindowControls {
    HWND lTitle = nullptr;
    HWND tbDialog = nullptr;
    HWND pbProgressBar = nullptr;
    HWND cbUpdate = nullptr;
    HWND cbClose = nullptr;
    HWND progressTooltip = nullptr;
};

// Creates the controls of `window` in tab order, each at its place.
MainWindowControls CreateMainWindowControls(HWND window);

// The outer size of a window whose client area is the design size, and its position centred on
// the screen.
RECT CentredMainWindowRect();

// Paints what is drawn on the window itself (the header band and the separator line).
void PaintMainWindow(HWND window, HDC dc);
