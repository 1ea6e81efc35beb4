#include "windows/system/IniFiles.h"

#include <windows.h>

std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key) {
    // 1024 characters, NUL included: a longer value is cut to its first 1023 characters.
    char buffer[1024] = {};
    const DWORD copied = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                  sizeof buffer, file.c_str());
    return std::string(buffer, copied);
}
