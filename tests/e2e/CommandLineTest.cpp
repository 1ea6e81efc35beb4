// The command line of the real quillmere.exe: /check's exit codes with nothing shown, nothing
// written in the program folder and nothing fetched but the update information file; /update
// starting its run unasked; /silent accepting every offer, its log file stamped, and undoing a
// failed script; /waitpid holding the start until its process has ended; faulty switches; one
// Quillmere at a time per program folder; and a program folder the user cannot write.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <regex>

#include "e2e/FolderSnapshot.h"
#include "e2e/UpdateSession.h"
#include "windows/UnwritableFolder.h"

namespace e2e {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNewerVersion = 2;
constexpr int kExitPersonNeeded = 3;
constexpr int kExitAlreadyRunning = 5;
constexpr int kExitUsage = 64;

constexpr char kAlreadyRunning[] = "Quillmere is already running for this software.";
constexpr char kRightsNeeded[] =
    "Updating this software needs administrator rights: Quillmere cannot write in its folder.";

// The local time as the log file stamps its lines: "YYYY-MM-DD HH:MM:SS".
std::string LocalStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return stamp;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

std::string TemporaryFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof path, path);
    return std::string(path, length);
}

// The folder's own last-write time, which every entry made or removed in it moves on.
std::uint64_t FolderWrittenTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        throw UiDriverError("cannot read the times of " + path);
    }
    return (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// The last `count` requests of `all`.
std::vector<std::string> Since(const std::vector<std::string>& all, std::size_t count) {
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end()};
}

class CommandLineTest : public UpdateSession {
protected:
    void SetUp() override {
        UpdateSession::SetUp();
        startStamp = LocalStamp();
    }

    void TearDown() override {
        // Before the log folder goes: the programs may hold the log file open.
        for (std::optional<Program>* running : {&relaunched, &program}) {
            if (running->has_value()) {
                (*running)->Terminate();
            }
        }
    }

    // Starts the program with `arguments` and waits for its end, watching for windows.
    Program::UnseenEnd Run(const std::string& arguments) {
        program.emplace(Program::Start(folder, arguments));
        return program->WaitForExitWatchingWindows();
    }

    // The log file's lines without their stamps.
    std::vector<std::string> LoggedLines() const { return Unstamped(ReadFileText(logFile)); }

    // The lines of `text`, a log file's, without their stamps; each line must begin with a
    // stamp of the test's time followed by two blanks.
    std::vector<std::string> Unstamped(const std::string& text) const {
        static const std::regex stamped(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)  (.*))");
        const std::string endStamp = LocalStamp();
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            std::smatch match;
            if (!std::regex_match(line, match, stamped)) {
                ADD_FAILURE() << "a log line without its stamp: \"" << line << "\"";
                lines.push_back(line);
                continue;
            }
            EXPECT_TRUE(match[1] >= startStamp && match[1] <= endStamp)
                << "stamp " << match[1] << " outside " << startStamp << " .. " << endStamp;
            lines.push_back(match[2]);
        }
        EXPECT_EQ(text.substr(start), "") << "the log file's last line is not ended";
        return lines;
    }

    // How many lines of the log file are `line` after their stamp, as written so far.
    int LoggedCount(const std::string& line) const {
        const std::string text = ReadFileText(logFile);
        const std::string ending = "  " + line + "\r\n";
        int count = 0;
        for (std::size_t at = text.find(ending); at != std::string::npos;
             at = text.find(ending, at + 1)) {
            count += at == 19 || (at > 19 && text[at - 20] == '\n') ? 1 : 0;
        }
        return count;
    }

    // The /log switch for the test's log file, whose name holds a blank.
    std::string LogSwitch() const { return "/log \"" + logFile + "\""; }

    TempFolder logs;
    std::string logFile = logs / "update log.txt";
    std::string startStamp;
    std::optional<Program> relaunched;  // a Quillmere that the program started
};

// ---- /check ----------------------------------------------------------------------------------

struct CheckCase {
    std::string what;
    std::optional<std::string> feed;  // none: the server has no update information file
    int exitCode;
};

TEST_F(CommandLineTest, CheckExitCodeTellsWhatIsListedAndNothingElseHappens) {
    const std::string temporaryStem =
        TemporaryFolder() + "~qmcheck";  // + the process id: the check's own temporary files
    const std::vector<CheckCase> cases = {
        {"no newer version", "CMV 1.0;Same;" + server.Url("1.0.qsc") + "\r\n", kExitSuccess},
        {"two newer versions",
         "CMV 1.1;First;" + server.Url("1.1.qsc") + "\r\nCMV 1.2;Second;" +
             server.Url("1.2.qsc") + "\r\n",
         kExitNewerVersion},
        {"no update information file", std::nullopt, kExitFailed},
    };
    for (const CheckCase& row : cases) {
        DeleteFileA((server.Path() + "\\updates.txt").c_str());
        if (row.feed) {
            server.WriteFile("updates.txt", *row.feed);
        }
        const std::size_t requestsBefore = server.Requests().size();
        const Snapshot before = TakeSnapshot(folder);
        const std::uint64_t folderWritten = FolderWrittenTime(folder.Path());

        const Program::UnseenEnd end = Run("/check");
        EXPECT_EQ(end.exitCode, static_cast<DWORD>(row.exitCode)) << row.what;
        EXPECT_EQ(end.windowsShown, std::vector<std::string>{}) << row.what;
        EXPECT_EQ(Since(server.Requests(), requestsBefore), std::vector<std::string>{"updates.txt"})
            << row.what;
        EXPECT_EQ(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{}) << row.what;
        // Not even a file made and removed again.
        EXPECT_EQ(FolderWrittenTime(folder.Path()), folderWritten) << row.what;
        const std::string stem = temporaryStem + std::to_string(program->Id());
        EXPECT_FALSE(PathExists(stem + ".tmp")) << row.what;
        EXPECT_FALSE(PathExists(stem + ".sig.tmp")) << row.what;
    }
}

// ---- /update ---------------------------------------------------------------------------------

TEST_F(CommandLineTest, UpdateStartsTheRunWithoutAClick) {
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("1.0.qsc") + "\r\n");
    // Switches are read without regard to case, after "-" as after "/".
    program.emplace(Program::Start(folder, "-UpDate"));
    const MainWindow window = program->WaitForMainWindow();

    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"updates.txt"});
    EXPECT_TRUE(program->IsRunning());  // the window stays, as after a click
}

// ---- /silent ---------------------------------------------------------------------------------

TEST_F(CommandLineTest, SilentInstallsEveryOfferAndLogsEveryLineAndBoxStamped) {
    server.WriteFile("updates.txt", "CMV 1.1;First%CRLF%fixes;" + server.Url("1.1.qsc") +
                                        "\r\nCMV 1.2;Second;" + server.Url("1.2.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MSG Now at 1.1\r\nDWN " + server.Url("1.1/version.txt") +
                                    ";\\version.txt\r\nVER 1.1\r\n");
    server.WriteFile("1.1/version.txt", "VER 1.1\r\n");
    server.WriteFile("1.2.qsc", "MSG Now at 1.2%CRLF%Enjoy\r\nDWN " +
                                    server.Url("1.2/version.txt") + ";\\version.txt\r\nVER 1.2\r\n");
    server.WriteFile("1.2/version.txt", "VER 1.2\r\n");
    // The log file is appended to: an earlier run's line stays.
    const std::string earlier = "2001-01-01 00:00:00  [an earlier run]\r\n";
    WriteFileText(logFile, earlier);

    const Program::UnseenEnd end = Run("/silent " + LogSwitch());
    EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitSuccess));
    EXPECT_EQ(end.windowsShown, std::vector<std::string>{});
    EXPECT_EQ(folder.ReadFile("version.txt"), "VER 1.2\r\n");
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"updates.txt", "1.1.qsc",
                                                           "1.1/version.txt", "1.2.qsc",
                                                           "1.2/version.txt"}));

    const std::string log = ReadFileText(logFile);
    ASSERT_TRUE(StartsWith(log, earlier)) << log;
    const std::vector<std::string> download = {"[Downloading]", "[a file]",
                                               "[Downloaded %CRLF%]"};
    EXPECT_EQ(Unstamped(log.substr(std::string(earlier).size())),
              Concat(Concat(Concat({"[Welcome to Inkwell]", "[Press Update for Inkwell]"},
                                   kRunOpening),
                            Concat({"[Found an update of Inkwell]", "[box] [New Inkwell]",
                                    "[box] First", "[box] fixes", "[box] [Install %TITLE%?]",
                                    "[Updating]", "[Please wait]", "[box] Now at 1.1"},
                                   download)),
                     Concat(Concat({"[Update finished]", "[Found an update of Inkwell]",
                                    "[box] [New Inkwell]", "[box] Second",
                                    "[box] [Install %TITLE%?]", "[Updating]", "[Please wait]",
                                    "[box] Now at 1.2", "[box] Enjoy"},
                                   download),
                            {"[Update finished]", "[Scan finished]"})));
}

TEST_F(CommandLineTest, SilentUndoesAFailedScriptAndExitsWithFailure) {
    server.WriteFile("updates.txt", "CMV 1.1;Broken;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\made\r\nDWN " + server.Url("1.1/version.txt") +
                                    ";\\version.txt\r\nXYZ not a command\r\n");
    server.WriteFile("1.1/version.txt", "VER 1.1\r\n");
    const Snapshot before = TakeSnapshot(folder);

    const Program::UnseenEnd end = Run("/SILENT " + LogSwitch());
    EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitFailed));
    EXPECT_EQ(end.windowsShown, std::vector<std::string>{});
    EXPECT_EQ(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{});
    const std::vector<std::string> lines = LoggedLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "[box] [Line: XYZ not a command]"),
              lines.end());
    EXPECT_EQ(lines.back(), "[Update failed]");
}

// ---- /waitpid --------------------------------------------------------------------------------

TEST_F(CommandLineTest, WaitpidStartsNothingBeforeItsProcessHasEnded) {
    server.WriteFile("updates.txt", "CMV 1.1;First;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\one\r\n");
    // A sleeper that would run for a minute: the test ends it when it has seen enough.
    Program sleeper = Program::Start(BuildPath("sleeper.exe"),
                                     "60000 \"" + (logs / "sleeper.ran") + "\"");
    program.emplace(
        Program::Start(folder, "/silent " + LogSwitch() + " /waitpid " + std::to_string(sleeper.Id())));

    // The log file is opened before the wait: once it is there, the program is waiting (or
    // has wrongly gone on).
    WaitUntil([&] { return PathExists(logFile) || !program->IsRunning(); },
              "the program to open its log file", [&] { return program->Describe(); });
    for (int look = 0; look < 50; ++look) {
        ASSERT_TRUE(program->IsRunning()) << program->Describe();
        ASSERT_EQ(server.Requests(), std::vector<std::string>{});
        ASSERT_EQ(ReadFileText(logFile), "");
        Sleep(20);
    }
    sleeper.Terminate();

    const Program::UnseenEnd end = program->WaitForExitWatchingWindows();
    EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitSuccess));
    EXPECT_EQ(end.windowsShown, std::vector<std::string>{});
    EXPECT_TRUE(folder.Exists("one"));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"updates.txt", "1.1.qsc"}));
}

// ---- Faulty command lines --------------------------------------------------------------------

struct FaultyCase {
    std::string arguments;
    std::string boxStart;  // empty: no box may be shown
};

TEST_F(CommandLineTest, FaultySwitchEndsWithUsageExitCodeAndABoxOnlyForAPerson) {
    const std::vector<FaultyCase> cases = {
        {"/bogus", "Quillmere does not know the switch /bogus."},
        {"/update -WAITPID", "The switch -WAITPID needs a value"},
        {"/silent /bogus", ""},
        {"/check /update", ""},
    };
    for (const FaultyCase& row : cases) {
        if (row.boxStart.empty()) {
            const Program::UnseenEnd end = Run(row.arguments);
            EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitUsage)) << row.arguments;
            EXPECT_EQ(end.windowsShown, std::vector<std::string>{}) << row.arguments;
            continue;
        }
        program.emplace(Program::Start(folder, row.arguments));
        const MessageBoxWindow box = program->WaitForMessageBox();
        EXPECT_TRUE(StartsWith(box.Text(), row.boxStart)) << box.Describe();
        EXPECT_EQ(box.Caption(), "Quillmere") << row.arguments;
        EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK}) << row.arguments;
        EXPECT_FALSE(program->FindMainWindow().has_value()) << program->Describe();
        box.Answer(IDOK);
        EXPECT_EQ(program->WaitForExit(), static_cast<DWORD>(kExitUsage)) << row.arguments;
    }
    EXPECT_EQ(server.Requests(), std::vector<std::string>{});

    // Unattended, the box's text goes to the log file alone.
    const Program::UnseenEnd end = Run("/silent " + LogSwitch() + " /bogus");
    EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitUsage));
    const std::vector<std::string> lines = LoggedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "[box] Quillmere does not know the switch /bogus.");
}

// ---- One Quillmere per program folder --------------------------------------------------------

TEST_F(CommandLineTest, SecondQuillmereForTheSameFolderRunsNoUpdate) {
    server.WriteFile("updates.txt", "CMV 1.1;First;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\one\r\n");
    Program first = Program::Start(folder);
    const MainWindow firstWindow = first.WaitForMainWindow();
    const Snapshot before = TakeSnapshot(folder);

    for (const std::string arguments : {"/silent", "/check"}) {
        const Program::UnseenEnd end = Run(arguments);
        EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitAlreadyRunning)) << arguments;
        EXPECT_EQ(end.windowsShown, std::vector<std::string>{}) << arguments;
    }
    program.emplace(Program::Start(folder));
    const MessageBoxWindow box = program->WaitForMessageBox();
    EXPECT_TRUE(StartsWith(box.Text(), kAlreadyRunning)) << box.Describe();
    EXPECT_EQ(box.Caption(), "Quillmere");
    EXPECT_FALSE(program->FindMainWindow().has_value()) << program->Describe();
    box.Answer(IDOK);
    EXPECT_EQ(program->WaitForExit(), static_cast<DWORD>(kExitAlreadyRunning));

    EXPECT_EQ(server.Requests(), std::vector<std::string>{});
    EXPECT_EQ(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{});
    EXPECT_TRUE(first.IsRunning());
    EXPECT_TRUE(firstWindow.UpdateButtonEnabled()) << firstWindow.Describe();

    // The guard is the folder's: a Quillmere of another software runs meanwhile.
    ProgramFolder other;
    other.WriteLanguageFile(kTestLanguageFile);
    other.WriteConfiguration("ADR " + server.Url("updates.txt") +
                             "\r\nLOC \\version.txt\r\nTIT Other\r\n");
    other.WriteFile("version.txt", "VER 1.0\r\n");
    Program otherCheck = Program::Start(other, "/check");
    EXPECT_EQ(otherCheck.WaitForExit(), static_cast<DWORD>(kExitNewerVersion));
}

// ---- A program folder the user cannot write --------------------------------------------------

TEST_F(CommandLineTest, SilentInAFolderItCannotWriteChangesNothingAndAsksForAPerson) {
    server.WriteFile("updates.txt", "CMV 1.1;First;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\one\r\n");
    const Snapshot before = TakeSnapshot(folder);
    const UnwritableFolder unwritable(folder.Path());
    if (!unwritable.Holds()) {
        GTEST_SKIP() << "nothing on this system refuses the test's own writes in a folder";
    }

    const Program::UnseenEnd end = Run("/silent " + LogSwitch());
    EXPECT_EQ(end.exitCode, static_cast<DWORD>(kExitPersonNeeded));
    EXPECT_EQ(end.windowsShown, std::vector<std::string>{});
    EXPECT_EQ(server.Requests(), std::vector<std::string>{});
    EXPECT_EQ(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{});
    const std::vector<std::string> lines = LoggedLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), kRightsNeeded), lines.end());
}

// Wine draws no shield on a button, so the shield itself goes unchecked; and its "runas" starts
// the program without raising its rights: the second Quillmere cannot write the folder either,
// which is just where one that asked again would start a third.
TEST_F(CommandLineTest, UpdateInAFolderItCannotWriteStartsQuillmereAgainOnce) {
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("1.0.qsc") + "\r\n");
    const UnwritableFolder unwritable(folder.Path());
    if (!unwritable.Holds()) {
        GTEST_SKIP() << "nothing on this system refuses the test's own writes in a folder";
    }
    std::optional<Program> first = Program::StartWithoutAdministratorRights(folder, LogSwitch());
    if (!first) {
        GTEST_SKIP() << "this system gives the test's user no token without administrator rights";
    }
    program.emplace(std::move(*first));
    program->WaitForMainWindow().ClickUpdate();

    // The first Quillmere starts the second, then ends.
    WaitUntil([&] { return !ProcessesStartedBy(program->Id()).empty(); },
              "a Quillmere started by the first", [&] { return program->Describe(); });
    const std::vector<DWORD> started = ProcessesStartedBy(program->Id());
    ASSERT_EQ(started.size(), 1u);
    relaunched.emplace(Program::Attach(started.front()));
    EXPECT_EQ(program->WaitForExit(), static_cast<DWORD>(kExitSuccess));

    // The second runs the update check without a click, its lines in the same log file: the
    // first never ran one.
    const MainWindow second = relaunched->WaitForMainWindow();
    WaitUntil([&] { return LoggedCount("[Research %CRLF%]") == 1; },
              "the second Quillmere's run to start", [&] { return relaunched->Describe(); });
    second.WaitUntilIdle();
    // Update there runs there: it never starts a third Quillmere.
    second.ClickUpdate();
    WaitUntil([&] { return LoggedCount("[Research %CRLF%]") == 2; },
              "the second Quillmere's next run to start", [&] { return relaunched->Describe(); });
    second.WaitUntilIdle();
    EXPECT_TRUE(relaunched->IsRunning());
    EXPECT_EQ(ProcessesStartedBy(relaunched->Id()), std::vector<DWORD>{});
    const std::vector<std::string> lines = LoggedLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[Welcome to Inkwell]"), 2)
        << ::testing::PrintToString(lines);
}

}  // namespace
}  // namespace e2e
