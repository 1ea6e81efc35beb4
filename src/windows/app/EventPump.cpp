#include "windows/app/EventPump.h"

void ProcessPendingEvents(HWND dialogWindow) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (dialogWindow == nullptr || !IsDialogMessageA(dialogWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
