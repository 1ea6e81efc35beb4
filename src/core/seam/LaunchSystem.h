#pragma once
// What the program's start needs from the system besides the updater's roles: waiting for the
// application that started it, one Quillmere at a time per program folder, administrator
// rights, and the log file.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The log file of /log: each line written is stamped with the local time and kept at once.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Writes one line (no line break inside). Never throws: a log that cannot be written must
    // not stop an update.
    virtual void WriteLine(std::string_view line) = 0;
};

class LaunchSystem {
public:
    virtual ~LaunchSystem() = default;

    // The id of this process.
    virtual std::uint32_t ProcessId() = 0;

    // Waits at most `milliseconds` for the process `processId` to end. True when it has ended
    // or is not there; false while it still runs.
    virtual bool WaitForProcessEnd(std::uint32_t processId, int milliseconds) = 0;

    // Takes, for the rest of this process's life, the guard that lets one Quillmere at a time
    // work on the program folder `folder`. False when another process holds it.
    virtual bool TakeFolderGuard(const std::string& folder) = 0;

    // True when this process can create a file in `folder`: it creates one of its own there and
    // removes it.
    virtual bool CanWriteFolder(const std::string& folder) = 0;

    // True when this process runs with administrator rights (an elevated token).
    virtual bool IsElevated() = 0;

    // Starts this program again with administrator rights (the system asks the user) and
    // `arguments`.
    enum class Relaunch {
        Started,  // the new instance runs: this one must close
        Refused,  // the user said no
        Failed,   // it could not be started
    };
    virtual Relaunch RelaunchElevated(const std::vector<std::string>& arguments) = 0;

    // The user's folder for temporary files, without a trailing backslash.
    virtual std::string TemporaryFolder() = 0;

    // Opens `path` for appending, creating it when it is not there. Throws, with the system's
    // text, when it cannot.
    virtual std::unique_ptr<LogFile> OpenLogFile(const std::string& path) = 0;
};
