#include "windows/system/FolderProbe.h"

#include <windows.h>

#include <cstdio>

#include "windows/win32/ScopedHandles.h"

namespace {

// "~qm", this process's id and a number: a name of ours that no other process makes, not of
// the shape of the download's "~qmNN.tmp" that start-up clears away.
std::string ProbeName(unsigned attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "~qmw%08lx-%u.tmp", GetCurrentProcessId(), attempt);
    return name;
}

}  // namespace

bool CanCreateFileIn(const std::string& folder) {
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '\\') {
        prefix += '\\';
    }
    // A few names, in case an earlier probe of a process with the same id left one (the file
    // goes when its handle closes, even when the process is killed).
    for (unsigned attempt = 0; attempt < 4; ++attempt) {
        const std::string path = prefix + ProbeName(attempt);
        const FileHandle file(CreateFileA(
            path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file) {
            return true;  // removed as the handle closes
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}
