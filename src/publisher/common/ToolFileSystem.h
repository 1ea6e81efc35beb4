#pragma once
// How the publisher's tool creates and replaces files: the platform's few calls, passed in by
// each build's entry point (POSIX in posix/publisher/, Win32 in windows/publisher/). AtomicWrite.h
// builds the replacement of a whole file on them; keygen creates its key file with them.

#include <string>
#include <string_view>

// Who may open a new file.
enum class FileAccess {
    kOwnerOnly,  // the current user alone, from the file's first byte: the private key
    kShared,     // as any new file in its folder (the umask, the folder's inherited access list)
};

// What stood at the path of a new file.
enum class NewFileOutcome {
    kCreated,       // nothing: the file is new and holds the bytes
    kExists,        // a file or folder; nothing was written
    kSymbolicLink,  // a symbolic link (or junction), dangling or not; nothing was written
};

class ToolFileSystem {
public:
    virtual ~ToolFileSystem() = default;

    // Creates `path` as a new file with `access`, writes `bytes` and flushes them to the disk,
    // all through the one handle that created it. Never follows a symbolic link and never opens
    // an existing file: what stands there is the outcome. Throws std::runtime_error whose text
    // is the system's reason on any other failure, leaving no file behind.
    virtual NewFileOutcome CreateNewFile(const std::string& path, std::string_view bytes,
                                         FileAccess access) = 0;

    // Renames the file `from` over `to`, replacing what is there (a symbolic link is replaced,
    // not followed), and has the rename put on the disk where the system can. Throws
    // std::runtime_error whose text is the system's reason, with both as they were.
    virtual void MoveOver(const std::string& from, const std::string& to) = 0;

    // Deletes the file `path` where it can; a clean-up that never fails the caller.
    virtual void Remove(const std::string& path) noexcept = 0;
};
