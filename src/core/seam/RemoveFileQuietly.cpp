#include "core/seam/RemoveFileQuietly.h"

#include <exception>

void RemoveFileQuietly(FileSystem& files, const std::string& path) {
    try {
        if (files.FileExists(path)) {
            files.RemoveFile(path);
        }
    } catch (const std::exception&) {
        // Callers remove what a failed step may have left; that failure is what they report.
    }
}
