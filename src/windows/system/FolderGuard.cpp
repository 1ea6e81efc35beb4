#include "windows/system/FolderGuard.h"

#include <windows.h>
#include <sddl.h>

#include <cstdint>
#include <cstdio>

namespace {

// Others may only wait on the mutex (SYNCHRONIZE, which is all they ask for); SYSTEM and the
// administrators have full access. An elevated or SYSTEM creator's default access list would
// refuse a person's instance outright: with this one it finds the guard held, as it is.
constexpr const char* kGuardSecurity = "D:(A;;0x00100000;;;WD)(A;;GA;;;SY)(A;;GA;;;BA)";

// The path the system keeps for `folder`, short names made long; `folder` itself when it has
// none (the folder is gone, or may not be read).
std::string LongPath(const std::string& folder) {
    std::string path(MAX_PATH, '\0');
    DWORD length = GetLongPathNameA(folder.c_str(), path.data(), static_cast<DWORD>(path.size()));
    if (length >= path.size()) {
        path.resize(length);
        length = GetLongPathNameA(folder.c_str(), path.data(), static_cast<DWORD>(path.size()));
    }
    if (length == 0 || length >= path.size()) {
        return folder;
    }
    path.resize(length);
    return path;
}

// FNV-1a, 64 bits, over the path's bytes with ASCII letters upper-cased and without a
// trailing backslash.
std::uint64_t FolderHash(const std::string& folder) {
    std::string path = LongPath(folder);
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : path) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string GuardName(const std::string& folder) {
    char name[64];
    std::snprintf(name, sizeof name, "Global\\Quillmere-%016llx",
                  static_cast<unsigned long long>(FolderHash(folder)));
    return name;
}

}  // namespace

std::optional<FolderGuard> FolderGuard::Take(const std::string& folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(kGuardSecurity, SDDL_REVISION_1,
                                                         &descriptor, nullptr);
    const LocalMemory descriptorMemory(descriptor);
    // Without a descriptor the mutex gets the default one: the guard still works.
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    KernelHandle mutex(CreateMutexExA(descriptor != nullptr ? &security : nullptr,
                                      GuardName(folder).c_str(), 0, SYNCHRONIZE));
    const DWORD error = GetLastError();
    // Access denied: a mutex of that name exists and its maker's access list refuses us.
    if (error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED)) {
        return std::nullopt;
    }
    // Any other failure means the system could make no mutex of that name at all, so no other
    // instance holds one either: the update goes on unguarded rather than refused for a holder
    // that is not there.
    return FolderGuard(std::move(mutex));
}
