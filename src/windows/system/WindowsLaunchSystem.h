#pragma once
// LaunchSystem over Win32: what the program's start needs besides the updater's roles.

#include <vector>

#include "core/seam/LaunchSystem.h"
#include "windows/system/FolderGuard.h"

class WindowsLaunchSystem final : public LaunchSystem {
public:
    std::uint32_t ProcessId() override;
    bool WaitForProcessEnd(std::uint32_t processId, int milliseconds) override;
    // The guards taken are kept until this object goes, at the program's end.
    bool TakeFolderGuard(const std::string& folder) override;
    bool CanWriteFolder(const std::string& folder) override;
    bool IsElevated() override;
    // The program's own file, with the arguments joined as the system splits them again.
    Relaunch RelaunchElevated(const std::vector<std::string>& arguments) override;
    std::string TemporaryFolder() override;
    std::unique_ptr<LogFile> OpenLogFile(const std::string& path) override;

private:
    std::vector<FolderGuard> guards_;
};
