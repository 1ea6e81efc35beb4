#include "windows/win32/MessageAwareWait.h"

namespace {

// True when a WM_QUIT waits in the queue. The window is then gone, and an event pump that puts
// the quit back for the main loop leaves the queue never empty: waiting for messages would
// return at once, over and over.
bool QuitIsPending() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

}  // namespace

void WaitProcessingEvents(HANDLE object, const std::function<void()>& processPendingEvents,
                          HANDLE wakeUp, const std::function<void()>& onWakeUp) {
    const HANDLE handles[] = {object, wakeUp};
    const DWORD count = wakeUp != nullptr ? 2 : 1;
    const bool pumping = static_cast<bool>(processPendingEvents);
    for (;;) {
        // MWMO_INPUTAVAILABLE: messages already seen but left in the queue wake it too.
        const DWORD result = pumping ? MsgWaitForMultipleObjectsEx(count, handles, INFINITE,
                                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                                     : WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (count == 2 && result == WAIT_OBJECT_0 + 1) {
            if (onWakeUp) {
                onWakeUp();
            }
            continue;
        }
        if (!pumping || result != WAIT_OBJECT_0 + count) {
            return;  // the object is signalled, or the wait failed
        }
        processPendingEvents();
        if (QuitIsPending()) {
            WaitForSingleObject(object, INFINITE);
            return;
        }
    }
}
