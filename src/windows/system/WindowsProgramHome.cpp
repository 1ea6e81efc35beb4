#include "windows/system/WindowsProgramHome.h"

#include <windows.h>

#include "windows/system/IniFiles.h"

std::string ProgramFilePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
}

std::string WindowsProgramHome::ProgramFolder() {
    const std::string path = ProgramFilePath();
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) {
        return {};
    }
    // A program at a drive root keeps the root's backslash, as the system reports it.
    return path.substr(0, slash == 2 && path[1] == ':' ? slash + 1 : slash);
}

std::string WindowsProgramHome::ProgramName() {
    const std::string path = ProgramFilePath();
    const std::size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

std::string WindowsProgramHome::ReadIniString(const std::string& file, const std::string& section,
                                              const std::string& key) {
    return ::ReadIniString(file, section, key);
}
