#pragma once
// HTTP over WinINet, as the download logic drives it.

#include <memory>
#include <string>

#include "core/net/HttpTransport.h"

// GETs with the user agent "Quillmere" and the system's proxy settings, always from the server.
class WinInetTransport final : public HttpTransport {
public:
    // The reply once the request is answered (this waits for the server); null when no session
    // or no reply could be had. Never throws but std::bad_alloc.
    std::unique_ptr<HttpReply> Get(const std::string& url) override;
};
