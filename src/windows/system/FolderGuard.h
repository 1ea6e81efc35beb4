#pragma once
// One Quillmere at a time per program folder: a named mutex that the first process to make it
// keeps until it ends. Its name comes from the folder's path, in the Global namespace, so that
// every instance working on the folder meets it: a person's, an elevated one, a scheduled
// task's in another session.

#include <optional>
#include <string>

#include "windows/win32/ScopedHandles.h"

class FolderGuard {
public:
    // Takes the guard of `folder` (its letters compared without regard to ASCII case, a short
    // name the same as its long one). Nullopt when another holder, in this process or another,
    // has it.
    static std::optional<FolderGuard> Take(const std::string& folder);

private:
    explicit FolderGuard(KernelHandle mutex) : mutex_(std::move(mutex)) {}

    KernelHandle mutex_;  // may be invalid: see Take
};
