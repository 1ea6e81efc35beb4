#include "windows/system/WindowsLaunchSystem.h"

#include <windows.h>

#include <algorithm>

#include "core/launch/LaunchOptions.h"
#include "windows/system/Elevation.h"
#include "windows/system/FolderProbe.h"
#include "windows/system/ProcessWait.h"
#include "windows/system/WindowsLogFile.h"
#include "windows/system/WindowsProgramHome.h"

std::uint32_t WindowsLaunchSystem::ProcessId() {
    return GetCurrentProcessId();
}

bool WindowsLaunchSystem::WaitForProcessEnd(std::uint32_t processId, int milliseconds) {
    return ::WaitForProcessEnd(processId, static_cast<DWORD>(std::max(milliseconds, 0)));
}

bool WindowsLaunchSystem::TakeFolderGuard(const std::string& folder) {
    std::optional<FolderGuard> guard = FolderGuard::Take(folder);
    if (!guard) {
        return false;
    }
    guards_.push_back(std::move(*guard));
    return true;
}

bool WindowsLaunchSystem::CanWriteFolder(const std::string& folder) {
    return CanCreateFileIn(folder);
}

bool WindowsLaunchSystem::IsElevated() {
    return IsProcessElevated();
}

LaunchSystem::Relaunch WindowsLaunchSystem::RelaunchElevated(
    const std::vector<std::string>& arguments) {
    return StartElevated(ProgramFilePath(), JoinCommandLine(arguments));
}

std::string WindowsLaunchSystem::TemporaryFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof path, path);
    std::string folder(path, length < sizeof path ? length : 0);
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

std::unique_ptr<LogFile> WindowsLaunchSystem::OpenLogFile(const std::string& path) {
    return WindowsLogFile::Open(path);
}
