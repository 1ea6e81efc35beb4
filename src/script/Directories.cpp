#include "script/Directories.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "win32/ScopedHandles.h"

namespace {

struct DirectoryEntry {
    std::string name;
    bool isFolder;
};

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

// Lists the folder once, hidden and system entries included, without "." and "..". False when
// the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<DirectoryEntry>& entries) {
    WIN32_FIND_DATAA found;
    FindHandle listing(FindFirstFileA((folder + "*").c_str(), &found));
    if (!listing) {
        return false;
    }
    do {
        if (!IsDotEntry(found.cFileName)) {
            entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        }
    } while (FindNextFileA(listing.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

bool IsDriveRoot(const std::string& path) {
    return path.size() >= 2 && path.compare(path.size() - 2, 2, ":\\") == 0;
}

bool DeleteEntryFile(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) && DeleteFileA(path.c_str());
}

}  // namespace

bool EraseDirectory(const std::string& path) {
    // The folder is listed once and its entries handled in listing order: the same order and
    // outcome as listing afresh after each entry, at linear instead of quadratic cost.
    std::vector<DirectoryEntry> entries;
    if (!ListFolder(path, entries)) {
        return false;
    }
    for (const DirectoryEntry& entry : entries) {
        const std::string entryPath = path + entry.name;
        const bool removed = entry.isFolder ? EraseDirectory(entryPath + "\\") : DeleteEntryFile(entryPath);
        if (!removed) {
            return false;
        }
    }
    if (IsDriveRoot(path)) {
        return true;  // a drive root is emptied, never removed
    }
    const std::string folder = path.substr(0, path.size() - 1);
    return SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL) &&
           RemoveDirectoryA(folder.c_str());
}
