#include "windows/ui/SystemMenuHook.h"

#include <exception>

#include "windows/ui/HelpAbout.h"

namespace {

// The hook's state, one set for the whole program.
bool SystemMenuHooked = false;
HWND HookedWindow = nullptr;
WNDPROC PreviousWindowProc = nullptr;

// Procedure addresses pass through SetWindowLongPtrA as LONG_PTR, wide enough on 64 bits.
LONG_PTR AsLongPtr(WNDPROC procedure) {
    return reinterpret_cast<LONG_PTR>(procedure);
}

void OpenAboutBox() {
    // No exception may cross into the system's code that called the window procedure.
    try {
        ShowHelpAbout();
    } catch (const std::exception& failure) {
        MessageBoxA(nullptr, failure.what(), "Quillmere", MB_ICONERROR | MB_OK | MB_SETFOREGROUND);
    } catch (...) {
        MessageBoxA(nullptr, "Unexpected error.", "Quillmere",
                    MB_ICONERROR | MB_OK | MB_SETFOREGROUND);
    }
}

}  // namespace

void HookSystemMenu(HWND hWnd) {
    if (SystemMenuHooked) {
        return;
    }
    HookedWindow = hWnd;
    const LONG_PTR previous =
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, AsLongPtr(SystemMenuWindowProc));
    // A window always has a procedure, so null means the replacement failed: nothing was
    // installed, and there is nothing to restore or to pass messages on to.
    if (previous == 0) {
        return;
    }
    PreviousWindowProc = reinterpret_cast<WNDPROC>(previous);
    SystemMenuHooked = true;
}

void UnhookSystemMenu() {
    if (!SystemMenuHooked) {
        return;
    }
    SetWindowLongPtrA(HookedWindow, GWLP_WNDPROC, AsLongPtr(PreviousWindowProc));
    SystemMenuHooked = false;
}

LRESULT CALLBACK SystemMenuWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // The whole wParam is compared: only the About entry's own command opens the box.
    if (uMsg == WM_SYSCOMMAND && wParam == kSystemMenuAboutId) {
        OpenAboutBox();
        return 1;
    }
    if (PreviousWindowProc == nullptr) {
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);  // never called through null
    }
    return CallWindowProcA(PreviousWindowProc, hWnd, uMsg, wParam, lParam);
}
