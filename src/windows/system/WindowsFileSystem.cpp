#include "windows/system/WindowsFileSystem.h"

#include "windows/system/AppendOnlyWindowsFile.h"
#include "windows/system/Directories.h"
#include "windows/system/ProgramsUsingFile.h"

#include <windows.h>

#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Attributes the system keeps itself: SetFileAttributes does not take them.
constexpr DWORD kAttributesOfTheSystem = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE |
                                         FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_REPARSE_POINT |
                                         FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED;

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

// Opens the file or folder at `path` with attribute access (`access`) and no data access,
// sharing everything, so that a file another program holds open, a running one's included,
// opens too; FILE_FLAG_BACKUP_SEMANTICS opens folders. Throws when it cannot.
FileHandle OpenEntry(const std::string& path, DWORD access) {
    FileHandle entry(CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry) {
        throw Win32Error();
    }
    return entry;
}

std::uint64_t Ticks(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

FILETIME FileTime(std::uint64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Sets the creation and last-write times. Attribute access is all it takes, a read-only file
// and a running program's file included.
void WriteTimes(const std::string& path, const EntryStamp& stamp) {
    const FileHandle entry = OpenEntry(path, FILE_WRITE_ATTRIBUTES);
    const FILETIME created = FileTime(stamp.created);
    const FILETIME written = FileTime(stamp.written);
    if (!SetFileTime(entry.Get(), &created, nullptr, &written)) {
        throw Win32Error();
    }
}

bool IsSharingRefusal(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// True when a handle holds the file at `path` open for its data or its deletion: an open for
// deletion that shares nothing is then refused for sharing. A rename onto such a file fails
// with ERROR_ACCESS_DENIED, whatever the holder shares.
bool HeldOpen(const std::string& path) {
    const FileHandle exclusive(CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !exclusive && IsSharingRefusal(GetLastError());
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

bool WindowsFileSystem::EntryExists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> WindowsFileSystem::EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    if (folder.empty()) {
        return names;
    }
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!listing) {
        return names;
    }
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(listing.Get(), &entry));
    return names;
}

std::string WindowsFileSystem::ActualName(const std::string& path) {
    // A listing of the path itself names the entry as the folder holds it.
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA(path.c_str(), &entry));
    if (!listing) {
        throw Win32Error();
    }
    return entry.cFileName;
}

EntryStamp WindowsFileSystem::ReadStamp(const std::string& path) {
    const FileHandle entry = OpenEntry(path, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(entry.Get(), &information)) {
        throw Win32Error();
    }
    return {information.dwFileAttributes, Ticks(information.ftCreationTime),
            Ticks(information.ftLastWriteTime)};
}

void WindowsFileSystem::WriteStamp(const std::string& path, const EntryStamp& stamp) {
    // Times first, through a handle closed again before the attributes change; none to set
    // when both are 0 (the attributes alone change, as when an aside copy is hidden).
    if (stamp.created != 0 || stamp.written != 0) {
        WriteTimes(path, stamp);
    }
    const DWORD attributes = stamp.attributes & ~kAttributesOfTheSystem;
    if (!SetFileAttributesA(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes)) {
        throw Win32Error();
    }
}

void WindowsFileSystem::MoveEntry(const std::string& from, const std::string& to, bool replace) {
    // Write-through: the rename is on the disk before the call returns, as a journal needs.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExA(from.c_str(), to.c_str(), flags)) {
        return;
    }
    const DWORD error = GetLastError();
    if (IsSharingRefusal(error)) {
        throw EntryInUse(Win32Error::SystemMessage(error));
    }
    if (replace && error == ERROR_ACCESS_DENIED && HeldOpen(to)) {
        throw EntryInUse(Win32Error::SystemMessage(ERROR_SHARING_VIOLATION));
    }
    throw Win32Error(error);
}

std::string WindowsFileSystem::ProgramsUsing(const std::string& path) {
    return ProgramsUsingFile(path);
}

std::unique_ptr<AppendOnlyFile> WindowsFileSystem::OpenForAppend(const std::string& path) {
    return AppendOnlyWindowsFile::Open(path);
}
