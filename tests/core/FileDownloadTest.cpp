// The download's logic against a scripted server, a disk in memory and a fake bar: what stands
// at the target afterwards, what is left behind, and what the bar and the window see.

#include <gtest/gtest.h>

#include <functional>

#include "core/FakeDownload.h"

namespace {

using Texts = std::vector<std::string>;

constexpr const char* kWorkingFile = "MZ a working program that must not be lost";

// A download of 5000 bytes, announced, arriving at once.
FakeDownload WholeReply() {
    FakeDownload download;
    download.server.script.contentLength = "5000";
    download.server.script.pieces = {5000};
    return download;
}

// --- Failures: the target stays as it was, nothing is left behind ---------------------------

struct FailureCase {
    const char* name;
    std::function<void(FakeDownload&)> arrange;
};

const FailureCase kFailures[] = {
    {"no reply", [](FakeDownload& d) { d.server.script.answers = false; }},
    {"no HTTP status", [](FakeDownload& d) { d.server.script.status.reset(); }},
    {"status 404", [](FakeDownload& d) { d.server.script.status = "404"; }},
    {"no Content-Length", [](FakeDownload& d) { d.server.script.contentLength.reset(); }},
    {"empty Content-Length", [](FakeDownload& d) { d.server.script.contentLength = ""; }},
    {"Content-Length a word", [](FakeDownload& d) { d.server.script.contentLength = "five"; }},
    {"Content-Length with a tail", [](FakeDownload& d) { d.server.script.contentLength = "50x"; }},
    {"Content-Length with a plus", [](FakeDownload& d) { d.server.script.contentLength = "+50"; }},
    {"negative Content-Length",
     [](FakeDownload& d) {
         d.server.script.contentLength = "-5";
         d.server.script.pieces = {16};
     }},
    {"minus zero Content-Length",
     [](FakeDownload& d) {
         d.server.script.contentLength = "-0";
         d.server.script.pieces = {};
     }},
    {"Content-Length beyond 2^31 - 1",
     [](FakeDownload& d) { d.server.script.contentLength = "2147483648"; }},
    {"temporary file refused", [](FakeDownload& d) { d.disk.faults.createFails = true; }},
    {"first read fails", [](FakeDownload& d) { d.server.script.failingRead = 0; }},
    {"read fails half way", [](FakeDownload& d) { d.server.script.failingRead = 2; }},
    {"first write fails", [](FakeDownload& d) { d.disk.faults.failingWrite = 0; }},
    {"last write fails", [](FakeDownload& d) { d.disk.faults.failingWrite = 2; }},
    {"body cut short", [](FakeDownload& d) { d.server.script.pieces = {4000}; }},
    {"no body at all", [](FakeDownload& d) { d.server.script.pieces = {}; }},
    {"flush fails", [](FakeDownload& d) { d.disk.faults.flushFails = true; }},
    {"replace fails", [](FakeDownload& d) { d.disk.faults.replaceFails = true; }},
    {"event processing throws at once", [](FakeDownload& d) { d.bar.throwingEvent = 0; }},
    {"event processing throws at the end", [](FakeDownload& d) { d.bar.throwingEvent = 3; }},
};

TEST(FileDownloadTest, EveryFailureKeepsTheTargetAndLeavesNothingBehind) {
    for (const FailureCase& failure : kFailures) {
        for (const bool targetExists : {true, false}) {
            FakeDownload download = WholeReply();
            if (targetExists) {
                download.disk.files[FakeDownload::kTarget] = kWorkingFile;
            }
            failure.arrange(download);
            const auto before = download.disk.files;
            EXPECT_FALSE(download.Run()) << failure.name;
            EXPECT_EQ(download.disk.files, before) << failure.name;
            EXPECT_EQ(download.BrokenPromises(), Texts{}) << failure.name;
        }
    }
}

// --- Bodies that are saved --------------------------------------------------------------------

TEST(FileDownloadTest, WholeBodyReplacesTheTargetOnlyOnceFlushed) {
    FakeDownload download = WholeReply();
    download.disk.files[FakeDownload::kTarget] = std::string(20000, 'o');
    ASSERT_TRUE(download.Run());
    EXPECT_EQ(download.disk.files[FakeDownload::kTarget], BodyPattern(5000));
    EXPECT_EQ(download.disk.steps,
              (Texts{"create", "write", "write", "write", "flush", "replace"}));
    EXPECT_EQ(download.disk.unflushedReplaces, 0);
    EXPECT_EQ(download.BrokenPromises(), Texts{});
}

TEST(FileDownloadTest, BodyIsSavedAsItArrivedFromEmptyToLongerThanAnnounced) {
    struct Case {
        const char* length;
        std::vector<std::size_t> pieces;
        std::size_t saved;
    };
    for (const Case& c :
         {Case{"0", {}, 0}, Case{"5000", {1000, 4000}, 5000}, Case{"100", {150}, 150}}) {
        FakeDownload download;
        download.server.script.contentLength = c.length;
        download.server.script.pieces = c.pieces;
        EXPECT_TRUE(download.Run()) << c.length;
        EXPECT_EQ(download.disk.files[FakeDownload::kTarget], BodyPattern(c.saved)) << c.length;
        EXPECT_EQ(download.BrokenPromises(), Texts{}) << c.length;
    }
}

// --- The bar and the window's events ---------------------------------------------------------

TEST(FileDownloadTest, EmptyBodyLeavesTheBarsMaximumAloneAndProcessesEventsOnce) {
    FakeDownload download;
    download.server.script.contentLength = "0";
    ASSERT_TRUE(download.Run());
    EXPECT_EQ(download.bar.maximum, 1000);
    EXPECT_EQ(download.bar.positionsAtEvents, std::vector<std::int32_t>{500});
}

TEST(FileDownloadTest, EachPieceIsReadAsItArrivesAndEventsFollowEveryRead) {
    FakeDownload download;
    download.server.script.contentLength = "1200";
    download.server.script.pieces = {400, 400, 400};
    ASSERT_TRUE(download.Run());
    EXPECT_EQ(download.bar.maximum, 1200);
    EXPECT_EQ(download.bar.positionsAtEvents, (std::vector<std::int32_t>{400, 800, 1200, 1200}));
    EXPECT_EQ(download.server.bufferSizes, std::vector<std::size_t>(4, 2048));
}

TEST(FileDownloadTest, BarIsToldOfANewPositionOnlyWhenItsFilledPartGrows) {
    FakeDownload download;
    download.server.script.contentLength = "1000000";
    download.server.script.pieces = {1000000};  // about 490 reads over 100 columns
    ASSERT_TRUE(download.Run());
    EXPECT_EQ(download.bar.repeatedPositions, 0);
    // 0 at the start, one per column (the end of the body is the last), 0 at the return.
    EXPECT_LE(download.bar.positionsSet, 100 + 2);
    EXPECT_GE(download.bar.positionsSet, 100);
    const auto& positions = download.bar.positionsAtEvents;
    for (std::size_t read = 0; read + 1 < positions.size(); ++read) {
        const std::int64_t received = std::min<std::int64_t>(2048 * (read + 1), 1000000);
        EXPECT_LT(received - positions[read], 1000000 / 100 + 1) << read;
    }
    EXPECT_EQ(positions.back(), 1000000);
    EXPECT_EQ(download.bar.position, 0);
}

}  // namespace
