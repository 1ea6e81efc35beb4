#pragma once
// What a folder holds, recursively: each file's size and SHA-256 and each folder, by relative
// path; and the difference between two such snapshots, as a simulation reports it.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <string>

#include "core/seam/Crypto.h"

struct FolderEntry {
    bool folder = false;
    std::uintmax_t size = 0;  // files only
    std::string sha256;       // files only, lower-case hex
};

// Relative paths with "/" between names ("notes/whats-new.txt"), in name order.
using FolderSnapshot = std::map<std::string, FolderEntry>;

// The snapshot of everything under `folder`. Throws std::exception when a file or folder cannot
// be read.
FolderSnapshot TakeFolderSnapshot(const std::filesystem::path& folder, Crypto& crypto);

// Writes one line per difference: "added", "changed" (old and new size and SHA-256) or
// "removed", files and folders (a folder's name ends in "/"). Returns the number of lines.
std::size_t WriteFolderChanges(const FolderSnapshot& before, const FolderSnapshot& after,
                               std::ostream& out);
