#pragma once
// The About box's product banner (iHead), drawn with GDI: the product's name on a deep blue
// band, the application icon at its right end and the window's blue stripe along its foot.

#include <windows.h>

// The banner's box at 96 DPI: the full width of the About box, 75 pixels high.
constexpr int kAboutBannerWidth = 415;
constexpr int kAboutBannerHeight = 75;

// Paints the banner at the top left of `dc`, scaled for `dpi`. `icon` may be null.
void PaintAboutBanner(HDC dc, UINT dpi, HICON icon);
