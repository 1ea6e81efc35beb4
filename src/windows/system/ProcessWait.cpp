#include "windows/system/ProcessWait.h"

#include <algorithm>

#include "windows/win32/ScopedHandles.h"

namespace {

constexpr DWORD kLookAgainMilliseconds = 250;

DWORD Remaining(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

bool WaitForProcessEnd(DWORD processId, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        if (process) {
            // A wait that fails tells nothing of the process: it counts as still running, so
            // that no file it may hold is touched.
            return WaitForSingleObject(process.Get(), Remaining(deadline)) == WAIT_OBJECT_0;
        }
        // The system names an id that belongs to no process an invalid parameter.
        if (GetLastError() == ERROR_INVALID_PARAMETER) {
            return true;
        }
        // The process is there but may not be watched (another user's, a protected one, or
        // access denied for another reason). Its id is looked up again until the time is up:
        // once the process has gone, the id is no longer found.
        const DWORD remaining = Remaining(deadline);
        if (remaining == 0) {
            return false;
        }
        Sleep(std::min(remaining, kLookAgainMilliseconds));
    }
}
