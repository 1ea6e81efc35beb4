// WinINet behind HttpTransport: a session, a connection and a request per reply, closed with it.

#include "windows/net/WinInetTransport.h"

#include <windows.h>
#include <wininet.h>

#include "windows/win32/ScopedHandles.h"

namespace {

constexpr const char* kUserAgent = "Quillmere";
constexpr DWORD kHeaderBufferSize = 2048;

// Never from the local cache (reload) and never into it: nothing downloaded is read from there,
// and a copy of every download would only fill the user's disk. Redirects are the download
// logic's to judge, not WinINet's to follow. Do NOT add any INTERNET_FLAG_IGNORE_CERT_* or
// IGNORE_REDIRECT_* flag: a certificate WinINet refuses must fail the download.
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

// The update information file and its signature change in place at their URLs: no proxy or CDN
// on the way may answer for them with a copy it keeps (Pragma for HTTP/1.0 caches).
constexpr char kNoSharedCacheHeaders[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";

class WinInetReply final : public HttpReply {
public:
    WinInetReply(InternetHandle session, InternetHandle connection, InternetHandle request)
        : session_(std::move(session)),
          connection_(std::move(connection)),
          request_(std::move(request)) {}

    std::optional<std::string> StatusCode() override { return Header(HTTP_QUERY_STATUS_CODE); }
    std::optional<std::string> ContentLength() override {
        return Header(HTTP_QUERY_CONTENT_LENGTH);
    }
    std::optional<std::string> Location() override { return Header(HTTP_QUERY_LOCATION); }

    std::optional<std::size_t> ReadChunk(std::span<char> buffer) override {
        DWORD read = 0;
        if (!InternetReadFile(request_.Get(), buffer.data(), ChunkSize(buffer.size()), &read)) {
            return std::nullopt;
        }
        return read;
    }

private:
    // A header of the reply as text; nothing when the reply does not carry it (no
    // Content-Length, or no HTTP status at all). A value longer than the buffer (a long
    // Location) is asked for again with room for it.
    std::optional<std::string> Header(DWORD infoLevel) {
        std::string text(kHeaderBufferSize, '\0');
        DWORD length = static_cast<DWORD>(text.size());
        if (!HttpQueryInfoA(request_.Get(), infoLevel, text.data(), &length, nullptr)) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= text.size()) {
                return std::nullopt;
            }
            text.assign(length + 1, '\0');
            length = static_cast<DWORD>(text.size());
            if (!HttpQueryInfoA(request_.Get(), infoLevel, text.data(), &length, nullptr)) {
                return std::nullopt;
            }
        }
        return std::string(text.c_str());  // the characters before the terminating NUL
    }

    // How much to read next: the whole buffer, or less when less has arrived. A read waits
    // until its whole size has come in, so asking only for what is there lets a slow server's
    // pieces through one by one and the bar move with each.
    DWORD ChunkSize(std::size_t capacity) {
        const DWORD size = static_cast<DWORD>(capacity);
        DWORD available = 0;
        if (InternetQueryDataAvailable(request_.Get(), &available, 0, 0) && available > 0 &&
            available < size) {
            return available;
        }
        return size;
    }

    // Closed in the reverse order: the request, its connection, the session.
    InternetHandle session_;
    InternetHandle connection_;
    InternetHandle request_;
};

// The time-outs of `handle`, in milliseconds. Windows hands the session's on to its connections
// and requests; Wine keeps only those set on the connection and the request themselves. A
// time-out that cannot be set leaves the system's own.
void SetTimeouts(const InternetHandle& handle, std::chrono::milliseconds timeout) {
    DWORD milliseconds = static_cast<DWORD>(timeout.count());
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(handle.Get(), option, &milliseconds, sizeof milliseconds);
    }
}

// What WinINet's connection and request need of an http or https URL.
struct RequestTarget {
    bool secure = false;
    std::string host;
    INTERNET_PORT port = 0;
    std::string user;
    std::string password;
    std::string object;  // the path and the query: what the request asks the server for
};

// The URL's parts; nothing when it is no http or https URL WinINet can read.
std::optional<RequestTarget> CrackUrl(const std::string& url) {
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    // Lengths without buffers: each part comes back as a place in `url`.
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = 1;
    parts.dwPasswordLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        return std::nullopt;
    }
    const auto text = [](const char* start, DWORD length) {
        return start == nullptr ? std::string() : std::string(start, length);
    };
    RequestTarget target;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.host = text(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.user = text(parts.lpszUserName, parts.dwUserNameLength);
    target.password = text(parts.lpszPassword, parts.dwPasswordLength);
    const std::string extra = text(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    target.object = text(parts.lpszUrlPath, parts.dwUrlPathLength) +
                    extra.substr(0, extra.find('#'));  // a fragment is never sent
    if (target.object.empty()) {
        target.object = "/";
    }
    return target;
}

const char* TextOrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

std::unique_ptr<HttpReply> WinInetTransport::Get(const std::string& url, DownloadKind kind) {
    const std::optional<RequestTarget> target = CrackUrl(url);
    if (!target) {
        return nullptr;
    }
    InternetHandle session(
        InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return nullptr;
    }
    SetTimeouts(session, silence_);
    InternetHandle connection(InternetConnectA(
        session.Get(), target->host.c_str(), target->port, TextOrNull(target->user),
        TextOrNull(target->password), INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
        return nullptr;
    }
    SetTimeouts(connection, silence_);
    InternetHandle request(
        HttpOpenRequestA(connection.Get(), "GET", target->object.c_str(), nullptr, nullptr, nullptr,
                         kRequestFlags | (target->secure ? INTERNET_FLAG_SECURE : 0), 0));
    if (!request) {
        return nullptr;
    }
    SetTimeouts(request, silence_);
    const bool fresh = kind != DownloadKind::ReleaseFile;  // only release files may be cached
    if (!HttpSendRequestA(request.Get(), fresh ? kNoSharedCacheHeaders : nullptr,
                          fresh ? sizeof kNoSharedCacheHeaders - 1 : 0, nullptr, 0)) {
        return nullptr;
    }
    return std::make_unique<WinInetReply>(std::move(session), std::move(connection),
                                          std::move(request));
}
