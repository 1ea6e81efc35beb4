#pragma once
// The log file of /log over Win32: lines appended at the end, each stamped with the local
// time, while others may read the file (a person watching it) or write it (the elevated
// instance that Update starts appends to the same file before this one has closed).

#include <memory>
#include <string>
#include <string_view>

#include "core/seam/LaunchSystem.h"
#include "windows/win32/ScopedHandles.h"

class WindowsLogFile final : public LogFile {
public:
    // Opens `path`, creating it when it is not there. Throws Win32Error when it cannot.
    static std::unique_ptr<LogFile> Open(const std::string& path);

    // "YYYY-MM-DD HH:MM:SS", two blanks, `line`, CR LF: one write, so that lines of two
    // instances never interleave. A failure is ignored.
    void WriteLine(std::string_view line) override;

private:
    explicit WindowsLogFile(FileHandle file) : file_(std::move(file)) {}

    FileHandle file_;
};
