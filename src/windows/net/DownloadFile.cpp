// DownloadFile: the portable download logic wired to WinINet, the Windows file system and the
// window's progress bar.

#include "windows/net/DownloadFile.h"

#include "core/net/FileDownload.h"
#include "windows/net/ProgressBarSink.h"
#include "windows/net/WinInetTransport.h"
#include "windows/net/WindowsTemporaryFiles.h"

bool DownloadFile(const std::string& url, const std::string& localPath,
                  const DownloadProgress& progress) {
    WinInetTransport http;
    WindowsTemporaryFiles files;
    ProgressBarSink bar(progress);
    return DownloadToFile(url, localPath, http, files, bar);
}
