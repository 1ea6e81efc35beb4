#pragma once
// Removing a file that may or may not be there, where a failure is not worth reporting.

#include <string>

#include "core/seam/FileSystem.h"

// Removes the file at `path` when FileExists finds it. A failure of either call is swallowed:
// a file that cannot be removed (locked, no access) stays where it is.
void RemoveFileQuietly(FileSystem& files, const std::string& path);
