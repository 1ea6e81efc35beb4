#pragma once
// The HTTP side of a download, as the download logic needs it: one GET gives one reply, whose
// status, announced length and body are read in that order.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

// One reply to a GET. Destroying it closes everything it holds.
class HttpReply {
public:
    virtual ~HttpReply() = default;

    // The status code as the server sent it ("200", "404" ...); nothing when the reply carries
    // no HTTP status (a URL of another scheme).
    virtual std::optional<std::string> StatusCode() = 0;
    // The Content-Length header's text as sent; nothing when the reply has none.
    virtual std::optional<std::string> ContentLength() = 0;
    // Reads the next piece of the body into `buffer`: what has arrived, at most the buffer's
    // size, waiting only while nothing has. The count read, 0 at the end of the body; nothing
    // when the read failed.
    virtual std::optional<std::size_t> ReadChunk(std::span<char> buffer) = 0;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Sends a GET for `url`, always to the server, never answered from a cache. The reply, or
    // null when none came (a malformed URL, an unreachable host, no network).
    virtual std::unique_ptr<HttpReply> Get(const std::string& url) = 0;
};
