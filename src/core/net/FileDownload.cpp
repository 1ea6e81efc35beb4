// The download's logic: the checks on the reply, the body into a temporary file, and the
// temporary file into the target's place, with every promise of DownloadToFile kept on every
// way out.

#include "core/net/FileDownload.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/net/ProgressMeter.h"

namespace {

constexpr std::size_t kChunkSize = 2048;

// The Content-Length text as a number: decimal digits only, fitting a signed 32-bit number.
// Nothing for any other text; a sign is no part of a length, so a negative one is refused too.
std::optional<std::int32_t> ParseContentLength(std::string_view text) {
    std::int32_t length = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() == '-') {
        return std::nullopt;
    }
    const auto [stop, error] = std::from_chars(text.data(), end, length);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return length;
}

// The announced length of a reply whose body may be saved: it has an HTTP status other than
// 404 and a well-formed Content-Length. Nothing otherwise.
std::optional<std::int32_t> AcceptedLength(HttpReply& reply) {
    const std::optional<std::string> status = reply.StatusCode();
    if (!status || *status == "404") {
        return std::nullopt;
    }
    const std::optional<std::string> length = reply.ContentLength();
    return length ? ParseContentLength(*length) : std::nullopt;
}

// Discards the temporary file on every way out, unless it has replaced the target.
class DiscardUnlessKept {
public:
    explicit DiscardUnlessKept(TemporaryFile& file) : file_(&file) {}
    ~DiscardUnlessKept() {
        if (file_ != nullptr) {
            file_->Discard();
        }
    }
    DiscardUnlessKept(const DiscardUnlessKept&) = delete;
    DiscardUnlessKept& operator=(const DiscardUnlessKept&) = delete;

    void Keep() { file_ = nullptr; }

private:
    TemporaryFile* file_;
};

// Copies the body into `file` chunk by chunk, the bar advanced and the events processed after
// each one (the read that finds the end included). The bytes received, or nothing when a read
// or a write failed.
std::optional<std::int64_t> ReceiveBody(HttpReply& reply, TemporaryFile& file, ProgressMeter& meter,
                                        ProgressSink& bar) {
    std::array<char, kChunkSize> buffer;
    std::int64_t received = 0;
    std::size_t read = 1;
    while (read > 0) {
        const std::optional<std::size_t> chunk = reply.ReadChunk(buffer);
        if (!chunk || *chunk > buffer.size() ||
            (*chunk > 0 && !file.Write(std::span<const char>(buffer.data(), *chunk)))) {
            return std::nullopt;
        }
        read = *chunk;
        received += static_cast<std::int64_t>(read);
        meter.Advance(read);
        bar.ProcessPendingEvents();
    }
    return received;
}

bool Download(const std::string& url, const std::string& target, HttpTransport& http,
              TemporaryFiles& files, ProgressSink& bar, ProgressMeter& meter) {
    const std::unique_ptr<HttpReply> reply = http.Get(url);
    if (!reply) {
        return false;
    }
    const std::optional<std::int32_t> length = AcceptedLength(*reply);
    if (!length) {
        return false;
    }
    if (*length > 0) {
        meter.Start(*length);
    }
    const std::unique_ptr<TemporaryFile> file = files.CreateBeside(target);
    if (!file) {
        return false;
    }
    DiscardUnlessKept discard(*file);
    const std::optional<std::int64_t> received = ReceiveBody(*reply, *file, meter, bar);
    // A dropped connection ends the body quietly: a body shorter than announced is a failure.
    if (!received || *received < *length) {
        return false;
    }
    // Durable before it replaces the target: after a power cut the target holds either its old
    // content or the whole new body, never an empty or partly written file.
    if (!file->Flush() || !file->ReplaceTarget()) {
        return false;
    }
    discard.Keep();
    return true;
}

}  // namespace

bool DownloadToFile(const std::string& url, const std::string& target, HttpTransport& http,
                    TemporaryFiles& files, ProgressSink& bar) noexcept {
    ProgressMeter meter(bar);  // outlives everything below: the bar reads 0 last
    try {
        return Download(url, target, http, files, bar, meter);
    } catch (...) {
        // Out of memory, or an exception from the caller's event processing: the download did
        // not complete, and the temporary file and the reply are already closed and discarded.
        return false;
    }
}
