#include "app/WindowsPlatform.h"

#include "net/DownloadFile.h"
#include "script/Directories.h"
#include "script/FileSystem.h"
#include "script/LaunchExecutables.h"
#include "text/IniFiles.h"

std::string ProgramFilePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
}

std::string WindowsPlatform::ProgramFolder() {
    const std::string path = ProgramFilePath();
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) {
        return {};
    }
    // A program at a drive root keeps the root's backslash, as the system reports it.
    return path.substr(0, slash == 2 && path[1] == ':' ? slash + 1 : slash);
}

std::string WindowsPlatform::ProgramName() {
    const std::string path = ProgramFilePath();
    const std::size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

std::string WindowsPlatform::ReadIniString(const std::string& file, const std::string& section,
                                           const std::string& key) {
    return ::ReadIniString(file, section, key);
}

bool WindowsPlatform::FileExists(const std::string& path) { return OrdinaryFileExists(path); }

std::string WindowsPlatform::ReadFileBytes(const std::string& path) { return ::ReadFileBytes(path); }

void WindowsPlatform::RemoveFile(const std::string& path) { ::RemoveFile(path); }

std::string WindowsPlatform::FullPathName(const std::string& path) {
    return ::FullPathName(path);
}

bool WindowsPlatform::VisibleEntryExists(const std::string& path) {
    return ::VisibleEntryExists(path);
}

bool WindowsPlatform::AnyFileExists(const std::string& path) { return ::AnyFileExists(path); }

void WindowsPlatform::MakeFolder(const std::string& path) { ::MakeFolder(path); }

void WindowsPlatform::RemoveEmptyFolder(const std::string& path) { ::RemoveEmptyFolder(path); }

void WindowsPlatform::ResetAttributesAndDelete(const std::string& path) {
    ::ResetAttributesAndDelete(path);
}

bool WindowsPlatform::EraseDirectory(const std::string& path) { return ::EraseDirectory(path); }

bool WindowsPlatform::LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) {
    return ::LaunchExecutable(commandLine, wait, windowStyle,
                              [this] { window_.ProcessPendingEvents(); });
}

bool WindowsPlatform::DownloadFile(const std::string& url, const std::string& localPath) {
    return ::DownloadFile(url, localPath,
                          DownloadProgress{progressBar_, [this] { window_.ProcessPendingEvents(); }});
}
