// Fuzzes whole update checks on the in-memory platform of the unit tests, and the transaction of
// an update script cut short by a failure or a kill at any change of the disk. Everything a
// publisher or a server could send comes from the input, and so do the user's answers and the
// fault:
//
//   input = fault byte, then part 0 NUL part 1 NUL part 2 NUL part 3 NUL part 4 ...
//   fault   bit 0 set: a kill (FakeCrash, which no trap catches); clear: a failure. Bits 1-7: a
//           position P from 0 to 127 (below)
//   part 0  the answers, one byte per question: odd Yes, 2 mod 4 Retry, 0 mod 4 No (Retry to a
//           Yes/No question is No); once they are used up Yes, and Cancel to a file in use
//   part 1  added to a configuration file that sets ADR, LOC and TIT (so it may change them)
//   part 2  the version file (missing when the input has fewer parts)
//   part 3… the bodies the server sends, one per download in the order they are asked for,
//           whatever the URL: the update information file first, then each update script and
//           each DWN file. Once they are used up every download fails.
//
// Every run starts with a small tree in C:\App (files and folders with attributes and times, one
// file held open by another program), so that DEL, ERD, RMD, MKD and DWN lines act on real
// entries.
//
// First, two whole checks from all of the input, as a user may press Update again, with a
// failure (never a kill) at change P. Properties: nothing crashes or leaks; every run ends
// (libFuzzer's -timeout); the flags hold 0 or 1; while a run downloads the window is locked;
// after each whole check the window is closing or idle with both buttons enabled; no box or log
// line is longer than the readable length allows.
//
// Then the same input as a check only (/check): whatever the files say, the disk stays as it
// was but for the temporary folder, which ends empty; nothing is started; nothing but the
// update information file and its signature is downloaded; no box asks anything.
//
// Then one transaction: a check whose configuration, version file ("VER 1.0") and update
// information file (kOffer: one offer, in part 3's place in the order of downloads) are fixed,
// so that the only changes to the disk are those of one update script, part 4, with the nested
// scripts and DWN files it asks for from part 5 on; the answers are part 0's. The feed and the
// version file stay fixed because their own lines act on the disk directly, outside any
// transaction, and one offer makes one transaction (nested offers join it). The check runs once
// without a fault, making N changes; D0 is the disk before it, D1 the disk after it and a fresh
// start. Then it runs again with a failure or a kill at change P * N / 128, and an updater
// starts afresh on what that leaves (the fault cleared). Properties: the disk after that start
// is D0 or D1; after a failure it is D1 when the update committed and D0 when it did not (as
// the log and flags tell); a run without a fault that did not commit leaves D0; D1 holds no
// journal, no Script.qsc and no other "~qm" entry. The last three hold for inputs that do not
// name such entries or the language file themselves (without it every text is empty, the log's
// too). Disks are compared without the program folder's own times (the update check's
// temporary file changes them on every path).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/FakeUpdater.h"
#include "core/text/AsciiCase.h"
#include "core/text/ReadableLength.h"
#include "fuzz/FuzzInput.h"

namespace {

constexpr const char* kConfiguration =
    "ADR http://server/info.txt\r\nLOC \\version.txt\r\nTIT Fuzzed Software\r\n";
constexpr const char* kVersionFile = "C:\\App\\version.txt";
constexpr const char* kOffer = "CMV 9.9;d;http://server/s.qsc\r\n";

// The longest box or log line the texts below can make: a language text holds each of its
// placeholders once, and each value put in is cut to the readable length.
constexpr std::size_t kLongestShown = 256 + 2 * (kReadableLength + kCutMark.size());

struct Fault {
    int position;  // 0 to 127
    bool kill;
};

// The English texts of the placeholders' keys, so every substitution is exercised.
void UseEnglishTemplates(FakePlatform& platform) {
    platform.languageTexts["GenericErrorDialog"] =
        "Error :%CRLF%%CRLF%%ERROR%%CRLF%%CRLF%Script line: %CML%";
    platform.languageTexts["UpdateFound"] = "A new version of %TITLE% is available.";
    platform.languageTexts["UpdateFoundDescriptionDialog"] =
        "A new version of %TITLE% is available:%CRLF%%CRLF%%DESCRIPTION%";
    platform.languageTexts["Updating"] = "Installing the update...%CRLF%Please wait.";
    platform.languageTexts["InvalidVersionNumberInVersionFileError"] =
        "Error :%CRLF%%CRLF%The installed version number is not valid.";
}

// The software's folder: files and folders with attributes and times, one of them held open.
void SetUpFolder(FakePlatform& platform) {
    constexpr std::uint32_t kSystem = 0x4;
    constexpr std::uint32_t kArchive = 0x20;
    const auto file = [&](const char* path, const char* content, EntryStamp stamp) {
        platform.files[path] = content;
        platform.stamps[path] = stamp;
    };
    const auto folder = [&](const char* path, EntryStamp stamp) {
        platform.folders.insert(path);
        platform.stamps[path] = stamp;
    };
    file("C:\\App\\app.exe", "old program", {kArchive, 11, 12});
    file("C:\\App\\legacy.dll", "legacy", {kAttributeReadOnly | kAttributeHidden, 13, 14});
    file("C:\\App\\readme-old.txt", "old notes", {kAttributeReadOnly, 15, 16});
    file("C:\\App\\helper.exe", "helper", {kArchive, 17, 18});
    platform.inUse["C:\\App\\helper.exe"] = "Helper";
    folder("C:\\App\\plugins", {0, 21, 22});
    file("C:\\App\\plugins\\spell.dll", "old spell", {kArchive, 23, 24});
    folder("C:\\App\\cache", {0, 31, 32});
    file("C:\\App\\cache\\index.dat", "index", {kAttributeHidden | kSystem, 33, 34});
    folder("C:\\App\\cache\\deep", {kAttributeHidden, 35, 36});
    file("C:\\App\\cache\\deep\\page.bin", "page",
         {kAttributeReadOnly | kAttributeHidden | kSystem, 37, 38});
    folder("C:\\App\\temp", {kAttributeHidden | kSystem, 41, 42});
}

void SetAnswers(FakeWindow& window, std::string_view answers) {
    for (const char answer : answers) {
        const int value = static_cast<std::uint8_t>(answer) % 4;
        window.answers.push_back(value % 2 != 0 ? kAnswerYes
                                 : value == 2   ? kAnswerRetry
                                                : kAnswerNo);
    }
}

void CheckFlags(const UpdaterState& state) {
    for (const std::int16_t flag :
         {state.UpdateHandled, state.CloseAllowed, state.ExitAfterUpdate, state.UpdateFailed}) {
        FUZZ_CHECK(flag == 0 || flag == 1);
    }
}

// Serves the parts from `next` on, one per download, and checks the window while it waits.
void ServeDownloads(FakeUpdater& app, const std::vector<std::string_view>& parts,
                    std::size_t& next) {
    app.platform.onDownload = [&app, &parts, &next](const std::string& url) {
        FUZZ_CHECK(app.updater.IsRunning());
        FUZZ_CHECK(app.state.CloseAllowed == 0);
        FUZZ_CHECK(!app.window.buttonsEnabled);
        CheckFlags(app.state);
        if (next < parts.size()) {
            app.platform.server[url] = std::string(parts[next++]);
        } else {
            app.platform.server.erase(url);
        }
    };
}

void CheckAfterCheck(FakeUpdater& app) {
    CheckFlags(app.state);
    FUZZ_CHECK(!app.updater.IsRunning());
    FUZZ_CHECK(app.state.CloseAllowed == 1);
    FUZZ_CHECK(app.window.closeRequests > 0 || app.window.buttonsEnabled);
    for (const ShownMessageBox& box : app.window.boxes) {
        FUZZ_CHECK(box.text.size() <= kLongestShown);
    }
    for (const std::string& line : app.window.LogLines()) {
        FUZZ_CHECK(line.size() <= kLongestShown);
    }
}

void RunWholeChecks(const std::vector<std::string_view>& parts, const Fault& fault) {
    FakeUpdater app(kConfiguration + std::string(parts.size() > 1 ? parts[1] : ""));
    UseEnglishTemplates(app.platform);
    SetUpFolder(app.platform);
    SetAnswers(app.window, parts[0]);
    if (parts.size() > 2) {
        app.platform.files[kVersionFile] = std::string(parts[2]);
    }
    std::size_t next = 3;
    ServeDownloads(app, parts, next);
    app.platform.changes = 0;
    app.platform.failingChange = fault.position;

    // What the first check leaves behind (an OFF flag, unrun lines, files) meets the second.
    for (int check = 0; check < 2 && app.window.closeRequests == 0; ++check) {
        app.updater.RunUpdateCheck();
        CheckAfterCheck(app);
    }
}

void RunCheckOnly(const std::vector<std::string_view>& parts) {
    FakeWindow window;
    FakePlatform platform;
    platform.languageTexts = KeyNamedTexts();
    UseEnglishTemplates(platform);
    platform.files[platform.languageFile] = "";
    platform.files["C:\\App\\quillmere.cfg"] =
        kConfiguration + std::string(parts.size() > 1 ? parts[1] : "");
    platform.folders.insert("C:\\App");
    platform.folders.insert("C:\\Temp");
    SetUpFolder(platform);
    SetAnswers(window, parts[0]);
    if (parts.size() > 2) {
        platform.files[kVersionFile] = std::string(parts[2]);
    }
    std::size_t next = 3;
    platform.onDownload = [&platform, &parts, &next](const std::string& url) {
        if (next < parts.size()) {
            platform.server[url] = std::string(parts[next++]);
        } else {
            platform.server.erase(url);
        }
    };
    FakePlatform::Disk before = platform.Snapshot();
    before.stamps.erase("C:\\Temp");

    Updater updater(window, platform.Roles());
    updater.CheckOnly("C:\\Temp\\~qmcheck1");
    if (updater.StartUp()) {
        updater.RunUpdateCheck();
    }
    FakePlatform::Disk after = platform.Snapshot();
    after.stamps.erase("C:\\Temp");
    FUZZ_CHECK(after == before);
    FUZZ_CHECK(platform.EntryNames("C:\\Temp").empty());
    FUZZ_CHECK(platform.launches.empty());
    for (const DownloadKind kind : platform.downloadKinds) {
        FUZZ_CHECK(kind == DownloadKind::UpdateInformation || kind == DownloadKind::UpdateSignature);
    }
    for (const ShownMessageBox& box : window.boxes) {
        FUZZ_CHECK(box.style == MessageBoxStyle::Error);
    }
}

// What the disk holds but the program folder's own times, which the update check's temporary
// file changes on every path, failed or not.
FakePlatform::Disk Contents(FakePlatform& platform) {
    FakePlatform::Disk disk = platform.Snapshot();
    disk.stamps.erase("C:\\App");
    return disk;
}

// The disk once an updater has started afresh on `left`, without a fault.
FakePlatform::Disk AfterRestart(const FakePlatform& left) {
    FakeWindow window;
    FakePlatform platform = left;
    platform.failingChange = -1;
    platform.crash = false;
    platform.onDownload = nullptr;
    Updater updater(window, platform.Roles());
    updater.StartUp();
    return Contents(platform);
}

// The check of the one offer, with the fault at change `failingChange` (-1: none). False when
// the fault killed it.
bool RunOffer(FakeUpdater& app, const std::vector<std::string_view>& parts, int failingChange,
              bool kill) {
    std::size_t next = 3;
    ServeDownloads(app, parts, next);
    app.platform.changes = 0;
    app.platform.failingChange = failingChange;
    app.platform.crash = kill;
    try {
        app.updater.RunUpdateCheck();
    } catch (const FakeCrash&) {
        return false;
    }
    CheckAfterCheck(app);
    return true;
}

void SetUpOffer(FakeUpdater& app, std::string_view answers) {
    SetUpFolder(app.platform);
    app.platform.files[kVersionFile] = "VER 1.0\r\n";
    SetAnswers(app.window, answers);
}

// Whether the update committed, as the log and the flags tell: every accepted offer logs
// "Updating" and, when its script ended well, "UpdateFinished", the outermost offer last; OFF
// ends them without it, and then only a check that did not fail tells. Empty when unknown.
std::optional<bool> Committed(const FakeUpdater& app) {
    const std::vector<std::string> log = app.window.LogLines();
    const auto accepted = std::count(log.begin(), log.end(), "Updating");
    const auto finished = std::count(log.begin(), log.end(), "UpdateFinished");
    if (accepted == 0) {
        return false;
    }
    if (app.state.ExitAfterUpdate == 0) {
        return finished == accepted;
    }
    if (app.state.UpdateFailed == 0) {
        return true;
    }
    return std::nullopt;
}

// True when the input names the transaction's own entries, the update script file or the
// language file, which a script may then create, keep or remove as any other.
bool NamesOwnEntries(std::string_view input) {
    const std::string lower = LowerAscii(input);
    return lower.find("~qm") != std::string::npos ||
           lower.find("script.qsc") != std::string::npos ||
           lower.find("quillmere.lng") != std::string::npos;
}

void CheckNoOwnEntries(const FakePlatform::Disk& disk) {
    for (const auto& [path, stamp] : disk.stamps) {
        FUZZ_CHECK(LowerAscii(path).find("~qm") == std::string::npos);
        FUZZ_CHECK(path != "C:\\App\\Script.qsc");
    }
}

// The disk as both runs may leave it. Times set during a run come from the fake's clock, one
// count per change, so a failure that the run survives shifts them: every time later than all
// of the disk before the check (`latest`) counts only as "new".
FakePlatform::Disk Comparable(FakePlatform::Disk disk, std::uint64_t latest) {
    for (auto& [path, stamp] : disk.stamps) {
        stamp.created = std::min(stamp.created, latest + 1);
        stamp.written = std::min(stamp.written, latest + 1);
    }
    return disk;
}

std::uint64_t LatestTime(const FakePlatform::Disk& disk) {
    std::uint64_t latest = 0;
    for (const auto& [path, stamp] : disk.stamps) {
        latest = std::max({latest, stamp.created, stamp.written});
    }
    return latest;
}

void RunOneTransaction(const std::vector<std::string_view>& input, bool namesOwnEntries,
                       const Fault& fault) {
    std::vector<std::string_view> parts = input;
    parts.resize(std::max<std::size_t>(parts.size(), 4));
    parts[3] = kOffer;

    FakeUpdater clean(kConfiguration);
    SetUpOffer(clean, parts[0]);
    const FakePlatform::Disk before = Contents(clean.platform);
    const std::uint64_t latest = LatestTime(before);
    RunOffer(clean, parts, -1, false);
    const int changes = clean.platform.changes;
    const FakePlatform::Disk after = AfterRestart(clean.platform);
    if (!namesOwnEntries) {
        FUZZ_CHECK(Committed(clean) != false ||
                   Comparable(after, latest) == Comparable(before, latest));
        CheckNoOwnEntries(after);
    }

    FakeUpdater faulty(kConfiguration);
    SetUpOffer(faulty, parts[0]);
    const bool survived = RunOffer(faulty, parts, fault.position * changes / 128, fault.kill);
    const FakePlatform::Disk settled = Comparable(AfterRestart(faulty.platform), latest);
    const FakePlatform::Disk old = Comparable(before, latest);
    const FakePlatform::Disk updated = Comparable(after, latest);
    const std::optional<bool> committed = Committed(faulty);
    if (survived && committed && !namesOwnEntries) {
        FUZZ_CHECK(settled == (*committed ? updated : old));
    } else {
        FUZZ_CHECK(settled == old || settled == updated);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const Fault fault{data[0] >> 1, (data[0] & 1) != 0};
    const std::vector<std::string_view> parts = SplitAtNul(data + 1, size - 1);
    RunWholeChecks(parts, fault);
    RunCheckOnly(parts);
    RunOneTransaction(parts, NamesOwnEntries({reinterpret_cast<const char*>(data + 1), size - 1}),
                      fault);
    return 0;
}
