// An update script that fails is undone exactly, and one killed half way is undone at the next
// start, through the real quillmere.exe. The program folder is compared entry by entry (names,
// bytes, attributes, last-write times) before and after.

#include <algorithm>
#include <cstdint>

#include "e2e/FolderSnapshot.h"
#include "e2e/UpdateSession.h"

namespace e2e {
namespace {

// The installed software before its update: files to replace and delete, a tree to erase and
// an empty folder to remove, with the attributes that an undo must bring back.
struct Entry {
    const char* path;
    DWORD attributes;
    const char* bytes;  // null for a folder
};
constexpr Entry kInstalled[] = {
    {"bin", 0, nullptr},
    {"bin\\app.exe", 0, "Inkwell 1.0"},
    {"data", 0, nullptr},
    {"data\\settings.ini", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
     "[Inkwell]\r\nmode=1\r\n"},
    {"data\\empty", 0, nullptr},
    {"data\\tree", FILE_ATTRIBUTE_READONLY, nullptr},
    {"data\\tree\\notes.txt", FILE_ATTRIBUTE_READONLY, "notes"},
    {"data\\tree\\cache", FILE_ATTRIBUTE_HIDDEN, nullptr},
    {"data\\tree\\cache\\index.dat", FILE_ATTRIBUTE_SYSTEM, "index"},
    {"data\\tree\\cache\\key.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, "key"},
    {"data\\tree\\deep", 0, nullptr},
    {"data\\tree\\deep\\er", 0, nullptr},
    {"data\\tree\\deep\\er\\leaf.txt", 0, "leaf"},
};

// 2021-01-01 00:00 UTC; each entry gets its own hour after it.
constexpr std::uint64_t kYear2021 = 132539328000000000;
constexpr std::uint64_t kHour = 36000000000;

void SetWrittenTime(const std::string& path, std::uint64_t written) {
    const FileHandle entry(CreateFileA(
        path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const FILETIME time{static_cast<DWORD>(written), static_cast<DWORD>(written >> 32)};
    if (!entry || !SetFileTime(entry.Get(), nullptr, nullptr, &time)) {
        throw UiDriverError("cannot set the last-write time of " + path);
    }
}

// The SHA-256 of no bytes: a pin that no file of the test has.
constexpr const char* kOtherPin =
    "sha256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
constexpr const char* kNoArgument =
    "The line has no argument: a command must be followed by a separator character and its "
    "argument.";
constexpr const char* kUndoneText =
    "An update that was interrupted has been undone: the software is as it was before it.";

// The logs joined in turn.
std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> logs) {
    std::vector<std::string> joined;
    for (const std::vector<std::string>& log : logs) {
        joined = Concat(std::move(joined), log);
    }
    return joined;
}

const std::vector<std::string> kOfferAccepted =
    Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]"});
const std::vector<std::string> kDownloadLog = {"[Downloading]", "[a file]", "[Downloaded %CRLF%]"};
const std::vector<std::string> kDeleteLog = {"[Deleting]", "[Deleted]"};

class UpdateUndoTest : public UpdateSession {
protected:
    void SetUp() override {
        UpdateSession::SetUp();
        for (const Entry& entry : kInstalled) {
            if (entry.bytes == nullptr) {
                CreateDirectoryA((folder / entry.path).c_str(), nullptr);
            } else {
                folder.WriteFile(entry.path, entry.bytes);
            }
        }
        for (const Entry& entry : kInstalled) {
            if (entry.attributes != 0) {
                SetFileAttributesA((folder / entry.path).c_str(), entry.attributes);
            }
        }
        std::uint64_t written = kYear2021;
        for (const auto& [path, entry] : TakeSnapshot(folder)) {
            SetWrittenTime(folder / path, written += kHour);
        }
        before = TakeSnapshot(folder);
        written = kYear2021;
        for (const auto& [path, entry] : before) {
            ASSERT_EQ(entry.written, written += kHour) << path << ": the time did not take";
        }

        server.WriteFile("updates.txt", offer + "\r\n");
        server.WriteFile("app.exe", "Inkwell 2.0");
    }

    // The changes from `before` that an update leaves, besides those of `extra`: the
    // replaced program, the deleted settings and the erased tree.
    std::vector<std::string> UpdatedState(std::vector<std::string> extra) const {
        extra.insert(extra.end(), {"bin: written", "bin\\app.exe: bytes, written", "data: written",
                                   "data\\settings.ini: removed"});
        for (const auto& [path, entry] : before) {
            if (path.starts_with("data\\tree")) {
                extra.push_back(path + ": removed");
            }
        }
        std::sort(extra.begin(), extra.end());
        return extra;
    }

    std::string DownloadLine(const std::string& url, const std::string& target) const {
        return "DWN " + url + ";" + target;
    }

    const std::string offer = "CMV 2.0;Everything;" + server.Url("2.0.qsc");
    Snapshot before;
};

// One row: the update script's last line and how the run ends.
struct LastLine {
    std::string line = {};                    // empty: the script ends well
    std::string nestedOffer = {};             // the description of an offer the line makes, if any
    std::string box = {};                     // the error box's text; empty for none
    std::vector<std::string> logOfLine = {};  // the log from the last line on
    std::vector<std::string> changes = {};    // from the state before the update
};

TEST_F(UpdateUndoTest, FailedScriptLeavesEveryEntryAsItWasAndOneThatEndsWellLeavesTheNewState) {
    server.WriteFile("readme.txt", "Inkwell 2.0 read me\r\n");
    server.WriteFile("version.txt", "VER 2.0\r\n");
    const std::string steps =
        "MKD \\new\r\n" + DownloadLine(server.Url("app.exe"), "\\bin\\app.exe") +
        "\r\nDEL \\data\\settings.ini\r\nERD \\data\\tree\r\nRMD \\data\\empty\r\n" +
        DownloadLine(server.Url("readme.txt"), "\\new\\readme.txt") + "\r\n" +
        DownloadLine(server.Url("version.txt"), "\\version.txt") + "\r\n";
    const std::vector<std::string> stepsLog = Joined({{"[Creating folder]", "[Folder created]"},
                                                      kDownloadLog,
                                                      kDeleteLog,
                                                      kDeleteLog,
                                                      kDeleteLog,
                                                      kDownloadLog,
                                                      kDownloadLog});
    const std::string missing = DownloadLine(server.Url("absent.bin"), "\\new\\absent.bin");
    const std::string pinned =
        DownloadLine(server.Url("readme.txt"), "\\new\\pinned.txt;") + kOtherPin;
    const auto box = [](const std::string& error, const std::string& line) {
        return "[Error]\r\n" + error + "\r\n[Line: " + line + "]";
    };
    const std::string nested = "CMV 3.0;Nested;" + server.Url("3.0.qsc");
    server.WriteFile("3.0.qsc", "VER\r\n");
    const std::vector<std::string> failed = {"[Update failed]"};
    const std::vector<std::string> downloadFailed = {"[Downloading]", "[a file]",
                                                     "[Update failed]"};
    const std::vector<LastLine> rows = {
        {.line = missing, .box = box("[Download failed]", missing), .logOfLine = downloadFailed},
        {.line = pinned,
         .box = box("[Checksum differs %CRLF%]", pinned),
         .logOfLine = downloadFailed},
        {.line = "XYZ \\new", .box = box("[Unknown command]", "XYZ \\new"), .logOfLine = failed},
        // The trap that MKD armed reports the failure with its own line.
        {.line = "VER", .box = box(kNoArgument, "VER"), .logOfLine = failed},
        // In the nested run of an offer's update script no trap is armed: that offer's line
        // reports the failure, and its script's transaction is the outer one.
        {.line = nested,
         .nestedOffer = "Nested",
         .box = box(kNoArgument, nested),
         .logOfLine = {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                       "[Update failed]"}},
        {.logOfLine = {"[Update finished]", "[Scan finished]"},
         .changes = UpdatedState({"data\\empty: removed", "new: added 0x10",
                                  "new\\readme.txt: added 0x20", "version.txt: bytes, written"})},
    };
    program.emplace(Program::Start(folder));
    const MainWindow window = program->WaitForMainWindow();
    for (const LastLine& row : rows) {
        server.WriteFile("2.0.qsc", steps + row.line + (row.line.empty() ? "" : "\r\n"));
        window.ClickUpdate();
        AnswerOffer("Everything", IDYES);
        if (!row.nestedOffer.empty()) {
            AnswerOffer(row.nestedOffer, IDYES);
        }
        if (!row.box.empty()) {
            const MessageBoxWindow error = program->WaitForMessageBox();
            EXPECT_EQ(error.Text(), row.box);
            // The steps before the failing line have acted; the undo comes after the box.
            EXPECT_TRUE(folder.Exists("new\\readme.txt")) << row.line;
            EXPECT_TRUE(folder.Exists("~qm.journal")) << row.line;
            error.Answer(IDOK);
        }
        WaitForRunEnd(window, row.logOfLine.back());
        EXPECT_EQ(window.LogLines(), Joined({kOfferAccepted, stepsLog, row.logOfLine})) << row.line;
        EXPECT_EQ(Changes(before, TakeSnapshot(folder)), row.changes) << row.line;
    }
}

TEST_F(UpdateUndoTest, UpdateKilledHalfWayIsUndoneBeforeTheNextStartShowsItsWindow) {
    server.WriteFile("extra.dll", std::string(64 * 1024, 'x'));
    const std::string steps = "DEL \\data\\settings.ini\r\n" +
                              DownloadLine(server.Url("app.exe"), "\\bin\\app.exe") +
                              "\r\nERD \\data\\tree\r\n";
    // The last download takes ten minutes; its temporary file is the only one in data.
    server.WriteFile(
        "2.0.qsc",
        steps + DownloadLine(server.SlowUrl("extra.dll", 600), "\\data\\extra.dll") + "\r\n");
    MainWindow window = StartAndClickUpdate();
    AnswerOffer("Everything", IDYES);
    WaitUntil(
        [&] {
            const std::vector<std::string> names = folder.List("data");
            return !folder.Exists("data\\tree") &&
                   std::any_of(names.begin(), names.end(), [](const std::string& name) {
                       return name.starts_with("~qm") && name.ends_with(".tmp");
                   });
        },
        "the tree erased and the stalled download's temporary file in data",
        [&] { return program->Describe(); });
    program->Terminate();  // as Task Manager ends a program
    ASSERT_FALSE(program->IsRunning());
    EXPECT_NE(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{});
    EXPECT_TRUE(GetFileAttributesA((folder / "~qm.journal").c_str()) & FILE_ATTRIBUTE_HIDDEN);

    program.emplace(Program::Start(folder));
    window = program->WaitForMainWindow();
    EXPECT_EQ(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{});
    EXPECT_EQ(window.LogLines(),
              (std::vector<std::string>{"[Welcome to Inkwell]", "[Press Update for Inkwell]",
                                        kUndoneText}));

    server.WriteFile("2.0.qsc",
                     steps + DownloadLine(server.Url("extra.dll"), "\\data\\extra.dll") + "\r\n");
    window.ClickUpdate();
    AnswerOffer("Everything", IDYES);
    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(), Joined({kOfferAccepted,
                                         kDeleteLog,
                                         kDownloadLog,
                                         kDeleteLog,
                                         kDownloadLog,
                                         {"[Update finished]", "[Scan finished]"}}));
    EXPECT_EQ(Changes(before, TakeSnapshot(folder)), UpdatedState({"data\\extra.dll: added 0x20"}));
    EXPECT_EQ(folder.ReadFile("data\\extra.dll"), std::string(64 * 1024, 'x'));
}

}  // namespace
}  // namespace e2e
