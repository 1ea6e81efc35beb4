// EXE, MSG and DWN through the real interpreter and Win32 platform: programs started with and
// without waiting (a helper program that sleeps and then writes a marker file), the window's
// events while waiting, command lines with blanks, message texts, downloads from the fixture
// server into the program folder, and an update script's DWN over a file held open.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "windows/system/Directories.h"
#include "windows/system/LaunchExecutables.h"
#include "windows/ScriptHarness.h"
#include "windows/TempFolder.h"
#include "windows/win32/ScopedHandles.h"

namespace {

using Lines = std::vector<std::string>;
namespace texts = harness_texts;

const std::string kSleeper = QUILLMERE_BINARY_DIR "\\sleeper.exe";

constexpr const char* kMissingField =
    "A field is missing: the line has fewer fields separated by \";\" than its command needs.";

// Waits up to 20 s for the file to appear. True when it did.
bool AppearsSoon(const std::string& path) {
    for (int round = 0; round < 400; ++round) {
        if (PathExists(path)) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

void CopyProgram(const std::string& to) {
    ASSERT_TRUE(CopyFileA(kSleeper.c_str(), to.c_str(), FALSE)) << to;
}

class LaunchCommandsTest : public HarnessTest {
protected:
    const std::string marker = folder / "marker.txt";
};

// --- EXE -------------------------------------------------------------------------------------

TEST_F(LaunchCommandsTest, WithoutWaitTheNextLineRunsWhileTheProgramStillRuns) {
    // DEL finds no marker yet, so it logs nothing; the program writes it later.
    app.Run("EXE " + kSleeper + " 500 " + marker + "\r\nDEL " + marker);
    EXPECT_EQ(app.window.log, "");
    EXPECT_TRUE(app.window.boxes.empty());
    ASSERT_TRUE(AppearsSoon(marker));
    EXPECT_EQ(ReadWholeFile(marker), kSleeper);
}

TEST_F(LaunchCommandsTest, WithWaitTheNextLineRunsOnlyAfterTheProgramEnded) {
    // DEL finds the marker that the program wrote just before it ended.
    app.Run("EXE WAIT:" + kSleeper + " 500 " + marker + "\r\nDEL " + marker);
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage}));
    EXPECT_FALSE(PathExists(marker));
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(LaunchCommandsTest, WaitWithAPathInTheProgramFolder) {
    CopyProgram(folder / "tool.exe");
    app.Run("EXE WAIT:\\tool.exe 100 " + marker);
    ASSERT_TRUE(PathExists(marker));
    EXPECT_EQ(ReadWholeFile(marker), folder / "tool.exe");
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(LaunchCommandsTest, LowerCaseWaitIsPartOfTheCommandLineAndCannotStart) {
    const std::string line = "EXE wait:" + kSleeper + " 0 " + marker;
    app.Run(line + "\r\nMKD \\not-run");
    ExpectReport(texts::kLaunchError, line);
    EXPECT_FALSE(PathExists(folder / "not-run"));
}

TEST_F(LaunchCommandsTest, MissingProgramIsReportedAndEndsTheRun) {
    app.Run("EXE WAIT:\\missing.exe\r\nMKD \\not-run");
    ExpectReport(texts::kLaunchError, "EXE WAIT:\\missing.exe");
    EXPECT_EQ(app.window.log, "");
    EXPECT_FALSE(PathExists(folder / "not-run"));
    EXPECT_EQ(app.UnrunScript(), "MKD \\not-run");
}

TEST_F(LaunchCommandsTest, ProgramFolderWithABlankIsNeverSplit) {
    // In "...\My App", the system's rule would start "...\My.exe", planted at the split point.
    const std::string programFolder = folder / "My App";
    ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
    CopyProgram(programFolder + "\\tool.exe");
    CopyProgram(folder / "My.exe");
    ScriptHarness program(programFolder);

    program.Run("EXE WAIT:\\tool.exe\r\nEXE WAIT:\\tool.exe 0 " + marker);
    EXPECT_TRUE(PathExists(programFolder + "\\tool.exe.ran"));  // the run without arguments
    EXPECT_EQ(ReadWholeFile(marker), programFolder + "\\tool.exe");
    EXPECT_FALSE(PathExists(folder / "My.exe.ran"));
    EXPECT_TRUE(program.window.boxes.empty());
}

// A command line written in full is the publisher's to quote: the system's rule splits it.
TEST_F(LaunchCommandsTest, PathsWithBlanksAreSplitByTheSystemsRule) {
    ASSERT_TRUE(CreateDirectoryA((folder / "My Tools").c_str(), nullptr));
    const std::string program = folder / "My Tools\\sleeper.exe";
    CopyProgram(program);

    // Quoted, the whole path is the program.
    app.Run("EXE WAIT:\"" + program + "\" 0 " + marker);
    EXPECT_EQ(ReadWholeFile(marker), program);
    // Unquoted, the system tries the shorter names first: "My" is not a program, the full
    // path is.
    app.Run("EXE WAIT:" + program + " 0 " + marker);
    EXPECT_EQ(ReadWholeFile(marker), program);
    // ... unless "My.exe" exists, which then runs in its place.
    CopyProgram(folder / "My.exe");
    app.Run("EXE WAIT:" + program + " 0 " + marker);
    EXPECT_EQ(ReadWholeFile(marker), folder / "My.exe");
    app.Run("EXE WAIT:\"" + program + "\" 0 " + marker);
    EXPECT_EQ(ReadWholeFile(marker), program);
    EXPECT_TRUE(app.window.boxes.empty());
}

// A message-only window with a timer: counts the ticks it receives while the marker is missing.
struct TimerWindow {
    static inline int ticksWhileRunning = 0;
    static inline std::string watchedMarker;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER && !PathExists(watchedMarker)) {
            ++ticksWhileRunning;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    explicit TimerWindow(const std::string& marker) {
        ticksWhileRunning = 0;
        watchedMarker = marker;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QuillmereLaunchTestTimer";
        RegisterClassA(&windowClass);
        handle = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, windowClass.hInstance, nullptr);
        SetTimer(handle, 1, 25, nullptr);
    }
    ~TimerWindow() {
        KillTimer(handle, 1);
        DestroyWindow(handle);
    }

    HWND handle = nullptr;
};

TEST_F(LaunchCommandsTest, TheWindowProcessesItsEventsWhileWaiting) {
    TimerWindow timer(marker);
    ASSERT_NE(timer.handle, nullptr);
    app.Run("EXE WAIT:" + kSleeper + " 600 " + marker);
    EXPECT_TRUE(PathExists(marker));
    EXPECT_GE(TimerWindow::ticksWhileRunning, 3);
    EXPECT_GE(app.window.eventPasses, 3);
}

TEST_F(LaunchCommandsTest, APendingQuitDoesNotMakeTheWaitSpin) {
    // The event pump puts a WM_QUIT back each time it sees it, so the queue never empties.
    PostQuitMessage(0);
    app.Run("EXE WAIT:" + kSleeper + " 300 " + marker + "\r\nDEL " + marker);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_LE(app.window.eventPasses, 2);
    EXPECT_FALSE(PathExists(marker));  // deleted by the next line, after the program ended
}

TEST(LaunchExecutableTest, ReturnsTrueOnceStartedAndFalseForWhatCannotStart) {
    TempFolder folder;
    const std::string marker = folder / "marker.txt";
    EXPECT_TRUE(LaunchExecutable(kSleeper + " 0 " + marker, true, SW_SHOWNORMAL, nullptr));
    EXPECT_TRUE(PathExists(marker));
    WriteFileBytes(folder / "notes.txt", "not a program");
    EXPECT_FALSE(LaunchExecutable(folder / "notes.txt", true, SW_SHOWNORMAL, nullptr));
    EXPECT_FALSE(LaunchExecutable(folder / "missing.exe", false, SW_SHOWNORMAL, nullptr));
    EXPECT_FALSE(LaunchExecutable("", false, SW_SHOWNORMAL, nullptr));
}

// --- MSG -------------------------------------------------------------------------------------

TEST_F(LaunchCommandsTest, MsgShowsItsTextWithLineBreaksAndLogsNothing) {
    app.Run("MSG Line one%CRLF%Line two; %TITLE%\r\nMKD \\after");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_EQ(app.window.boxes[0].text, "Line one\r\nLine two; %TITLE%");
    EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Information);
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", texts::kCreateDirectory, texts::kDirectoryCreated}));
    EXPECT_EQ(app.State().UpdateFailed, 0);
}

// --- DWN -------------------------------------------------------------------------------------

// A folder under the fixture server's root, removed with its files at the end of the test.
class ServedFolder {
public:
    ServedFolder() {
        static int counter = 0;
        name_ = "launch-tests-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        path_ = WinePath(RequiredEnvironment("QUILLMERE_FIXTURE_ROOT")) + "\\" + name_;
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ServedFolder() { EraseDirectory(path_ + "\\"); }
    ServedFolder(const ServedFolder&) = delete;
    ServedFolder& operator=(const ServedFolder&) = delete;

    // Puts `bytes` on the server; returns its URL.
    std::string Serve(const std::string& file, const std::string& bytes) const {
        WriteFileBytes(path_ + "\\" + file, bytes);
        return Url(file);
    }
    std::string Url(const std::string& file) const {
        return RequiredEnvironment("QUILLMERE_FIXTURE_URL") + "/" + name_ + "/" + file;
    }

private:
    std::string name_;
    std::string path_;
};

std::string SomeBytes(std::size_t size) {
    std::string bytes;
    for (std::size_t index = 0; index < size; ++index) {
        bytes += static_cast<char>(index * 7 % 256);
    }
    return bytes;
}

TEST_F(LaunchCommandsTest, DwnDownloadsIntoTheProgramFolder) {
    ServedFolder server;
    const std::string payload = SomeBytes(100000);
    app.Run("DWN " + server.Serve("payload.bin", payload) + ";\\payload.bin");
    EXPECT_EQ(ReadWholeFile(folder / "payload.bin"), payload);
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", "Downloading...", "Please wait.", "Downloaded.%CRLF%"}));
    EXPECT_GE(app.window.eventPasses, 1);
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(LaunchCommandsTest, DwnIgnoresAThirdField) {
    ServedFolder server;
    app.Run("DWN " + server.Serve("a.txt", "first") + ";\\first.txt;\\second.txt");
    EXPECT_EQ(ReadWholeFile(folder / "first.txt"), "first");
    EXPECT_FALSE(PathExists(folder / "second.txt"));
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(LaunchCommandsTest, FailedDownloadIsReportedAfterItsFirstMessage) {
    ServedFolder server;
    const std::string line = "DWN " + server.Url("missing.bin") + ";\\missing.bin";
    app.Run(line + "\r\nMKD \\not-run");
    EXPECT_EQ(app.window.LogLines(), (Lines{"", "Downloading...", "Please wait."}));
    ExpectReport(texts::kDownloadError, line);
    EXPECT_FALSE(PathExists(folder / "missing.bin"));
    EXPECT_FALSE(PathExists(folder / "not-run"));
}

TEST_F(LaunchCommandsTest, DwnWithoutSeparatorFailsBeforeAnythingIsLogged) {
    ServedFolder server;
    const std::string line = "DWN " + server.Serve("a.txt", "x");
    app.Run(line);
    EXPECT_EQ(app.window.log, "");
    ExpectReport(kMissingField, line);
}

// --- DWN over a file held open, in an update script ------------------------------------------

// An offer of 2.0 whose update script replaces data\held.dat, which the test holds open without
// FILE_SHARE_DELETE: the old file cannot be renamed aside, so the updater asks Retry or Cancel.
// (In a folder of its own: the program folder's time changes with every update check.)
class HeldFileTest : public LaunchCommandsTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
        WriteFileBytes(held, "old bytes");
        dwnLine = "DWN " + server.Serve("new.dat", "new bytes") + ";\\data\\held.dat";
        offer = "VER 1.0\r\nCMV 2.0;New;" + server.Serve("2.0.qsc", dwnLine + "\r\n");
        handle =
            FileHandle(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(handle);
    }

    // Runs `action` while the first Retry/Cancel box is open (the window calls its handler
    // for one box only, so it is set again at each box before).
    void WhileInUseBoxIsOpen(std::function<void()> action) {
        app.window.onMessageBox = [this, action] {
            if (app.window.boxes.back().style == MessageBoxStyle::RetryCancel) {
                action();
            } else {
                WhileInUseBoxIsOpen(action);
            }
        };
    }

    static WIN32_FILE_ATTRIBUTE_DATA Stamp(const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA stamp = {};
        EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &stamp)) << path;
        return stamp;
    }

    // Nothing of the update is left: no ~qm* entry, no Script.qsc.
    void ExpectOnlyOwnEntries() {
        EXPECT_EQ(FolderEntries(folder.Path()), (Lines{"data", "quillmere.cfg", "quillmere.lng"}));
        EXPECT_EQ(FolderEntries(data), Lines{"held.dat"});
    }

    ServedFolder server;
    const std::string data = folder / "data";
    const std::string held = folder / "data\\held.dat";
    std::string dwnLine, offer;
    FileHandle handle;
};

TEST_F(HeldFileTest, RetryAfterTheFileWasClosedReplacesIt) {
    app.window.answers = {kAnswerYes, kAnswerRetry};
    WhileInUseBoxIsOpen([this] { handle.Reset(); });
    app.Run(offer);
    ASSERT_EQ(app.window.boxes.size(), 3u);  // the description, the question, the file in use
    EXPECT_EQ(app.window.boxes[2].style, MessageBoxStyle::RetryCancel);
    EXPECT_FALSE(handle);
    EXPECT_EQ(app.State().UpdateFailed, 0);
    EXPECT_EQ(ReadWholeFile(held), "new bytes");
    ExpectOnlyOwnEntries();
}

TEST_F(HeldFileTest, CancelNamesTheFileAndLeavesTheFolderAsItWas) {
    ASSERT_TRUE(SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const WIN32_FILE_ATTRIBUTE_DATA fileBefore = Stamp(held), folderBefore = Stamp(data);
    app.window.answers = {kAnswerYes, kAnswerCancel};
    app.Run(offer);
    handle.Reset();

    ASSERT_EQ(app.window.boxes.size(), 4u);
    EXPECT_EQ(app.window.boxes[2].style, MessageBoxStyle::RetryCancel);
    EXPECT_NE(app.window.boxes[2].text.find("The file " + held + " is in use"), std::string::npos)
        << app.window.boxes[2].text;
    EXPECT_EQ(app.window.boxes[3].text, ScriptHarness::ErrorReport(texts::kDownloadError, dwnLine));
    EXPECT_EQ(app.State().UpdateFailed, 1);
    EXPECT_EQ(ReadWholeFile(held), "old bytes");
    const WIN32_FILE_ATTRIBUTE_DATA fileAfter = Stamp(held), folderAfter = Stamp(data);
    EXPECT_EQ(fileAfter.dwFileAttributes, fileBefore.dwFileAttributes);
    EXPECT_EQ(CompareFileTime(&fileAfter.ftLastWriteTime, &fileBefore.ftLastWriteTime), 0);
    // The staged download came and went beside the file: the folder's time is put back.
    EXPECT_EQ(CompareFileTime(&folderAfter.ftLastWriteTime, &folderBefore.ftLastWriteTime), 0);
    ExpectOnlyOwnEntries();
}

TEST_F(HeldFileTest, AnUndoGivesTheFileBackTheNameItsFolderHolds) {
    handle.Reset();
    app.Run("VER 1.0\r\nCMV 2.0;New;" +
            server.Serve("case.qsc", "DEL \\DATA\\HELD.DAT\r\nXYZ\r\n"));
    EXPECT_EQ(app.State().UpdateFailed, 1);
    ExpectOnlyOwnEntries();  // "held.dat", as it was written, not as the script spelled it
}

}  // namespace
