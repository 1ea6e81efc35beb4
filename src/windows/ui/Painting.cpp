#include "windows/ui/Painting.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr COLORREF kStripeEndColour = RGB(0, 0, 102);
constexpr COLORREF kStripeMiddleColour = RGB(153, 204, 255);

int Blend(int from, int to, int step, int steps) {
    return from + (to - from) * step / steps;
}

}  // namespace

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

COLORREF BlendColour(COLORREF from, COLORREF to, int step, int steps) {
    return RGB(Blend(GetRValue(from), GetRValue(to), step, steps),
               Blend(GetGValue(from), GetGValue(to), step, steps),
               Blend(GetBValue(from), GetBValue(to), step, steps));
}

void PaintStripe(HDC dc, const RECT& stripe, LONG left, LONG right) {
    const int width = stripe.right - stripe.left;
    for (LONG x = std::max(stripe.left, left); x < std::min(stripe.right, right); ++x) {
        // Distance from the nearer end, in half pixels, against the half width in half pixels.
        const int offset = x - stripe.left;
        const int weight = width - std::abs(2 * offset + 1 - width);
        FillColour(dc, RECT{x, stripe.top, x + 1, stripe.bottom},
                   BlendColour(kStripeEndColour, kStripeMiddleColour, weight, width));
    }
}

void PaintEtchedLine(HDC dc, const RECT& line, int middle, COLORREF shadow, COLORREF light) {
    FillColour(dc, RECT{line.left, line.top, line.right, middle}, shadow);
    FillColour(dc, RECT{line.left, middle, line.right, line.bottom}, light);
}

RECT CentredOnScreen(int width, int height) {
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{left, top, left + width, top + height};
}
