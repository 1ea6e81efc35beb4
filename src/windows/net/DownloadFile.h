#pragma once
// The program's only network code: one HTTP GET through WinINet into one local file.

#include <windows.h>

#include <functional>
#include <string>

// Where a download shows its progress. Both members may be empty (no progress shown).
struct DownloadProgress {
    HWND progressBar = nullptr;                  // a PROGRESS_CLASS control, counted in bytes
    std::function<void()> processPendingEvents;  // called after every chunk
};

// Fetches `url` (user agent "Quillmere", never from the cache) into `localPath`. True only when
// the whole announced body arrived and now stands at `localPath`. A 404 status, a reply without
// a Content-Length of 0 to 2^31 - 1 (a negative one included), a body shorter than announced,
// or any network or file error gives false, and then whatever stood at `localPath` before the
// call is left exactly as it was; no partial file remains anywhere. The body is first written
// to a temporary file "~qmNN.tmp" beside `localPath` (see WindowsTemporaryFiles), flushed to the
// disk, and then moved onto `localPath` write-through. The progress bar's value is 0 when the
// call returns. Never throws.
bool DownloadFile(const std::string& url, const std::string& localPath,
                  const DownloadProgress& progress);
