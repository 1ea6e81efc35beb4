#include "windows/UnwritableFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "windows/TempFolder.h"
#include "windows/win32/ScopedHandles.h"

namespace {

// The Unix path of a Windows path, as Wine maps it; empty outside Wine.
std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return {};
    }
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    char* unix = toUnix(wide.c_str());
    if (unix == nullptr) {
        return {};
    }
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string TemporaryFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof path, path);
    return std::string(path, length);
}

// Runs a Unix command line through /bin/sh, as Wine lets a Windows program start a Unix one,
// and waits at most 10 s for it to end. Wine gives no handle to wait on: the command's last
// act is to make a marker file, which the wait looks for. Throws when it cannot run or end.
void RunUnixShell(const std::string& line) {
    static int commands = 0;
    const std::string marker = TemporaryFolder() + "~unix-done-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++commands);
    const std::string unixMarker = UnixPath(marker);
    std::string commandLine = "/bin/sh -c \"" + line + "; touch '" + unixMarker + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (unixMarker.empty() ||
        !CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        throw std::runtime_error("cannot run the Unix command " + line + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    for (int look = 0; !PathExists(marker); ++look) {
        if (look == 500) {
            throw std::runtime_error("the Unix command " + line + " did not end");
        }
        Sleep(20);
    }
    DeleteFileA(marker.c_str());
}

// True when a new file can be created in `folder` (it is removed at once).
bool CanCreateFileIn(const std::string& folder) {
    const std::string probe = folder + "\\~probe.tmp";
    const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    DeleteFileA(probe.c_str());
    return true;
}

}  // namespace

UnwritableFolder::UnwritableFolder(const std::string& path)
    : path_(path), unixPath_(UnixPath(path)) {
    if (unixPath_.empty() || unixPath_.find('\'') != std::string::npos) {
        unixPath_.clear();
        return;
    }
    RunUnixShell("chmod a-w '" + unixPath_ + "'; chattr +i '" + unixPath_ + "' 2>/dev/null");
    holds_ = !CanCreateFileIn(path_);
    if (!holds_) {
        Lift();
    }
}

UnwritableFolder::~UnwritableFolder() {
    Lift();
}

void UnwritableFolder::Lift() {
    if (unixPath_.empty()) {
        return;
    }
    try {
        RunUnixShell("chattr -i '" + unixPath_ + "' 2>/dev/null; chmod u+w '" + unixPath_ + "'");
    } catch (const std::exception& failure) {
        ADD_FAILURE() << failure.what() << ": " << unixPath_
                      << " may stay unwritable (chattr -i removes that)";
    }
    unixPath_.clear();
}
