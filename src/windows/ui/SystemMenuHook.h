#pragma once
// Module SystemMenuHook: puts the About entry into the main window's system menu by replacing
// the window's procedure (subclassing) with SystemMenuWindowProc.

#include <windows.h>

// Command ids of the entries appended to the system menu.
constexpr UINT kSystemMenuSeparatorId = 1000;
constexpr UINT kSystemMenuAboutId = 1001;

// Replaces the window procedure of `hWnd` with SystemMenuWindowProc. A second call while the
// hook is installed does nothing. A replacement that fails is not recorded as a hook.
void HookSystemMenu(HWND hWnd);

// Restores the replaced procedure, if the hook is installed; otherwise does nothing.
void UnhookSystemMenu();

// Opens the About box for WM_SYSCOMMAND 1001 and returns 1; passes every other message,
// unchanged, to the procedure it replaced.
LRESULT CALLBACK SystemMenuWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
