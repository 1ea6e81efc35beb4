#include "windows/system/Directories.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "windows/system/WindowsFileSystem.h"
#include "windows/win32/ScopedHandles.h"

namespace {

struct DirectoryEntry {
    std::string name;
    DWORD attributes;
};

bool IsDotEntry(std::string_view name) {
    return name == "." || name == "..";
}

// A junction or folder symbolic link: its target lies outside the tree being erased.
bool IsLinkedFolder(DWORD attributes) {
    return IsFolder(attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Lists the folder `folder` (ending in "\") once, hidden and system entries included, without
// "." and "..". False when the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<DirectoryEntry>& entries) {
    WIN32_FIND_DATAA found;
    FindHandle listing(FindFirstFileA((folder + "*").c_str(), &found));
    if (!listing) {
        // An empty drive root has no "." entry, so its listing finds nothing at all.
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        if (!IsDotEntry(found.cFileName)) {
            entries.push_back({found.cFileName, found.dwFileAttributes});
        }
    } while (FindNextFileA(listing.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

bool IsDriveRoot(const std::string& path) {
    return path.size() >= 2 && path.compare(path.size() - 2, 2, ":\\") == 0;
}

bool ResetAttributes(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

// Removes a junction or folder symbolic link itself; what it points to is not touched.
bool RemoveLink(const std::string& link) {
    return ResetAttributes(link) && RemoveDirectoryA(link.c_str());
}

// True when `folder` (without its trailing "\") is itself a junction or folder link.
bool IsLink(const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsLinkedFolder(attributes);
}

// RemoveEntry and EraseFolder call each other, one level of the tree at a time.
bool EraseFolder(const std::string& folder);

// Removes one entry of a folder being erased: a file is deleted, a folder erased with its
// content. A linked folder is removed as a link only: following it would erase files that the
// tree merely points to.
bool RemoveEntry(const std::string& entryPath, DWORD attributes) {
    if (IsLinkedFolder(attributes)) {
        return RemoveLink(entryPath);
    }
    if (IsFolder(attributes)) {
        return EraseFolder(entryPath + "\\");
    }
    return ResetAttributes(entryPath) && DeleteFileA(entryPath.c_str());
}

// Erases `folder` (ending in "\"), known not to be a link, with everything in it.
bool EraseFolder(const std::string& folder) {
    // The folder is listed once and its entries handled in listing order: the same order and
    // outcome as listing afresh after each entry, at linear instead of quadratic cost.
    std::vector<DirectoryEntry> entries;
    if (!ListFolder(folder, entries)) {
        return false;
    }
    for (const DirectoryEntry& entry : entries) {
        if (!RemoveEntry(folder + entry.name, entry.attributes)) {
            return false;
        }
    }
    if (IsDriveRoot(folder)) {
        return true;  // a drive root is emptied, never removed
    }
    const std::string self = folder.substr(0, folder.size() - 1);
    return ResetAttributes(self) && RemoveDirectoryA(self.c_str());
}

}  // namespace

bool EraseDirectory(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::string folder = path.back() == '\\' ? path : path + "\\";
    // A link named by the caller is treated as the links inside the tree are.
    const std::string self = folder.substr(0, folder.size() - 1);
    if (!IsDriveRoot(folder) && IsLink(self)) {
        return RemoveLink(self);
    }
    return EraseFolder(folder);
}
