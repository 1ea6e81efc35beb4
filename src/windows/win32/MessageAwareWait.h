#pragma once
// Waiting on the window's thread without freezing the window.

#include <windows.h>

#include <functional>

// Waits until `object` is signalled without using the processor, and keeps the thread's
// windows responsive meanwhile: whenever messages arrive, `processPendingEvents` handles them;
// whenever `wakeUp` (an auto-reset event; may be null) is signalled, `onWakeUp` runs. Without
// `processPendingEvents` messages stay in the queue. Once a WM_QUIT is pending no window is
// left to keep responsive: it then waits for `object` alone. A wait that fails returns at once.
// Exceptions of the callbacks pass to the caller.
void WaitProcessingEvents(HANDLE object, const std::function<void()>& processPendingEvents,
                          HANDLE wakeUp = nullptr, const std::function<void()>& onWakeUp = {});
