#pragma once
// Module Directories: erasing a folder tree.

#include <string>

// Removes everything inside the folder `path` (which ends in "\"; one is added if missing),
// hidden, system and read-only entries included, depth first in listing order, then the folder
// itself unless `path` is a drive root ("X:\"). A junction or folder link, inside the tree or
// named by `path` itself, is removed as a link; what it points to is left alone. Stops at the first
// entry that cannot be listed, changed or removed and returns false; what was removed before stays
// removed. Never throws.
bool EraseDirectory(const std::string& path);
