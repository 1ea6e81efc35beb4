#pragma once
// The network, as the updater needs it: one URL into one local file.

#include <optional>
#include <string>

#include "core/seam/Crypto.h"
#include "core/seam/DownloadKind.h"

// How a download ended.
enum class DownloadResult {
    Stored,          // the whole body now stands at the local path
    Failed,          // no usable reply, or the body could not be stored
    DigestMismatch,  // the whole body arrived, but its SHA-256 is not the one expected
};

class Downloader {
public:
    virtual ~Downloader() = default;

    // Fetches the URL with an HTTP GET into the local file, showing progress; `kind` says
    // whether a shared cache may answer. With `expected`, the body is hashed as it arrives and
    // stored only when its SHA-256 is that digest. Stored only when the whole body of a
    // successful (2xx) reply arrived and was stored; on any other result the local path is left
    // as it was.
    virtual DownloadResult DownloadFile(const std::string& url, const std::string& localPath,
                                        DownloadKind kind,
                                        const std::optional<Sha256Digest>& expected) = 0;
};
