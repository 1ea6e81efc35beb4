#include "windows/system/LaunchExecutables.h"

#include <windows.h>

#include "windows/win32/MessageAwareWait.h"
#include "windows/win32/ScopedHandles.h"

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
        WaitProcessingEvents(process.Get(), processPendingEvents);
    }
    return true;
}
