#pragma once
// A fresh folder for one test, under the system's temporary folder, erased with everything in
// it (read-only, hidden and system entries included) when the test ends.

#include <windows.h>

#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing backslash.
    const std::string& Path() const { return path_; }
    // `name` inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Writes `bytes` to the file, replacing it. Fails the test (by throwing) when it cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The whole file, or "<missing>" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Removes the folder `path` with everything in it, whatever the attributes. Best effort: what
// cannot be removed stays.
void EraseTree(const std::string& path);

// True when anything (file or folder, whatever its attributes) stands at `path`.
bool PathExists(const std::string& path);

// The names in `folder` (files and folders alike, without "." and ".."), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
