#include "windows/ui/AboutBanner.h"

#include "windows/ui/Painting.h"
#include "windows/win32/DpiScale.h"
#include "windows/win32/ScopedHandles.h"

namespace {

constexpr COLORREF kTopColour = RGB(0, 0, 102);
constexpr COLORREF kFootColour = RGB(16, 64, 160);
constexpr int kStripeTop = 70;
constexpr int kIconSize = 48;

// Deep blue at the top, a little lighter towards the stripe.
void PaintBackground(HDC dc, int width, int height) {
    for (int y = 0; y < height; ++y) {
        FillColour(dc, RECT{0, y, width, y + 1}, BlendColour(kTopColour, kFootColour, y, height));
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
    PaintStripe(dc, RECT{0, stripeTop, width, height}, 0, width);

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
