#pragma once
// The network, as the updater needs it: one URL into one local file, whole or not at all.
// Downloader::DownloadFile states the contract of every download; the layers that implement it
// say only what they add.

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

    // Fetches `url` with an HTTP GET into `localPath`. `kind` says whether a shared cache (a
    // proxy, a CDN) may answer (only for DownloadKind::ReleaseFile) and how long a body may be.
    //
    // Redirects (301, 302, 303, 307, 308) are followed as RedirectTrail allows: at most 10, no
    // loop, never from https down to http, a relative Location resolved against the current URL.
    // The final reply must have a 2xx status and a Content-Length of 0 to
    // MaximumBodyLength(kind) (core/net/BodyLimit.h: 16 MiB for the update information file,
    // 4 KiB for its signature, 2^31 - 1 for a release file); a longer one is refused before any
    // file is created. Any other status, a reply without an HTTP status, a redirect without a
    // Location, a Content-Length that is missing or not such a number, a body shorter or longer
    // than announced, or any failure of the network, the file or the event processing gives
    // Failed.
    // After the announced bytes the body is read once more, to find its end: a read that yields
    // bytes then fails the download, and no byte beyond the announced length is ever written.
    //
    // The body goes to a temporary file beside `localPath`, which is flushed to the disk and
    // then renamed onto `localPath`, replacing what stood there; on every other way out it is
    // discarded. So Stored only when the whole announced body arrived and now stands at
    // `localPath`; on any other result `localPath` is exactly as it was and no temporary file
    // remains.
    //
    // With `expected`, the body is hashed chunk by chunk as it is written (never read back), and
    // a whole body with another SHA-256 is discarded before it replaces anything:
    // DigestMismatch. A hasher the system cannot provide gives Failed.
    //
    // The progress is shown as the body arrives, on a bar counted in bytes (its range set to the
    // body's length when that is above 0, left alone for an empty body), and the window's
    // pending events are processed after every chunk of at most 2048 bytes, so that it keeps
    // responding; the bar reads 0 on return.
    virtual DownloadResult DownloadFile(const std::string& url, const std::string& localPath,
                                        DownloadKind kind,
                                        const std::optional<Sha256Digest>& expected) = 0;
};
