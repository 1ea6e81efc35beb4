#pragma once
// Security attributes that give a new file to the current user alone.

#include <windows.h>

#include <vector>

class OwnerOnlySecurity {
public:
    // A security descriptor whose DACL has one entry, full access for the user of the process's
    // token, and is protected: the folder's inheritable entries (Users, Everyone ...) never join
    // it. Throws Win32Error when the token or the access list cannot be had.
    OwnerOnlySecurity();

    // Points into this object: neither copied nor moved.
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // For CreateFile: the descriptor, not inheritable by child processes.
    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

private:
    std::vector<BYTE> tokenUser_;  // TOKEN_USER, with the SID it points to
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};
