#include "net/DownloadFile.h"

#include <commctrl.h>
#include <wininet.h>

#include <cerrno>
#include <cstdlib>
#include <climits>

#include "win32/ScopedHandles.h"

namespace {

constexpr const char* kUserAgent = "Quillmere";
constexpr DWORD kTransferBufferSize = 2048;

// The progress bar: maximum and value in bytes. Only changes of position are sent, so a chunk
// costs no message when the bar would not move.
class ProgressBar {
public:
    explicit ProgressBar(HWND bar) : bar_(bar) {}
    ~ProgressBar() { SetPosition(0); }  // 0 on every way out, whatever the outcome

    void Start(long long length) {
        if (bar_ != nullptr) {
            SendMessageA(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(Clamp(length)));
        }
        SetPosition(0);
    }
    void Advance(DWORD bytes) { SetPosition(position_ + bytes); }

private:
    static int Clamp(long long value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }
    void SetPosition(long long position) {
        position_ = position;
        if (bar_ != nullptr && Clamp(position) != shown_) {
            shown_ = Clamp(position);
            SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(shown_), 0);
        }
    }

    HWND bar_;
    long long position_ = 0;
    int shown_ = -1;
};

// A header of the reply as text, or false when the reply does not carry it.
bool QueryHeader(HINTERNET request, DWORD infoLevel, char* buffer) {
    DWORD length = kTransferBufferSize;
    buffer[0] = '\0';
    return HttpQueryInfoA(request, infoLevel, buffer, &length, nullptr) != FALSE;
}

// The Content-Length text as a signed 32-bit number; false when it is not one.
bool ParseContentLength(const char* text, long& length) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    length = static_cast<long>(value);
    return true;
}

// A file of our own beside the target, so that the target is only ever replaced by a whole
// body. Deleted on every way out unless it was moved into place.
class TemporaryDownloadFile {
public:
    explicit TemporaryDownloadFile(const std::string& target) : path_(target + ".download") {}
    ~TemporaryDownloadFile() {
        file_.Reset();
        if (created_) {
            DeleteFileA(path_.c_str());
        }
    }

    bool Open() {
        file_ = FileHandle(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        created_ = file_.IsValid();
        return created_;
    }
    bool Write(const char* bytes, DWORD count) {
        DWORD written = 0;
        return count == 0 || (WriteFile(file_.Get(), bytes, count, &written, nullptr) && written == count);
    }
    // Closes the file and puts it at `target`, replacing what stood there.
    bool MoveTo(const std::string& target) {
        file_.Reset();
        if (!MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
            return false;
        }
        created_ = false;
        return true;
    }

private:
    std::string path_;
    FileHandle file_;
    bool created_ = false;
};

}  // namespace

bool DownloadFile(const std::string& url, const std::string& localPath,
                  const DownloadProgress& progress) {
    ProgressBar bar(progress.progressBar);
    InternetHandle session(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return false;
    }
    // Always from the server: an update must never be answered from the local cache.
    InternetHandle request(InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0,
                                            INTERNET_FLAG_RELOAD, 0));
    if (!request) {
        return false;
    }
    // One buffer serves the header queries and every chunk of the body.
    char buffer[kTransferBufferSize];
    if (!QueryHeader(request.Get(), HTTP_QUERY_STATUS_CODE, buffer) || std::string_view(buffer) == "404") {
        return false;
    }
    long length = 0;
    if (!QueryHeader(request.Get(), HTTP_QUERY_CONTENT_LENGTH, buffer) ||
        !ParseContentLength(buffer, length)) {
        return false;
    }
    if (length > 0) {
        bar.Start(length);
    }

    TemporaryDownloadFile file(localPath);
    if (!file.Open()) {
        return false;
    }
    long long received = 0;
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.Get(), buffer, kTransferBufferSize, &read)) {
            return false;
        }
        if (!file.Write(buffer, read)) {
            return false;
        }
        received += read;
        if (length > 0) {
            bar.Advance(read);
        }
        if (progress.processPendingEvents) {
            progress.processPendingEvents();
        }
        if (read == 0) {
            break;
        }
    }
    // A body cut short (the connection dropped) is not a download.
    if (length >= 0 && received < length) {
        return false;
    }
    return file.MoveTo(localPath);
}
