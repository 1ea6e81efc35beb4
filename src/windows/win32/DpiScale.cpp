#include "windows/win32/DpiScale.h"

namespace {

// The DPI functions of Windows 10 are looked up at run time, so the program still starts on
// systems without them (it then uses the screen's DPI and the classic frame metrics).
template <typename Function>
Function User32Function(const char* name) {
    const FARPROC address = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    // Through a generic function pointer: a direct cast between unrelated function types is
    // what the compiler rightly warns about.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

UINT ScreenDpi() {
    const ScreenDcHandle screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    return ScreenDpi();
}

int ScaleForDpi(int value, UINT dpi) {
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

RECT ScaleRectForDpi(int left, int top, int width, int height, UINT dpi) {
    return RECT{ScaleForDpi(left, dpi), ScaleForDpi(top, dpi), ScaleForDpi(left + width, dpi),
                ScaleForDpi(top + height, dpi)};
}

RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi =
        User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect = {0, 0, clientWidth, clientHeight};
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

FontHandle CreateScaledFont(const char* face, int pointsTimes100, int weight, UINT dpi) {
    const int height = -MulDiv(pointsTimes100, static_cast<int>(dpi), 72 * 100);
    return FontHandle(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face));
}

FontHandle CreateDialogFont(UINT dpi, bool bold) {
    return CreateScaledFont("MS Shell Dlg", 825, bold ? FW_BOLD : FW_NORMAL, dpi);
}
