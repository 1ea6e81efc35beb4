#include "windows/system/WindowsFileSystem.h"

#include "windows/system/Directories.h"

#include <windows.h>

#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Calls `accept` on each entry of a listing of `pattern` until it returns true.
template <typename Accept>
bool AnyListedEntry(const std::string& pattern, Accept accept) {
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA(pattern.c_str(), &entry));
    if (!listing) {
        return false;
    }
    do {
        if (accept(entry.dwFileAttributes)) {
            return true;
        }
    } while (FindNextFileA(listing.Get(), &entry));
    return false;
}

}  // namespace

bool WindowsFileSystem::FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    return AnyListedEntry(path, [](DWORD attributes) {
        return !IsFolder(attributes) && (attributes & kHiddenOrSystem) == 0;
    });
}

bool WindowsFileSystem::VisibleEntryExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    // A listing of "folder\" lists nothing on Windows; "folder\*" lists its entries.
    const std::string pattern = path.back() == '\\' ? path + "*" : path;
    return AnyListedEntry(pattern,
                          [](DWORD attributes) { return (attributes & kHiddenOrSystem) == 0; });
}

bool WindowsFileSystem::AnyFileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    return AnyListedEntry(path, [](DWORD attributes) { return !IsFolder(attributes); });
}

std::string WindowsFileSystem::FullPathName(const std::string& path) {
    std::string full(MAX_PATH, '\0');
    DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameA(path.c_str(), length, full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) {
        return path;
    }
    full.resize(length);
    std::string longForm(MAX_PATH, '\0');
    length = GetLongPathNameA(full.c_str(), longForm.data(), static_cast<DWORD>(longForm.size()));
    if (length == 0 || length >= longForm.size()) {
        return full;  // the path does not exist (yet), or is too long to expand: keep it as is
    }
    longForm.resize(length);
    return longForm;
}

std::string WindowsFileSystem::ReadFileBytes(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        throw Win32Error();
    }
    std::string content;
    char block[64 * 1024];
    DWORD read = 0;
    do {
        if (!ReadFile(file.Get(), block, sizeof block, &read, nullptr)) {
            throw Win32Error();
        }
        content.append(block, read);
    } while (read > 0);
    return content;
}

void WindowsFileSystem::RemoveFile(const std::string& path) {
    if (!DeleteFileA(path.c_str())) {
        throw Win32Error();
    }
}

void WindowsFileSystem::MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        throw Win32Error();
    }
}

void WindowsFileSystem::RemoveEmptyFolder(const std::string& path) {
    if (!RemoveDirectoryA(path.c_str())) {
        throw Win32Error();
    }
}

void WindowsFileSystem::ResetAttributesAndDelete(const std::string& path) {
    if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        throw Win32Error();
    }
    RemoveFile(path);
}

bool WindowsFileSystem::EraseDirectory(const std::string& path) {
    return ::EraseDirectory(path);
}
