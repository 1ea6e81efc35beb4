#pragma once
// The file a download writes its body to: created beside the target, and put in the target's
// place only once the whole body is in it.

#include <memory>
#include <span>
#include <string>

class TemporaryFile {
public:
    virtual ~TemporaryFile() = default;

    // Appends `bytes`; false when not all of them were written.
    virtual bool Write(std::span<const char> bytes) = 0;
    // Makes everything written so far durable on the disk; false when the system could not.
    virtual bool Flush() = 0;
    // Renames the file to the target, replacing what stood there, and closes it. True when the
    // file now stands at the target; on false the target is as it was and this file is still
    // there, to be discarded.
    virtual bool ReplaceTarget() = 0;
    // Closes the file if it is open and deletes it. A file that cannot be deleted now stays
    // behind until a later download into the same folder removes it.
    virtual void Discard() noexcept = 0;
};

class TemporaryFiles {
public:
    virtual ~TemporaryFiles() = default;

    // A new, empty file open for writing beside `target` (in the same folder, so that replacing
    // the target is a rename), or null when none can be created there.
    virtual std::unique_ptr<TemporaryFile> CreateBeside(const std::string& target) = 0;
};
