#pragma once
// FileSystem over Win32: listings with attribute filters, folders, files and final path names.
// Functions that throw, throw Win32Error with the system's description of the failure.

#include <windows.h>

#include "core/seam/FileSystem.h"

class WindowsFileSystem final : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
    std::string ReadFileBytes(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    std::string FinalPath(const std::string& path) override;
    bool VisibleEntryExists(const std::string& path) override;
    bool AnyFileExists(const std::string& path) override;
    void MakeFolder(const std::string& path) override;
    void RemoveEmptyFolder(const std::string& path) override;
    void ResetAttributesAndDelete(const std::string& path) override;
    bool EraseDirectory(const std::string& path) override;
};

// True for the attributes of a folder (a folder link included).
inline bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
