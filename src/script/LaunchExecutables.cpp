#include "script/LaunchExecutables.h"

#include <windows.h>

#include "win32/ScopedHandles.h"

namespace {

// Waits for the process to end without using the processor: the thread sleeps until either
// the process ends or a message arrives for the window, which is then processed.
void WaitForProcess(HANDLE process, const std::function<void()>& processPendingEvents) {
    for (;;) {
        const DWORD result =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result != WAIT_OBJECT_0 + 1) {
            return;  // the process ended, or the wait failed: either way, stop waiting
        }
        if (processPendingEvents) {
            processPendingEvents();
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
    // CreateProcessA may write into the command line, so it gets a copy of its own.
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
