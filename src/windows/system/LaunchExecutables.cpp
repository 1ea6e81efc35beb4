#include "windows/system/LaunchExecutables.h"

#include <windows.h>

#include "windows/win32/ScopedHandles.h"

namespace {

// True when a WM_QUIT waits in the queue. The window is then gone, and an event pump that puts
// the quit back for the main loop leaves the queue never empty: waiting for messages would
// return at once, over and over.
bool QuitIsPending() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

// Waits for the process to end without using the processor: the thread sleeps until either
// the process ends or a message arrives, which is then processed. A wait that fails ends the
// wait silently.
void WaitForProcess(HANDLE process, const std::function<void()>& processPendingEvents) {
    if (!processPendingEvents) {
        WaitForSingleObject(process, INFINITE);
        return;
    }
    for (;;) {
        const DWORD result =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result != WAIT_OBJECT_0 + 1) {
            return;  // the process ended, or the wait failed
        }
        processPendingEvents();
        if (QuitIsPending()) {
            WaitForSingleObject(process, INFINITE);  // no window left to keep responsive
            return;
        }
    }
}

}  // namespace

bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle,
                      const std::function<void()>& processPendingEvents) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started = {};
    // CreateProcessA may write into the command line, so it gets a copy of its own. Without an
    // application name the system splits the line into program and arguments by its own rule.
    std::string mutableCommandLine = commandLine;
    if (!CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    if (wait) {
        WaitForProcess(process.Get(), processPendingEvents);
    }
    return true;
}
