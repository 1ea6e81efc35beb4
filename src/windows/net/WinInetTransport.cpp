// WinINet behind HttpTransport: a session and a URL handle per reply, closed with it.

#include "windows/net/WinInetTransport.h"

#include <windows.h>
#include <wininet.h>

#include "windows/win32/ScopedHandles.h"

namespace {

constexpr const char* kUserAgent = "Quillmere";
constexpr DWORD kHeaderBufferSize = 2048;

class WinInetReply final : public HttpReply {
public:
    WinInetReply(InternetHandle session, InternetHandle request)
        : session_(std::move(session)), request_(std::move(request)) {}

    std::optional<std::string> StatusCode() override { return Header(HTTP_QUERY_STATUS_CODE); }
    std::optional<std::string> ContentLength() override {
        return Header(HTTP_QUERY_CONTENT_LENGTH);
    }

    std::optional<std::size_t> ReadChunk(std::span<char> buffer) override {
        DWORD read = 0;
        if (!InternetReadFile(request_.Get(), buffer.data(), ChunkSize(buffer.size()), &read)) {
            return std::nullopt;
        }
        return read;
    }

private:
    // A header of the reply as text; nothing when the reply does not carry it (no
    // Content-Length, or no HTTP status at all).
    std::optional<std::string> Header(DWORD infoLevel) {
        char text[kHeaderBufferSize] = "";
        DWORD length = sizeof text;
        if (!HttpQueryInfoA(request_.Get(), infoLevel, text, &length, nullptr)) {
            return std::nullopt;
        }
        return std::string(text);  // the characters before the terminating NUL
    }

    // How much to read next: the whole buffer, or less when less has arrived. A read waits
    // until its whole size has come in, so asking only for what is there lets a slow server's
    // pieces through one by one, with the window's events processed after each, instead of
    // freezing the window until a whole buffer has trickled in.
    DWORD ChunkSize(std::size_t capacity) {
        const DWORD size = static_cast<DWORD>(capacity);
        DWORD available = 0;
        if (InternetQueryDataAvailable(request_.Get(), &available, 0, 0) && available > 0 &&
            available < size) {
            return available;
        }
        return size;
    }

    InternetHandle session_;  // declared first: closed last, after the URL handle
    InternetHandle request_;
};

}  // namespace

std::unique_ptr<HttpReply> WinInetTransport::Get(const std::string& url) {
    InternetHandle session(
        InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return nullptr;
    }
    // Always from the server: an update must never be answered from the local cache.
    InternetHandle request(
        InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    if (!request) {
        return nullptr;
    }
    return std::make_unique<WinInetReply>(std::move(session), std::move(request));
}
