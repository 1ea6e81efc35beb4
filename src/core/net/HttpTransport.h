#pragma once
// The HTTP side of a download, as the download logic needs it: one GET gives one reply, whose
// status, then its Location or its announced length and body, are read in that order. The
// transport follows no redirect itself: the download logic decides which to follow.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/seam/DownloadKind.h"

// One reply to a GET. Destroying it closes everything it holds.
class HttpReply {
public:
    virtual ~HttpReply() = default;

    // The status code as the server sent it ("200", "404" ...); nothing when the reply carries
    // no HTTP status (a URL of another scheme).
    virtual std::optional<std::string> StatusCode() = 0;
    // The Content-Length header's text as sent; nothing when the reply has none.
    virtual std::optional<std::string> ContentLength() = 0;
    // The Location header's text as sent (an absolute or a relative URL); nothing when the
    // reply has none.
    virtual std::optional<std::string> Location() = 0;
    // Reads the next piece of the body into `buffer`: what has arrived, at most the buffer's
    // size, waiting only while nothing has. The count read, 0 at the end of the body; nothing
    // when the read failed.
    virtual std::optional<std::size_t> ReadChunk(std::span<char> buffer) = 0;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Sends a GET for `url`, never answered from the local cache and never stored in it; for
    // every kind but DownloadKind::ReleaseFile no shared cache on the way may answer either.
    // The reply, or null when none came (a malformed URL, an unreachable host, no network, a
    // server silent for too long).
    virtual std::unique_ptr<HttpReply> Get(const std::string& url, DownloadKind kind) = 0;
};
