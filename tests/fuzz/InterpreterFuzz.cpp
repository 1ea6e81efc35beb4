// Fuzzes whole update checks on the in-memory platform of the unit tests. Everything a
// publisher or a server could send comes from the input, and so do the user's answers:
//
//   input = part 0 NUL part 1 NUL part 2 NUL part 3 NUL part 4 ...
//   part 0  the answers, one byte per Yes/No question (odd: Yes); Yes once they are used up
//   part 1  added to a configuration file that sets ADR, LOC and TIT (so it may change them)
//   part 2  the version file (missing when the input has fewer parts)
//   part 3… the bodies the server sends, one per download in the order they are asked for,
//           whatever the URL: the update information file first, then each update script and
//           each DWN file. Once they are used up every download fails.
//
// Properties: nothing crashes or leaks; every run ends (libFuzzer's -timeout); the flags hold
// 0 or 1; while a run downloads the window is locked; after each whole check the window is
// closing or idle with both buttons enabled; no box or log line is longer than the readable
// length allows.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/FakeUpdater.h"
#include "core/text/ReadableLength.h"
#include "fuzz/FuzzInput.h"

namespace {

constexpr const char* kConfiguration =
    "ADR http://server/info.txt\r\nLOC \\version.txt\r\nTIT Fuzzed Software\r\n";
constexpr const char* kVersionFile = "C:\\App\\version.txt";

// The longest box or log line the texts below can make: a language text holds each of its
// placeholders once, and each value put in is cut to the readable length.
constexpr std::size_t kLongestShown = 256 + 2 * (kReadableLength + kCutMark.size());

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = SplitAtNul(data, size);
    FakeUpdater app(kConfiguration + std::string(parts.size() > 1 ? parts[1] : ""));
    UseEnglishTemplates(app.platform);
    for (const char answer : parts[0]) {
        app.window.answers.push_back(answer % 2 != 0 ? kAnswerYes : kAnswerNo);
    }
    if (parts.size() > 2) {
        app.platform.files[kVersionFile] = std::string(parts[2]);
    }
    std::size_t next = 3;
    ServeDownloads(app, parts, next);

    // Twice, as a user may press Update again: what the first check leaves behind (an OFF
    // flag, unrun lines, files) meets the second.
    for (int check = 0; check < 2 && app.window.closeRequests == 0; ++check) {
        app.updater.RunUpdateCheck();
        CheckAfterCheck(app);
    }
    return 0;
}
