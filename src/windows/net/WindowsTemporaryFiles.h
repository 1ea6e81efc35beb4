#pragma once
// The download's temporary files on a Windows file system.

#include <memory>
#include <string>

#include "core/net/TemporaryFile.h"

// Temporary files named "~qmNN.tmp" (NN two hexadecimal digits) in the target's folder. The
// name is short so that it fits wherever the target does: any folder that CreateDirectoryA
// accepts on Windows leaves room for a name of 12 characters within MAX_PATH. (The "\\?\" form
// of a longer path is no way out: the ANSI functions refuse any path beyond MAX_PATH.)
// Such files belong to downloads: one that a killed download left behind is closed and is
// deleted by the next download into that folder, while the file of a download still under way
// stays open and cannot be deleted, so it is left alone and another name taken. A whole body's
// file is renamed onto its target through the handle that wrote it, where the file system
// allows it (see ReplaceTarget).
class WindowsTemporaryFiles final : public TemporaryFiles {
public:
    // Removes the leftovers beside `target`, then creates the first free name. Null when the
    // folder is missing or refuses, or no name is free. Never throws but std::bad_alloc.
    std::unique_ptr<TemporaryFile> CreateBeside(const std::string& target) override;
};
