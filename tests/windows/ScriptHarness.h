#pragma once
// Runs update-script lines through the real interpreter and the real Win32 platform, in a
// temporary program folder of its own, with the core tests' recording window.
// Only the program's identity is redirected: AppPath is the temporary folder, the program name
// "quillmere", so the language file written there is the one read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FakeWindow.h"
#include "core/update/Updater.h"
#include "windows/app/WindowsPlatform.h"
#include "windows/TempFolder.h"

// The language texts of the harness. Every report the tests expect is built from these.
namespace harness_texts {
inline constexpr const char* kErrorDialog = "Error:%CRLF%%ERROR%%CRLF%Line: %CML%";
inline constexpr const char* kCreateDirectory = "Creating a folder...";
inline constexpr const char* kDirectoryCreated = "Folder created.";
inline constexpr const char* kDeleteMessage = "Deleting...";
inline constexpr const char* kEndDeleteMessage = "Deleted.";
inline constexpr const char* kEraseDirectoryError = "The folder could not be erased.";
inline constexpr const char* kLaunchError = "The program could not be started.";
inline constexpr const char* kDownloadMessage = "Downloading...%CRLF%Please wait.";
inline constexpr const char* kEndDownloadMessage = "Downloaded.%CRLF%";
inline constexpr const char* kDownloadError = "The file could not be downloaded.";
}  // namespace harness_texts

// The core tests' recording window, which also processes the thread's real pending events when
// asked, so that a window of the test's own gets its messages while a command waits.
class RecordingWindow : public FakeWindow {
public:
    void ProcessPendingEvents() override;
};

// The program's home on Windows, with its folder and name redirected.
class FolderHome : public WindowsProgramHome {
public:
    explicit FolderHome(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramFolder() override { return folder_; }
    std::string ProgramName() override { return "quillmere"; }

private:
    std::string folder_;
};

class ScriptHarness {
public:
    // Writes quillmere.lng and an empty quillmere.cfg into `folder` and starts the updater up.
    explicit ScriptHarness(const std::string& folder);
    explicit ScriptHarness(const TempFolder& folder) : ScriptHarness(folder.Path()) {}
    ScriptHarness(const ScriptHarness&) = delete;
    ScriptHarness& operator=(const ScriptHarness&) = delete;

    // Clears the log, loads `script` into the buffer and runs it as an update check would.
    void Run(const std::string& script);

    // The text a failed line shows: the harness's error dialog with `failure` and `line`.
    static std::string ErrorReport(const std::string& failure, const std::string& line);

    UpdaterState& State() { return updater.Interpreter().State(); }
    std::string UnrunScript() { return updater.Interpreter().Buffer().Text(); }

    RecordingWindow window;
    WindowsPlatform platform{window, nullptr};
    FolderHome home;
    Updater updater{window,
                    {home, platform.files, platform.launcher, platform.downloader, platform.crypto,
                     platform.clock}};
};

// Wine shows the Linux root as drive Z:.
std::string WinePath(const std::string& unixPath);

// The value of the environment variable; throws when it is not set (outside scripts/test-env).
std::string RequiredEnvironment(const char* name);

// The names in a listing of `folder` (without "." and ".."), in the order the system lists them.
std::vector<std::string> ListingOrder(const std::string& folder);

// Base of the suites that run script lines through the harness, with the report checks they
// share.
class HarnessTest : public ::testing::Test {
protected:
    // Exactly one error box, showing `failure` and `line`, with both flags set.
    void ExpectReport(const std::string& failure, const std::string& line) {
        ASSERT_EQ(app.window.boxes.size(), 1u);
        EXPECT_EQ(app.window.boxes[0].text, ScriptHarness::ErrorReport(failure, line));
        EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Error);
        EXPECT_EQ(app.State().UpdateHandled, 1);
        EXPECT_EQ(app.State().UpdateFailed, 1);
    }

    void ExpectNoReport() {
        EXPECT_TRUE(app.window.boxes.empty());
        EXPECT_EQ(app.State().UpdateFailed, 0);
    }

    TempFolder folder;
    ScriptHarness app{folder};
};
