// The publisher's tool's file calls on Windows: exclusive creation that never follows a reparse
// point, with the key file for the current user alone from its creation, and the write-through
// move that replaces a file.

#include "windows/publisher/WindowsToolFileSystem.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "windows/publisher/OwnerOnlySecurity.h"
#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

constexpr std::size_t kLargestWrite = 1 << 30;

bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());  // of the link, not its target
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Writes all of `bytes`, then FlushFileBuffers. Throws Win32Error.
void WriteAndFlush(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto count = static_cast<DWORD>(std::min(bytes.size(), kLargestWrite));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), count, &written, nullptr))
            throw Win32Error();
        if (written == 0)
            throw Win32Error(ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(file))
        throw Win32Error();
}

}  // namespace

NewFileOutcome WindowsToolFileSystem::CreateNewFile(const std::string& path, std::string_view bytes,
                                                    FileAccess access) {
    // The access list is the file's from its creation: no moment when others may open it, and
    // nothing inherited from the folder. CREATE_NEW refuses anything that stands at `path`, and
    // FILE_FLAG_OPEN_REPARSE_POINT keeps a symbolic link or junction there, dangling or not,
    // from being followed to create its target.
    std::optional<OwnerOnlySecurity> ownerOnly;
    if (access == FileAccess::kOwnerOnly)
        ownerOnly.emplace();
    const HANDLE created =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, ownerOnly ? ownerOnly->Attributes() : nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const DWORD error = GetLastError();
    FileHandle file(created);
    if (!file) {
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return IsReparsePoint(path) ? NewFileOutcome::kSymbolicLink : NewFileOutcome::kExists;
        throw Win32Error(error);
    }
    try {
        WriteAndFlush(file.Get(), bytes);
    } catch (const Win32Error&) {
        file.Reset();
        Remove(path);  // ours: created exclusively above
        throw;
    }
    return NewFileOutcome::kCreated;
}

void WindowsToolFileSystem::MoveOver(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw Win32Error();
}

void WindowsToolFileSystem::Remove(const std::string& path) noexcept {
    DeleteFileA(path.c_str());
}
