#include "windows/ui/ProgramVersion.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// The value at `path` inside a version-information block, or null.
const void* QueryValue(const std::vector<char>& block, const char* path, UINT& length) {
    void* value = nullptr;
    length = 0;
    // VerQueryValueA only reads the block; its parameter is not const for historical reasons.
    if (!VerQueryValueA(const_cast<char*>(block.data()), path, &value, &length) || length == 0) {
        return nullptr;
    }
    return value;
}

std::string ProductName(const std::vector<char>& block) {
    UINT length = 0;
    const auto* translation =
        static_cast<const WORD*>(QueryValue(block, "\\VarFileInfo\\Translation", length));
    if (translation == nullptr || length < 2 * sizeof(WORD)) {
        return {};
    }
    char path[64];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\ProductName", translation[0],
                  translation[1]);
    const auto* name = static_cast<const char*>(QueryValue(block, path, length));
    if (name == nullptr) {
        return {};
    }
    // The length counts the terminating NUL.
    std::string text(name, length);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

}  // namespace

ProgramVersion ReadProgramVersion(const std::string& path) {
    ProgramVersion version;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return version;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return version;
    }
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(QueryValue(block, "\\", length));
    if (fixed != nullptr && length >= sizeof(VS_FIXEDFILEINFO)) {
        version.major = HIWORD(fixed->dwFileVersionMS);
        version.minor = LOWORD(fixed->dwFileVersionMS);
        version.build = HIWORD(fixed->dwFileVersionLS);
        version.revision = LOWORD(fixed->dwFileVersionLS);
    }
    version.productName = ProductName(block);
    return version;
}

std::string VersionLine(const ProgramVersion& version) {
    return "Version : " + std::to_string(version.major) + "." + std::to_string(version.minor) +
           "." + std::to_string(version.build) + "." + std::to_string(version.revision);
}
