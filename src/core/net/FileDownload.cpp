// The download's logic: the redirects, the checks on the reply, the body into a temporary file,
// and the temporary file into the target's place, with every promise of the download
// (core/seam/Downloader.h) kept on every way out.

#include "core/net/FileDownload.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/net/BodyLimit.h"
#include "core/net/HttpStatus.h"
#include "core/net/ProgressMeter.h"
#include "core/net/RedirectTrail.h"

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

// The reply whose body may be saved: the one with a 2xx status at the end of the redirects the
// trail allows. Null when a reply has no HTTP status, fails, or redirects where the trail
// refuses to go; every other reply is closed before the next request.
std::unique_ptr<HttpReply> FinalReply(const std::string& url, DownloadKind kind,
                                      HttpTransport& http) {
    RedirectTrail trail(url);
    for (;;) {
        std::unique_ptr<HttpReply> reply = http.Get(trail.Current(), kind);
        if (!reply) {
            return nullptr;
        }
        const std::optional<std::string> status = reply->StatusCode();
        const StatusMeaning meaning = status ? MeaningOfStatus(*status) : StatusMeaning::Failure;
        if (meaning == StatusMeaning::Success) {
            return reply;
        }
        if (meaning == StatusMeaning::Failure) {
            return nullptr;
        }
        const std::optional<std::string> location = reply->Location();
        reply.reset();
        if (!location || !trail.Follow(*location)) {
            return nullptr;
        }
    }
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

// Whether a read's count is one the body can have: within the buffer, and no byte beyond the
// `announced` length when `received` bytes came before it.
bool FitsTheBody(std::size_t count, std::size_t capacity, std::int64_t received,
                 std::int32_t announced) {
    return count <= capacity && static_cast<std::int64_t>(count) <= announced - received;
}

// Copies the body into `file` chunk by chunk, the bar advanced and the events processed after
// each one (the read that finds the end included), and into `hasher` when there is one. The
// bytes received, or nothing when a read or a write failed or a read went past the `announced`
// length: the reads go on after the announced bytes until one finds the end, and one that
// yields a byte more fails before that byte is written.
std::optional<std::int64_t> ReceiveBody(HttpReply& reply, std::int32_t announced,
                                        TemporaryFile& file, ProgressMeter& meter,
                                        ProgressSink& bar, Sha256Hasher* hasher) {
    std::array<char, kChunkSize> buffer;
    std::int64_t received = 0;
    std::size_t read = 1;
    while (read > 0) {
        const std::optional<std::size_t> chunk = reply.ReadChunk(buffer);
        if (!chunk || !FitsTheBody(*chunk, buffer.size(), received, announced) ||
            (*chunk > 0 && !file.Write(std::span<const char>(buffer.data(), *chunk)))) {
            return std::nullopt;
        }
        read = *chunk;
        if (hasher != nullptr && read > 0) {
            hasher->Update(std::string_view(buffer.data(), read));
        }
        received += static_cast<std::int64_t>(read);
        meter.Advance(read);
        bar.ProcessPendingEvents();
    }
    return received;
}

DownloadResult Download(const std::string& url, const std::string& target, DownloadKind kind,
                        const std::optional<Sha256Digest>& expected, HttpTransport& http,
                        TemporaryFiles& files, ProgressSink& bar, ProgressMeter& meter,
                        Crypto& crypto) {
    constexpr DownloadResult kFailed = DownloadResult::Failed;
    const std::unique_ptr<HttpReply> reply = FinalReply(url, kind, http);
    if (!reply) {
        return kFailed;
    }
    const std::optional<std::string> lengthText = reply->ContentLength();
    const std::optional<std::int32_t> length =
        lengthText ? ParseContentLength(*lengthText) : std::nullopt;
    // Refused before a file is created: a small file announced large never reaches the disk.
    if (!length || *length > MaximumBodyLength(kind)) {
        return kFailed;
    }
    if (*length > 0) {
        meter.Start(*length);
    }
    const std::unique_ptr<TemporaryFile> file = files.CreateBeside(target);
    if (!file) {
        return kFailed;
    }
    DiscardUnlessKept discard(*file);
    const std::unique_ptr<Sha256Hasher> hasher = expected ? crypto.NewSha256() : nullptr;
    const std::optional<std::int64_t> received =
        ReceiveBody(*reply, *length, *file, meter, bar, hasher.get());
    // A dropped connection ends the body quietly: a body shorter than announced is a failure.
    // (A longer one has failed in ReceiveBody.)
    if (!received || *received < *length) {
        return kFailed;
    }
    if (hasher && hasher->Finish() != *expected) {
        return DownloadResult::DigestMismatch;
    }
    // Durable before it replaces the target: after a power cut the target holds either its old
    // content or the whole new body, never an empty or partly written file.
    if (!file->Flush() || !file->ReplaceTarget()) {
        return kFailed;
    }
    discard.Keep();
    return DownloadResult::Stored;
}

}  // namespace

DownloadResult DownloadToFile(const std::string& url, const std::string& target, DownloadKind kind,
                              const std::optional<Sha256Digest>& expected, HttpTransport& http,
                              TemporaryFiles& files, ProgressSink& bar, Crypto& crypto) noexcept {
    ProgressMeter meter(bar);  // outlives everything below: the bar reads 0 last
    try {
        return Download(url, target, kind, expected, http, files, bar, meter, crypto);
    } catch (...) {
        // Out of memory, an exception from the caller's event processing, or a hasher the
        // system could not provide: the download did not complete, and the temporary file and
        // the reply are already closed and discarded.
        return DownloadResult::Failed;
    }
}
