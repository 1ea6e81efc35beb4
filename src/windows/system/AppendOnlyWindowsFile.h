#pragma once
// AppendOnlyFile over a Win32 file opened for appending only: every write lands at the end;
// Flush is FlushFileBuffers.

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/seam/FileSystem.h"
#include "windows/win32/ScopedHandles.h"

class AppendOnlyWindowsFile final : public AppendOnlyFile {
public:
    // Opens `path`, creating it hidden when it is not there; others may read it meanwhile.
    // Throws Win32Error when it cannot.
    static std::unique_ptr<AppendOnlyFile> Open(const std::string& path);

    // Throw Win32Error when the bytes cannot be written whole, or flushed.
    void Append(std::string_view bytes) override;
    void Flush() override;

private:
    explicit AppendOnlyWindowsFile(FileHandle file) : file_(std::move(file)) {}

    FileHandle file_;
};
