#pragma once
// The publisher's tool's file calls over POSIX, for its Linux build.

#include "publisher/common/ToolFileSystem.h"

class PosixToolFileSystem final : public ToolFileSystem {
public:
    // open(O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC) with mode 0600 (kOwnerOnly,
    // checked with fstat) or 0666 narrowed by the umask (kShared); write and fsync through that
    // descriptor.
    NewFileOutcome CreateNewFile(const std::string& path, std::string_view bytes,
                                 FileAccess access) override;

    // rename(2), then fsync of the folder.
    void MoveOver(const std::string& from, const std::string& to) override;

    // unlink(2).
    void Remove(const std::string& path) noexcept override;
};
