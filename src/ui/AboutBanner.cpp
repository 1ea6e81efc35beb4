#include "ui/AboutBanner.h"

#include <cstdlib>

#include "win32/DpiScale.h"
#include "win32/ScopedHandles.h"

namespace {

constexpr COLORREF kTopColour = RGB(0, 0, 102);
constexpr COLORREF kFootColour = RGB(16, 64, 160);
constexpr COLORREF kStripeEndColour = RGB(0, 0, 102);
constexpr COLORREF kStripeMiddleColour = RGB(153, 204, 255);
constexpr int kStripeTop = 70;
constexpr int kIconSize = 48;

int Between(int from, int to, int step, int steps) {
    return from + (to - from) * step / steps;
}

COLORREF Between(COLORREF from, COLORREF to, int step, int steps) {
    return RGB(Between(GetRValue(from), GetRValue(to), step, steps),
               Between(GetGValue(from), GetGValue(to), step, steps),
               Between(GetBValue(from), GetBValue(to), step, steps));
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Deep blue at the top, a little lighter towards the stripe.
void PaintBackground(HDC dc, int width, int height) {
    for (int y = 0; y < height; ++y) {
        FillColour(dc, RECT{0, y, width, y + 1}, Between(kTopColour, kFootColour, y, height));
    }
}

// The same stripe as under the main window's header: dark at both ends, light in the middle.
void PaintStripe(HDC dc, int width, int top, int bottom) {
    for (int x = 0; x < width; ++x) {
        const int weight = width - std::abs(2 * x + 1 - width);
        FillColour(dc, RECT{x, top, x + 1, bottom},
                   Between(kStripeEndColour, kStripeMiddleColour, weight, width));
    }
}

void PaintText(HDC dc, const char* text, int points, int weight, COLORREF colour, RECT box,
               UINT dpi) {
    FontHandle font = CreateScaledFont("Arial", points, weight, dpi);
    HGDIOBJ previous = SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextA(dc, text, -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_BOTTOM);
    SelectObject(dc, previous);
}

}  // namespace

void PaintAboutBanner(HDC dc, UINT dpi, HICON icon) {
    const int width = ScaleForDpi(kAboutBannerWidth, dpi);
    const int stripeTop = ScaleForDpi(kStripeTop, dpi);
    const int height = ScaleForDpi(kAboutBannerHeight, dpi);
    PaintBackground(dc, width, stripeTop);
    PaintStripe(dc, width, stripeTop, height);

    PaintText(dc, "Quillmere", 2200, FW_BOLD, RGB(255, 255, 255),
              ScaleRectForDpi(18, 4, 300, 40, dpi), dpi);
    PaintText(dc, "Keeps your software up to date", 900, FW_NORMAL, RGB(153, 204, 255),
              ScaleRectForDpi(20, 44, 300, 18, dpi), dpi);

    if (icon != nullptr) {
        const int size = ScaleForDpi(kIconSize, dpi);
        const int left = width - ScaleForDpi(16, dpi) - size;
        const int top = (stripeTop - size) / 2;
        DrawIconEx(dc, left, top, icon, size, size, 0, nullptr, DI_NORMAL);
    }
}
