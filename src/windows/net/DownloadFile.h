#pragma once
// The program's only network code: one HTTP GET through WinINet into one local file.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/seam/Crypto.h"
#include "core/seam/DownloadKind.h"
#include "core/seam/Downloader.h"

// Where a download shows its progress. Both members may be empty (no progress shown).
struct DownloadProgress {
    HWND progressBar = nullptr;  // a PROGRESS_CLASS control, counted in bytes
    // Handles the caller's window messages while the download waits, whenever some arrive.
    std::function<void()> processPendingEvents;
};

// Downloader::DownloadFile (core/seam/Downloader.h) through WinINet: DownloadToFile
// (core/net/FileDownload.h) over WinInetTransport and WindowsTemporaryFiles. What it adds:
// - the requests: user agent "Quillmere", never from the local cache nor into it, for every
//   kind but DownloadKind::ReleaseFile with "Cache-Control: no-cache" and "Pragma: no-cache";
//   60 s without a byte from the server is a failure;
// - the temporary file is "~qmNN.tmp" beside `localPath`, renamed onto it through the handle
//   that wrote it (see WindowsTemporaryFiles);
// - the network calls run on a worker thread of their own, joined before the call returns;
//   meanwhile the calling thread sleeps, shows the progress on `progress.progressBar` as it
//   comes and handles its messages with `progress.processPendingEvents`, so its windows never
//   stop responding. An exception from `processPendingEvents` abandons the download at its
//   next chunk;
// - with `expected`, the body is hashed with `crypto` on a thread of its own, beside the reads.
// Never throws.
DownloadResult DownloadFile(const std::string& url, const std::string& localPath, DownloadKind kind,
                            const std::optional<Sha256Digest>& expected,
                            const DownloadProgress& progress, Crypto& crypto);
