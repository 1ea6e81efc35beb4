#pragma once
// FileSystem over Win32: listings with attribute filters, folders, files and final path names,
// and for an update's journal: attributes and times, write-through renames, the Restart
// Manager's names of the programs holding a file, append-only files. Functions that throw,
// throw Win32Error with the system's description of the failure (MoveEntry: EntryInUse when
// the system refuses for sharing).

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
    bool EntryExists(const std::string& path) override;
    std::vector<std::string> EntryNames(const std::string& folder) override;
    std::string ActualName(const std::string& path) override;
    EntryStamp ReadStamp(const std::string& path) override;
    void WriteStamp(const std::string& path, const EntryStamp& stamp) override;
    void MoveEntry(const std::string& from, const std::string& to, bool replace) override;
    std::string ProgramsUsing(const std::string& path) override;
    std::unique_ptr<AppendOnlyFile> OpenForAppend(const std::string& path) override;
};

// True for the attributes of a folder (a folder link included).
inline bool IsFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
