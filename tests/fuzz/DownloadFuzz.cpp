// Fuzzes the download's logic against a scripted server, disk and bar driven by the input:
// redirects with their statuses and Locations, the final status and Content-Length texts, the
// body's pieces, and failures of the reply, the reads, the writes, the flush, the replacement
// and the event processing at any point, for a download of any kind. Whatever happens, the
// download's promises hold: Stored only when the whole announced body of a 2xx reply, and not
// a byte more, now stands at the target, flushed before it got there, and never more than the
// kind's bound; on any other result the disk is exactly as it was; no temporary file is left;
// every reply and file is closed once; the bar reads 0. And the redirect rules hold: at most 11
// requests, none to a URL already requested, none but to http or https after the first, none
// from https down to http.
//
// Input, front to back (a seed can be written with printf):
//   byte 0     flags: 1 no reply, 2 target exists, 4 temporary file refused, 8 flush fails,
//              16 replace fails, 32 no status, 64 no Content-Length, 128 redirects follow
//   bytes 1-3  the read, the write and the event pass that fail (255: none)
//   byte 4     the bar's width in columns
//   the status text up to "\n", the Content-Length text up to "\n"
//   with flag 128: a byte R (R & 15 redirects, R & 16: the download starts at an https URL,
//              R & 96: the kind, 0 a release file, 32 the update information file, 64 or 96
//              its signature), then per redirect its status and its Location, each up to "\n"
//              (an empty Location: none); without flag 128 the kind is a release file
//   the rest   the body's pieces, two bytes each (little-endian sizes)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/FakeDownload.h"
#include "core/net/BodyLimit.h"
#include "core/net/UrlReference.h"

namespace {

class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : text_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        return position_ < text_.size() ? static_cast<std::uint8_t>(text_[position_++]) : 0;
    }
    std::optional<std::size_t> Index() {
        const std::uint8_t value = Byte();
        return value == 255 ? std::nullopt : std::optional<std::size_t>(value);
    }
    std::string Line() {
        const std::size_t end = std::min(text_.find('\n', position_), text_.size());
        std::string line(text_.substr(position_, end - position_));
        position_ = std::min(end + 1, text_.size());
        return line;
    }
    bool AtEnd() const { return position_ >= text_.size(); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

DownloadKind KindOf(std::uint8_t redirects) {
    switch (redirects & 96) {
        case 0:
            return DownloadKind::ReleaseFile;
        case 32:
            return DownloadKind::UpdateInformation;
        default:
            return DownloadKind::UpdateSignature;
    }
}

// What a Content-Length means to HTTP: one or more decimal digits. Nothing for any other text or
// for a number beyond what any download accepts (2^31 - 1).
std::optional<std::int64_t> AnnouncedLength(const std::optional<std::string>& text) {
    if (!text || text->empty()) {
        return std::nullopt;
    }
    std::int64_t length = 0;
    for (const char digit : *text) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        length = length * 10 + (digit - '0');
        if (length > 2147483647) {
            return std::nullopt;
        }
    }
    return length;
}

void Require(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    FakeDownload download;
    ServerScript& script = download.server.script;
    DiskFaults& faults = download.disk.faults;

    const std::uint8_t flags = input.Byte();
    script.answers = (flags & 1) == 0;
    if (flags & 2) {
        download.disk.files[FakeDownload::kTarget] = "MZ the working program";
    }
    faults.createFails = (flags & 4) != 0;
    faults.flushFails = (flags & 8) != 0;
    faults.replaceFails = (flags & 16) != 0;
    script.failingRead = input.Index();
    faults.failingWrite = input.Index();
    download.bar.throwingEvent = input.Index();
    download.bar.columns = input.Byte();
    script.status = input.Line();
    script.contentLength = input.Line();
    if (flags & 32) {
        script.status.reset();
    }
    if (flags & 64) {
        script.contentLength.reset();
    }
    std::string url = FakeDownload::kUrl;
    DownloadKind kind = DownloadKind::ReleaseFile;
    if (flags & 128) {
        const std::uint8_t redirects = input.Byte();
        kind = KindOf(redirects);
        if (redirects & 16) {
            url = "https://server/app.exe";
        }
        for (int redirect = 0; redirect < (redirects & 15); ++redirect) {
            std::string status = input.Line();
            std::string location = input.Line();
            script.redirects.push_back(
                {location.empty() ? std::nullopt : std::optional<std::string>(location), status});
        }
    }
    while (!input.AtEnd()) {
        script.pieces.push_back(input.Byte() | (std::size_t{input.Byte()} << 8));
    }

    const auto before = download.disk.files;
    const bool saved = download.Run(url, kind) == DownloadResult::Stored;

    for (const std::string& broken : download.BrokenPromises()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
    }
    Require(download.BrokenPromises().empty(), "nothing left behind, everything closed once");
    const std::optional<std::int64_t> announced = AnnouncedLength(script.contentLength);
    const bool withinBound = announced && *announced <= MaximumBodyLength(kind);
    const std::string& sent = download.server.sent;
    const bool success = script.status && script.status->size() == 3 &&
                         script.status->front() == '2' &&
                         script.status->find_first_not_of("0123456789") == std::string::npos;
    const std::vector<std::string>& requested = download.server.requested;
    Require(requested.size() <= 11, "at most 10 redirects followed");
    for (std::size_t i = 1; i < requested.size(); ++i) {
        Require(IsWebUrl(requested[i]), "redirected only to http and https URLs");
        Require(UrlScheme(requested[i - 1]) != "https" || UrlScheme(requested[i]) == "https",
                "never from https down to http");
        for (std::size_t j = 0; j < i; ++j) {
            Require(requested[i] != requested[j], "no URL requested twice");
        }
    }
    if (saved) {
        Require(requested.size() == script.redirects.size() + 1, "the body of the final reply");
        Require(success, "only a reply with a 2xx status");
        Require(announced && static_cast<std::int64_t>(sent.size()) == *announced,
                "only the whole announced body, never a body longer than announced");
        Require(withinBound, "never more than the kind's bound");
        Require(download.disk.files[FakeDownload::kTarget] == sent, "the body at the target");
        Require(download.disk.unflushedReplaces == 0, "flushed before it replaced the target");
    } else {
        Require(download.disk.files == before, "a failed download leaves the disk as it was");
    }
    const bool nothingFails = script.answers && !faults.createFails && !faults.flushFails &&
                              !faults.replaceFails && !script.failingRead && !faults.failingWrite &&
                              !download.bar.throwingEvent;
    if (nothingFails && script.redirects.empty() && success && withinBound &&
        static_cast<std::int64_t>(sent.size()) == *announced) {
        Require(saved, "a whole body that nothing stopped is saved");
    }
    return 0;
}
