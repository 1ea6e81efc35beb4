#include "windows/app/WindowsPlatform.h"

#include "windows/net/DownloadFile.h"
#include "windows/system/LaunchExecutables.h"

bool WindowsProgramLauncher::LaunchExecutable(const std::string& commandLine, bool wait,
                                              int windowStyle) {
    return ::LaunchExecutable(commandLine, wait, windowStyle,
                              [this] { window_.ProcessPendingEvents(); });
}

bool WindowsDownloader::DownloadFile(const std::string& url, const std::string& localPath,
                                     DownloadKind kind) {
    return ::DownloadFile(url, localPath, kind, DownloadProgress{progressBar_, [this] {
                                                                     window_.ProcessPendingEvents();
                                                                 }});
}
