#pragma once
// The one way the publisher's tool writes a file other than its key: whole, through a temporary
// file of an unpredictable name renamed over it.

#include <string>
#include <string_view>

#include "publisher/common/ToolFileSystem.h"

// Writes `bytes` to a new temporary file beside `path` (PATH.qp-<16 random hex digits>.tmp,
// created exclusively, never through a symbolic link), flushed to the disk, then renamed over
// `path`: readers see the old file or the new one, never a part, and no one can plant a file or
// a link at the temporary name beforehand. A symbolic link at `path` is replaced by the file, as
// a rename does; what it pointed to is left alone. Throws std::runtime_error ("cannot write
// PATH: reason") on failure, with `path` as it was and no temporary file left.
void WriteAtomically(ToolFileSystem& files, const std::string& path, std::string_view bytes);
