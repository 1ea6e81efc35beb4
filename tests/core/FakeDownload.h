#pragma once
// In-memory stand-ins for everything a download touches, shared by the unit tests and the
// fuzzer: a scripted server, a disk of files held in a map, and a progress bar (and the fake
// hasher of FakeUpdater.h, for a pinned download). Each can be told to fail at a chosen step,
// and each records what was done with it, so that the download's promises can be checked from
// outside.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/FakeUpdater.h"
#include "core/net/FileDownload.h"

// The body bytes the scripted server sends: byte i is i % 251, so no chunk repeats the last.
inline std::string BodyPattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

// A reply that sends the download elsewhere.
struct Redirect {
    std::optional<std::string> location;
    std::string status = "302";
};

// What the server answers: the redirects first, one per GET, then the final reply.
struct ServerScript {
    bool answers = true;  // false: no reply at all (unreachable host, bad URL)
    std::vector<Redirect> redirects;
    std::optional<std::string> status = "200";
    std::optional<std::string> contentLength;  // nothing: no Content-Length header
    std::vector<std::size_t> pieces;           // the body as it arrives, then its end
    std::optional<std::size_t> failingRead;    // the read (counted from 0) that fails
};

// A server that answers every GET with its script. A piece larger than the reader's buffer is
// handed out over several reads, as a network library does with data that has arrived.
class FakeServer final : public HttpTransport {
public:
    std::unique_ptr<HttpReply> Get(const std::string& url, DownloadKind kind) override {
        requested.push_back(url);
        kinds.push_back(kind);
        if (!script.answers) {
            return nullptr;
        }
        ++repliesOpened;
        mostRepliesOpenAtOnce = std::max(mostRepliesOpenAtOnce, repliesOpened - repliesClosed);
        const std::size_t index = requested.size() - 1;
        return std::make_unique<Reply>(
            *this, index < script.redirects.size() ? &script.redirects[index] : nullptr);
    }

    ServerScript script;
    std::vector<std::string> requested;    // the URL of each GET, in order
    std::vector<DownloadKind> kinds;       // and the kind it was made for
    std::string sent;                      // the body bytes handed out
    std::vector<std::size_t> bufferSizes;  // the buffer offered to each read
    int repliesOpened = 0;
    int repliesClosed = 0;
    int mostRepliesOpenAtOnce = 0;
    std::vector<std::string> misuses;  // calls the contract forbids, in words

private:
    class Reply final : public HttpReply {
    public:
        Reply(FakeServer& server, const Redirect* redirect)
            : server_(server), redirect_(redirect) {}
        ~Reply() override { ++server_.repliesClosed; }
        std::optional<std::string> StatusCode() override {
            return redirect_ ? redirect_->status : server_.script.status;
        }
        std::optional<std::string> ContentLength() override {
            return redirect_ ? std::nullopt : server_.script.contentLength;
        }
        std::optional<std::string> Location() override {
            return redirect_ ? redirect_->location : std::nullopt;
        }
        std::optional<std::size_t> ReadChunk(std::span<char> buffer) override {
            if (redirect_ != nullptr) {
                server_.misuses.push_back("body of a redirect read");
                return std::nullopt;
            }
            FakeServer& server = server_;
            if (server.script.failingRead == server.bufferSizes.size()) {
                return std::nullopt;
            }
            server.bufferSizes.push_back(buffer.size());
            while (piece_ < server.script.pieces.size() && server.script.pieces[piece_] == taken_) {
                ++piece_;
                taken_ = 0;
            }
            if (piece_ == server.script.pieces.size()) {
                return 0;  // the end of the body
            }
            const std::size_t count =
                std::min(buffer.size(), server.script.pieces[piece_] - taken_);
            for (std::size_t i = 0; i < count; ++i) {
                buffer[i] = static_cast<char>((server.sent.size() + i) % 251);
            }
            server.sent.append(buffer.data(), count);
            taken_ += count;
            return count;
        }

    private:
        FakeServer& server_;
        const Redirect* redirect_;  // null for the final reply
        std::size_t piece_ = 0;     // the piece being handed out, and how much of it is gone
        std::size_t taken_ = 0;
    };
};

// Where the disk refuses.
struct DiskFaults {
    bool createFails = false;
    std::optional<std::size_t> failingWrite;  // the write (counted from 0) that fails
    bool flushFails = false;
    bool replaceFails = false;
};

// A disk of files in a map. A temporary file stands at "<target>~" while it exists; what was
// written but not flushed is lost when the power is cut, which `unflushedReplaces` counts.
class FakeDisk final : public TemporaryFiles {
public:
    std::unique_ptr<TemporaryFile> CreateBeside(const std::string& target) override {
        steps.push_back("create");
        if (faults.createFails) {
            return nullptr;
        }
        files[target + "~"] = "";
        ++handlesOpened;
        return std::make_unique<File>(*this, target + "~", target);
    }

    std::map<std::string, std::string> files;  // path -> content
    DiskFaults faults;
    std::vector<std::string> steps;    // create, write, flush, replace, discard, in order
    std::vector<std::string> misuses;  // calls the contract forbids, in words
    int handlesOpened = 0;
    int handlesClosed = 0;
    int unflushedReplaces = 0;

private:
    class File final : public TemporaryFile {
    public:
        File(FakeDisk& disk, std::string path, std::string target)
            : disk_(disk), path_(std::move(path)), target_(std::move(target)) {}

        bool Write(std::span<const char> bytes) override {
            disk_.steps.push_back("write");
            if (!Usable("write")) {
                return false;
            }
            if (disk_.faults.failingWrite == writes_++) {
                disk_.files[path_].append(bytes.data(), bytes.size() / 2);  // a disk full
                return false;
            }
            disk_.files[path_].append(bytes.data(), bytes.size());
            return true;
        }
        bool Flush() override {
            disk_.steps.push_back("flush");
            if (!Usable("flush") || disk_.faults.flushFails) {
                return false;
            }
            flushed_ = disk_.files[path_].size();
            return true;
        }
        bool ReplaceTarget() override {
            disk_.steps.push_back("replace");
            if (!Usable("replace")) {
                return false;
            }
            Close();
            if (disk_.faults.replaceFails) {
                return false;
            }
            disk_.unflushedReplaces += flushed_ != disk_.files[path_].size();
            disk_.files[target_] = disk_.files[path_];
            disk_.files.erase(path_);
            gone_ = true;
            return true;
        }
        void Discard() noexcept override {
            disk_.steps.push_back("discard");
            if (gone_) {
                disk_.misuses.push_back("discarded after it was replaced or discarded");
                return;
            }
            if (open_) {
                Close();
            }
            disk_.files.erase(path_);
            gone_ = true;
        }

    private:
        bool Usable(const char* step) {
            if (!open_) {
                disk_.misuses.push_back(std::string(step) + " on a closed file");
                return false;
            }
            return true;
        }
        void Close() {
            open_ = false;
            ++disk_.handlesClosed;
        }

        FakeDisk& disk_;
        std::string path_;
        std::string target_;
        bool open_ = true;
        bool gone_ = false;  // replaced the target, or discarded
        std::size_t writes_ = 0;
        std::size_t flushed_ = 0;
    };
};

// A bar 100 columns wide, left at 500 of 1000 by an earlier step.
class FakeBar final : public ProgressSink {
public:
    std::int32_t Position() noexcept override { return position; }
    void SetMaximum(std::int32_t value) noexcept override {
        maximum = value;
        position = std::min(position, maximum);
    }
    void SetPosition(std::int32_t value) noexcept override {
        ++positionsSet;
        repeatedPositions += value == position;
        position = std::clamp(value, 0, maximum);
    }
    std::int64_t Columns() noexcept override { return columns; }
    void ProcessPendingEvents() override {
        positionsAtEvents.push_back(position);
        if (throwingEvent == positionsAtEvents.size() - 1) {
            throw std::runtime_error("window gone");
        }
    }

    std::int32_t position = 500;
    std::int32_t maximum = 1000;
    std::int64_t columns = 100;
    int positionsSet = 0;
    int repeatedPositions = 0;  // positions set that the bar already had
    std::vector<std::int32_t> positionsAtEvents;
    std::optional<std::size_t> throwingEvent;  // the event pass (counted from 0) that throws
};

// A server, a disk, a bar and a hasher, and the promises every download keeps whatever its
// outcome.
struct FakeDownload {
    static constexpr const char* kTarget = "C:\\App\\app.exe";
    static constexpr const char* kUrl = "http://server/app.exe";

    DownloadResult Run(const std::string& url = kUrl,
                       DownloadKind kind = DownloadKind::ReleaseFile) {
        return DownloadToFile(url, kTarget, kind, pin, server, disk, bar, crypto);
    }

    // What a download leaves that it must not: each broken promise in words; empty when none.
    // No temporary file on the disk, every reply and file closed exactly once and never used
    // after, a redirect's reply closed before the next request, the bar at 0.
    std::vector<std::string> BrokenPromises() const {
        std::vector<std::string> broken = disk.misuses;
        broken.insert(broken.end(), server.misuses.begin(), server.misuses.end());
        if (server.mostRepliesOpenAtOnce > 1) {
            broken.push_back("a reply still open at the next request");
        }
        for (const auto& [path, content] : disk.files) {
            if (path.back() == '~') {
                broken.push_back("temporary file left: " + path);
            }
        }
        if (disk.handlesOpened != disk.handlesClosed) {
            broken.push_back("file handles opened " + std::to_string(disk.handlesOpened) +
                             ", closed " + std::to_string(disk.handlesClosed));
        }
        if (server.repliesOpened != server.repliesClosed) {
            broken.push_back("replies opened " + std::to_string(server.repliesOpened) +
                             ", closed " + std::to_string(server.repliesClosed));
        }
        if (bar.position != 0) {
            broken.push_back("bar left at " + std::to_string(bar.position));
        }
        return broken;
    }

    FakeServer server;
    FakeDisk disk;
    FakeBar bar;
    FakeCrypto crypto;
    std::optional<Sha256Digest> pin;  // the digest the body must have, when there is one
};
