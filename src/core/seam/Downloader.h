#pragma once
// The network, as the updater needs it: one URL into one local file.

#include <string>

#include "core/seam/DownloadKind.h"

class Downloader {
public:
    virtual ~Downloader() = default;

    // Fetches the URL with an HTTP GET into the local file, showing progress; `kind` says
    // whether a shared cache may answer. True only when the whole body of a successful (2xx)
    // reply arrived and was stored; on failure the local path is left as it was.
    virtual bool DownloadFile(const std::string& url, const std::string& localPath,
                              DownloadKind kind) = 0;
};
