#pragma once
// The program's only network code: one HTTP GET through WinINet into one local file.

#include <windows.h>

#include <functional>
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

// Fetches `url` (user agent "Quillmere", never from the local cache nor into it; for every kind
// but DownloadKind::ReleaseFile with "Cache-Control: no-cache" and "Pragma: no-cache") into
// `localPath`. True only when the whole announced body of a 2xx reply arrived and now stands
// at `localPath`. Redirects are followed by the rules of RedirectTrail (at most 10, no loop,
// never from https to http). Any other status, a reply without a Content-Length of 0 to
// MaximumBodyLength(kind), a body shorter or longer than announced, 60 s without a byte from
// the server, or any network or file error gives false, and then whatever stood at
// `localPath` before the call is left exactly as it was; no partial file remains anywhere. The
// body is first written to a temporary file "~qmNN.tmp" beside `localPath`, flushed to the
// disk, and then renamed onto `localPath` through the handle that wrote it (see
// WindowsTemporaryFiles).
// The network calls run on a worker thread of their own, joined before the call returns;
// meanwhile the calling thread sleeps, shows the progress on the bar as it comes and handles
// its messages with `processPendingEvents`, so its windows never stop responding. An
// exception from `processPendingEvents` abandons the download at its next chunk. The progress
// bar's value is 0 when the call returns. Never throws.
bool DownloadFile(const std::string& url, const std::string& localPath, DownloadKind kind,
                  const DownloadProgress& progress);

// DownloadFile for a body whose SHA-256 must be `expected`: hashed with `crypto` on the worker
// thread as each chunk is written, and stored only when it matches (DigestMismatch otherwise,
// `localPath` as it was, no temporary file left). Never throws.
DownloadResult DownloadPinnedFile(const std::string& url, const std::string& localPath,
                                  DownloadKind kind, const DownloadProgress& progress,
                                  Crypto& crypto, const Sha256Digest& expected);
