#pragma once
// Processing pending window events: the long steps of an update check call this at fixed points
// so that the window repaints and its system menu stays usable.

#include <windows.h>

// Delivers every message waiting in the thread's queue, then returns. Messages for
// `dialogWindow` go through IsDialogMessage so that Tab moves between its controls. A WM_QUIT
// is put back for the main message loop to see.
void ProcessPendingEvents(HWND dialogWindow);
