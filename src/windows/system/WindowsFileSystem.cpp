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

std::string WindowsFileSystem::FinalPath(const std::string& path) {
    // No access asked for: the handle only names the object. FILE_FLAG_BACKUP_SEMANTICS opens
    // folders too; links are followed to what they point to.
    FileHandle opened(CreateFileA(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened) {
        const DWORD error = GetLastError();
        // Missing, or a file named as a folder ("file.txt\"): nothing there to act on.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME) {
            return {};
        }
        throw Win32Error(error);
    }
    std::string finalPath(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleA(opened.Get(), finalPath.data(),
                                      static_cast<DWORD>(finalPath.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            throw Win32Error();
        }
        if (length < finalPath.size()) {
            finalPath.resize(length);
            return finalPath;
        }
        finalPath.resize(length);  // the size needed, terminating null included
    }
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
