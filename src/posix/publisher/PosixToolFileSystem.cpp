// The publisher's tool's file calls on POSIX: exclusive creation that never follows a link, with
// the key file owner-only from its creation, and the rename that replaces a file.

#include "posix/publisher/PosixToolFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <stdexcept>

#include "posix/publisher/ScopedDescriptor.h"

namespace {

constexpr mode_t kOwnerOnlyMode = S_IRUSR | S_IWUSR;  // 0600
constexpr mode_t kSharedMode = 0666;                  // any new file's, narrowed by the umask

std::runtime_error SystemError(int error) {
    return std::runtime_error(std::strerror(error));
}

bool IsSymbolicLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// The umask can only clear bits of the 0600 asked for, so group and others have none. A file
// system that keeps no POSIX modes (a FAT or SMB mount) shows a mode of its own here: the key is
// not left where others may read it. Throws std::runtime_error.
void CheckOwnerOnly(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        throw SystemError(errno);
    if (!S_ISREG(status.st_mode) || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        throw std::runtime_error("the file system does not keep the file private to its owner");
}

// Writes all of `bytes`, then fsync and close. Throws std::runtime_error.
void WriteSyncClose(ScopedDescriptor& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.Get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw SystemError(written < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::fsync(file.Get()) != 0 || !file.Close())
        throw SystemError(errno);
}

// The folder that holds `path`'s entry.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

NewFileOutcome PosixToolFileSystem::CreateNewFile(const std::string& path, std::string_view bytes,
                                                  FileAccess access) {
    // O_EXCL refuses anything that stands at `path`; with O_CREAT it also refuses a symbolic
    // link, dangling or not, rather than create the link's target (EEXIST). O_NOFOLLOW says so
    // again, and the mode is the file's from its creation: no moment when others may open it.
    const bool ownerOnly = access == FileAccess::kOwnerOnly;
    ScopedDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 ownerOnly ? kOwnerOnlyMode : kSharedMode));
    if (!file) {
        const int error = errno;
        if (error == EEXIST)
            return IsSymbolicLink(path) ? NewFileOutcome::kSymbolicLink : NewFileOutcome::kExists;
        throw SystemError(error);
    }
    try {
        if (ownerOnly)
            CheckOwnerOnly(file.Get());
        WriteSyncClose(file, bytes);
    } catch (const std::runtime_error&) {
        Remove(path);  // ours: created exclusively above
        throw;
    }
    return NewFileOutcome::kCreated;
}

void PosixToolFileSystem::MoveOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        throw SystemError(errno);
    // The new entry on the disk too; the file's bytes are already (fsync before the rename). A
    // folder that cannot be synced leaves the rename done all the same: no failure to report.
    const ScopedDescriptor folder(::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.Get());
}

void PosixToolFileSystem::Remove(const std::string& path) noexcept {
    ::unlink(path.c_str());
}
