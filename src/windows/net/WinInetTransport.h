#pragma once
// HTTP over WinINet, as the download logic drives it.

#include <chrono>
#include <memory>
#include <string>

#include "core/net/HttpTransport.h"

// GETs with the user agent "Quillmere" and the system's proxy settings, always from the server
// and never kept in the internet cache; redirects are reported, not followed. A request fails
// when the server does not accept the connection, or stays silent while the request is sent,
// the reply's headers awaited or its body read, for `silence` (60 s by default).
class WinInetTransport final : public HttpTransport {
public:
    static constexpr std::chrono::milliseconds kDefaultSilence{60000};

    explicit WinInetTransport(std::chrono::milliseconds silence = kDefaultSilence)
        : silence_(silence) {}

    // The reply once its headers have arrived (this waits for the server); null when no session
    // or no reply could be had. Never throws but std::bad_alloc.
    std::unique_ptr<HttpReply> Get(const std::string& url, DownloadKind kind) override;

private:
    std::chrono::milliseconds silence_;
};
