#include "windows/system/Elevation.h"

#include <windows.h>
#include <shellapi.h>

#include "windows/win32/ScopedHandles.h"

bool IsProcessElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const KernelHandle ownedToken(token);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

LaunchSystem::Relaunch StartElevated(const std::string& program, const std::string& parameters) {
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    // NOASYNC: the call completes before it returns, since this instance closes right after.
    // FLAG_NO_UI: a failure is reported in the log, not in a box of the shell's.
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = GetActiveWindow();
    execute.lpVerb = "runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = parameters.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&execute)) {
        return LaunchSystem::Relaunch::Started;
    }
    // The user answered No to the consent prompt (or closed it).
    return GetLastError() == ERROR_CANCELLED ? LaunchSystem::Relaunch::Refused
                                             : LaunchSystem::Relaunch::Failed;
}
