#pragma once
// GDI drawing shared by the main window and the About box: plain fills, the blue stripe under
// both headers, the etched separator line, and placing a window in the middle of the screen.

#include <windows.h>

// Fills `rect` with `colour` (through the DC brush: no brush to create or delete).
void FillColour(HDC dc, const RECT& rect, COLORREF colour);

// The colour `step` / `steps` of the way from `from` to `to`, in a straight run.
COLORREF BlendColour(COLORREF from, COLORREF to, int step, int steps);

// Paints the header stripe into `stripe`: dark blue at both ends, light blue in the middle.
// Only the columns from `left` to `right` are painted (the part that needs repainting).
void PaintStripe(HDC dc, const RECT& stripe, LONG left, LONG right);

// An etched line: `shadow` above row `middle`, `light` from it down to the line's bottom.
void PaintEtchedLine(HDC dc, const RECT& line, int middle, COLORREF shadow, COLORREF light);

// A window `width` x `height` pixels big, centred on the primary screen.
RECT CentredOnScreen(int width, int height);
