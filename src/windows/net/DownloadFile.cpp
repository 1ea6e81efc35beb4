// DownloadFile over WinINet: one GET, the body written to a file of our own beside the target
// and moved into place only once the whole body has arrived.

#include "windows/net/DownloadFile.h"

#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <exception>
#include <string_view>
#include <system_error>

#include "windows/win32/ScopedHandles.h"

namespace {

constexpr const char* kUserAgent = "Quillmere";
constexpr DWORD kTransferBufferSize = 2048;
// Names tried for the temporary file before giving up: "<target>.download", then
// "<target>.1.download" ... when a file of that name already stands there.
constexpr int kTemporaryNameAttempts = 100;

// The progress bar, counted in bytes. Every new position makes the bar repaint at once (about
// a millisecond under Wine, far more than reading a chunk), so the bar is told a new position
// only when its filled part grows by at least one pixel, which includes the end of the body.
// It never lags behind the bytes received by more than one pixel's worth.
class ProgressBar {
public:
    explicit ProgressBar(HWND bar) : bar_(bar), shown_(CurrentPosition()) {}
    ~ProgressBar() { Show(0); }  // 0 on every way out, whatever the outcome
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Sets the maximum to `length` (> 0) bytes and the position to 0.
    void Start(std::int32_t length) {
        if (bar_ == nullptr) {
            return;
        }
        SendMessageA(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(length));
        shown_ = CurrentPosition();  // a new range may have moved the position
        RECT client{};
        GetClientRect(bar_, &client);
        columns_ = std::max<std::int64_t>(1, client.right - client.left);
        length_ = length;
        received_ = 0;
        Show(0);
    }

    // Counts `bytes` more received; moves the bar when that shows.
    void Advance(DWORD bytes) {
        if (length_ <= 0) {
            return;  // not started: no bar, or no length to measure against
        }
        received_ += bytes;
        const int position = static_cast<int>(std::min<std::int64_t>(received_, INT_MAX));
        if (Column(position) != Column(shown_)) {  // the full length is the last column alone
            Show(position);
        }
    }

private:
    int CurrentPosition() const {
        return bar_ == nullptr ? 0 : static_cast<int>(SendMessageA(bar_, PBM_GETPOS, 0, 0));
    }
    // The pixel column up to which the bar is filled at `position`.
    std::int64_t Column(std::int64_t position) const { return position * columns_ / length_; }
    void Show(int position) {
        if (bar_ != nullptr && position != shown_) {
            SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
            shown_ = position;
        }
    }

    HWND bar_;
    int shown_;
    std::int64_t columns_ = 1;
    std::int64_t length_ = 0;
    std::int64_t received_ = 0;
};

// A header of the reply as NUL-terminated text in `buffer` (kTransferBufferSize bytes); false
// when the reply does not carry it (no Content-Length, or no HTTP status at all).
bool QueryHeader(HINTERNET request, DWORD infoLevel, char* buffer) {
    DWORD length = kTransferBufferSize;
    buffer[0] = '\0';
    return HttpQueryInfoA(request, infoLevel, buffer, &length, nullptr) != FALSE;
}

// The Content-Length text as a signed 32-bit number: decimal digits with an optional minus
// sign and nothing else. False for any other text and for a number that does not fit.
bool ParseContentLength(std::string_view text, std::int32_t& length) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, length);
    return !text.empty() && error == std::errc() && stop == end;
}

// The file the body is written to: created new beside the target (same folder, so that moving
// it into place is a rename), never one that already existed. Deleted on every way out unless
// it has replaced the target.
class TemporaryDownloadFile {
public:
    explicit TemporaryDownloadFile(const std::string& target) {
        for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
            path_ = target + (attempt == 0 ? "" : "." + std::to_string(attempt)) + ".download";
            HANDLE created =
                CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            const DWORD error = GetLastError();
            file_ = FileHandle(created);
            if (file_ || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) {
                return;  // created, or refused for a reason another name will not cure
            }
        }
    }
    ~TemporaryDownloadFile() {
        if (file_) {
            file_.Reset();
            DeleteFileA(path_.c_str());
        }
    }
    TemporaryDownloadFile(const TemporaryDownloadFile&) = delete;
    TemporaryDownloadFile& operator=(const TemporaryDownloadFile&) = delete;

    bool IsOpen() const { return file_.IsValid(); }

    // Appends `count` bytes; true when all were written.
    bool Write(const char* bytes, DWORD count) {
        DWORD written = 0;
        return count == 0 ||
               (WriteFile(file_.Get(), bytes, count, &written, nullptr) && written == count);
    }

    // Closes the file and renames it to `target`, replacing what stood there. A read-only
    // target is refused, as Windows refuses it (Wine would replace it). On failure the target
    // is untouched and the file is deleted.
    bool ReplaceTarget(const std::string& target) {
        file_.Reset();
        const DWORD attributes = GetFileAttributesA(target.c_str());
        const bool readOnly =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
        const bool moved =
            !readOnly && MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        if (!moved) {
            DeleteFileA(path_.c_str());
        }
        return moved;
    }

private:
    std::string path_;
    FileHandle file_;
};

// How much to read next: a whole buffer, or less when less has arrived. A read waits until its
// whole size has come in, so asking only for what is there lets a slow server's pieces through
// one by one, with the window's events processed after each, instead of freezing the window
// until 2048 bytes have trickled in.
DWORD ChunkSize(HINTERNET request) {
    DWORD available = 0;
    if (InternetQueryDataAvailable(request, &available, 0, 0) && available > 0 &&
        available < kTransferBufferSize) {
        return available;
    }
    return kTransferBufferSize;
}

bool Download(const std::string& url, const std::string& localPath,
              const DownloadProgress& progress) {
    ProgressBar bar(progress.progressBar);  // declared first: reset last, after every handle
    InternetHandle session(
        InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return false;
    }
    // Always from the server: an update must never be answered from the local cache.
    InternetHandle request(
        InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    if (!request) {
        return false;
    }
    // One buffer serves the header queries and every chunk of the body.
    char buffer[kTransferBufferSize];
    if (!QueryHeader(request.Get(), HTTP_QUERY_STATUS_CODE, buffer) ||
        std::string_view(buffer) == "404") {
        return false;
    }
    std::int32_t length = 0;
    if (!QueryHeader(request.Get(), HTTP_QUERY_CONTENT_LENGTH, buffer) ||
        !ParseContentLength(buffer, length)) {
        return false;
    }
    if (length > 0) {
        bar.Start(length);
    }

    TemporaryDownloadFile file(localPath);
    if (!file.IsOpen()) {
        return false;
    }
    std::int64_t received = 0;
    DWORD read = 1;
    while (read > 0) {
        if (!InternetReadFile(request.Get(), buffer, ChunkSize(request.Get()), &read) ||
            !file.Write(buffer, read)) {
            return false;
        }
        received += read;
        if (length > 0) {
            bar.Advance(read);
        }
        if (progress.processPendingEvents) {
            progress.processPendingEvents();
        }
    }
    // WinINet ends the body quietly when the connection drops: a short body is a failure.
    if (received < length) {
        return false;
    }
    return file.ReplaceTarget(localPath);
}

}  // namespace

bool DownloadFile(const std::string& url, const std::string& localPath,
                  const DownloadProgress& progress) {
    try {
        return Download(url, localPath, progress);
    } catch (const std::exception&) {
        // Out of memory, or an exception from the caller's event processing: the download did
        // not complete, and the wrappers above have already cleaned up.
        return false;
    }
}
