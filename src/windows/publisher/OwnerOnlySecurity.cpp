#include "windows/publisher/OwnerOnlySecurity.h"

#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

// The TOKEN_USER of the process's token: the SID of the user the tool runs as.
std::vector<BYTE> CurrentTokenUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        throw Win32Error();
    const KernelHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);  // asks for the size
    std::vector<BYTE> tokenUser(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, tokenUser.data(), size, &size))
        throw Win32Error();
    return tokenUser;
}

// An access list with one entry: full access for `sid`.
std::vector<BYTE> AclForOnly(PSID sid) {
    const DWORD size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    std::vector<BYTE> acl(size);
    const auto list = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(list, size, ACL_REVISION) ||
        !AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, sid)) {
        throw Win32Error();
    }
    return acl;
}

}  // namespace

OwnerOnlySecurity::OwnerOnlySecurity()
    : tokenUser_(CurrentTokenUser()),
      acl_(AclForOnly(reinterpret_cast<TOKEN_USER*>(tokenUser_.data())->User.Sid)) {
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<PACL>(acl_.data()),
                                   FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        throw Win32Error();
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
}
