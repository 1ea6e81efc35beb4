#pragma once
// Scaling a layout drawn at 96 dots per inch to the DPI of the window that shows it, so the
// window looks the same, only larger, on a display of 120, 144 or 192 DPI.

#include <windows.h>

#include "windows/win32/ScopedHandles.h"

// The dots per inch the layouts are drawn at.
constexpr UINT kDesignDpi = 96;

// The DPI of `window` (GetDpiForWindow where the system has it, else the screen's LOGPIXELSY).
// A null window gives the screen's DPI, which is where a new, centred window opens.
UINT WindowDpi(HWND window);

// `value`, a length at 96 DPI, at `dpi` (rounded to the nearest pixel).
int ScaleForDpi(int value, UINT dpi);

// The rectangle left, top, width, height at 96 DPI, at `dpi`. Its edges are scaled, not its
// size, so rectangles that touch at 96 DPI still touch.
RECT ScaleRectForDpi(int left, int top, int width, int height, UINT dpi);

// A control's place in a layout drawn at 96 DPI, in pixels.
struct DesignRect {
    int left, top, width, height;
};

inline RECT ScaleRectForDpi(const DesignRect& rect, UINT dpi) {
    return ScaleRectForDpi(rect.left, rect.top, rect.width, rect.height, dpi);
}

// The outer rectangle (at 0, 0) of a window with this style whose client area is
// `clientWidth` x `clientHeight` pixels, with the frame metrics of `dpi`.
RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

// A font of `pointsTimes100` / 100 points at `dpi` (negative height: the character height, as
// point sizes are meant), of the given face and weight, character set 0.
FontHandle CreateScaledFont(const char* face, int pointsTimes100, int weight, UINT dpi);

// The dialog font of both windows (MS Shell Dlg 8.25 pt: MS Sans Serif's successor), at `dpi`.
FontHandle CreateDialogFont(UINT dpi, bool bold = false);
