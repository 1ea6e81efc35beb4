// The command line and what each start does before, around and instead of the window: the
// switches, the exit codes, the boxes a person sees or an unattended run answers, and when
// Update asks for administrator rights.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/FakeUpdater.h"
#include "core/launch/ExitCode.h"
#include "core/launch/Launch.h"

namespace {

using Lines = std::vector<std::string>;

// The parsed command line in one line, for a table of expectations.
std::string Describe(const ParsedCommandLine& parsed) {
    const LaunchOptions& options = parsed.options;
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    if (options.check) add("check");
    if (options.update) add("update");
    if (options.silent) add("silent");
    if (options.relaunched) add("relaunched");
    if (options.waitProcessId) add("waitpid=" + std::to_string(*options.waitProcessId));
    if (options.logFile) add("log=" + *options.logFile);
    if (parsed.error) {
        static const char* const kKinds[] = {"unknown", "value", "conflict"};
        add(std::string("error=") + kKinds[static_cast<int>(parsed.error->kind)] + ":" +
            parsed.error->argument);
    }
    return text;
}

TEST(CommandLineTest, SwitchesValuesAndFaults) {
    const struct {
        Lines arguments;
        std::string expected;
    } kCases[] = {
        {{}, ""},
        {{"/check"}, "check"},
        {{"-CHECK"}, "check"},
        {{"/Update", "-silent"}, "update silent"},
        {{"/relaunched"}, "relaunched"},
        {{"/waitpid", "4242"}, "waitpid=4242"},
        {{"/WAITPID", "4294967295"}, "waitpid=4294967295"},
        {{"/log", "C:\\My Logs\\update.log", "/silent"}, "silent log=C:\\My Logs\\update.log"},
        {{"/waitpid"}, "error=value:/waitpid"},
        {{"/waitpid", "12x"}, "error=value:/waitpid"},
        {{"/waitpid", "0"}, "error=value:/waitpid"},
        {{"/waitpid", "-5"}, "error=value:/waitpid"},
        {{"/waitpid", "4294967296"}, "error=value:/waitpid"},
        {{"/log"}, "error=value:/log"},
        {{"/log", "", "/check"}, "check error=value:/log"},
        {{"/log", "/silent"}, "silent error=value:/log"},
        {{"/bogus", "/silent"}, "silent error=unknown:/bogus"},
        {{"check"}, "error=unknown:check"},
        {{"/"}, "error=unknown:/"},
        {{""}, "error=unknown:\"\""},
        {{"/x", "/waitpid"}, "error=unknown:/x"},
        {{"-Update", "/check"}, "check update error=conflict:-Update"},
    };
    for (const auto& [arguments, expected] : kCases) {
        EXPECT_EQ(Describe(ParseCommandLine(arguments)), expected) << ::testing::PrintToString(arguments);
    }
}

TEST(CommandLineTest, ArgumentsAreJoinedAsTheSystemSplitsThem) {
    const struct {
        Lines arguments;
        std::string expected;
    } kCases[] = {
        {{"/update", "C:\\App\\"}, "/update C:\\App\\"},
        {{"/log", "C:\\My Logs\\u.log"}, "/log \"C:\\My Logs\\u.log\""},
        {{"C:\\My Dir\\"}, "\"C:\\My Dir\\\\\""},
        {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
        {{"a\\\"b"}, "\"a\\\\\\\"b\""},
        {{""}, "\"\""},
    };
    for (const auto& [arguments, expected] : kCases) {
        EXPECT_EQ(JoinCommandLine(arguments), expected);
    }
    LaunchOptions options;
    options.logFile = "C:\\u.log";
    EXPECT_EQ(ElevatedRelaunchArguments(options, 77),
              (Lines{"/update", "/relaunched", "/waitpid", "77", "/log", "C:\\u.log"}));
}

struct FakeLogFile : LogFile {
    explicit FakeLogFile(Lines& lines) : lines_(lines) {}
    void WriteLine(std::string_view line) override { lines_.emplace_back(line); }
    Lines& lines_;
};

class FakeLaunchSystem : public LaunchSystem {
public:
    std::uint32_t ProcessId() override { return 77; }
    bool WaitForProcessEnd(std::uint32_t processId, int) override {
        calls.push_back("wait " + std::to_string(processId));
        return waitsUntilEnd-- <= 0;
    }
    bool TakeFolderGuard(const std::string& folder) override {
        calls.push_back("guard " + folder);
        return !guardHeld;
    }
    bool CanWriteFolder(const std::string&) override { return writable; }
    bool IsElevated() override { return elevated; }
    Relaunch RelaunchElevated(const std::vector<std::string>& arguments) override {
        relaunches.push_back(JoinCommandLine(arguments));
        return relaunch;
    }
    std::string TemporaryFolder() override { return "C:\\Temp"; }
    std::unique_ptr<LogFile> OpenLogFile(const std::string& path) override {
        if (path == "Z:\\no\\such.log") {
            throw std::runtime_error("The system cannot find the path specified.");
        }
        return std::make_unique<FakeLogFile>(log);
    }

    int waitsUntilEnd = 0;
    bool guardHeld = false;
    bool writable = true;
    bool elevated = false;
    Relaunch relaunch = Relaunch::Started;
    Lines calls, relaunches, log;
};

// An application in C:\App with Quillmere started by `arguments`: the platform of FakeUpdater
// (language file, configuration, version 1.0) and a launch over a window of its own.
struct Started {
    explicit Started(const Lines& arguments)
        : launch(ParseCommandLine(arguments), window, system, app.platform) {
        app.platform.files["C:\\App\\version.txt"] = "VER 1.0";
        app.platform.folders.insert("C:\\Temp");
    }

    std::optional<int> Prepare() { return launch.Prepare(); }
    int Run() { return launch.Prepare().value_or(launch.RunUnattended(app.platform.Roles())); }
    void Feed(const std::string& text) { app.platform.server["http://server/info.txt"] = text; }
    // The disk but the temporary folder's times, which a check's temporary files change.
    FakePlatform::Disk AppDisk() {
        FakePlatform::Disk disk = app.platform.Snapshot();
        disk.stamps.erase("C:\\Temp");
        return disk;
    }

    FakeUpdater app;
    FakeWindow window;
    FakeLaunchSystem system;
    Launch launch;
};

TEST(LaunchTest, WhatEndsAStartBeforeTheUpdater) {
    const struct {
        Lines arguments;
        int waitsUntilEnd;
        bool guardHeld;
        std::optional<int> exit;
        Lines boxes;  // the start of each box's text, as the plain window shows it
    } kCases[] = {
        {{}, 0, false, std::nullopt, {}},
        {{"/bogus"}, 0, false, 64, {"Quillmere does not know the switch /bogus."}},
        {{"/bogus", "/silent"}, 0, false, 64, {}},
        {{"/check", "/waitpid"}, 0, false, 64, {}},
        {{"/update", "/check"}, 0, false, 64, {}},
        {{"/waitpid", "9"}, 0, false, std::nullopt, {}},
        {{"/waitpid", "9"}, 1, false, 4, {"The application (process 9) is still running"}},
        {{"/waitpid", "9", "/silent"}, 5, false, 4, {}},
        {{}, 0, true, 5, {"Quillmere is already running for this software."}},
        {{"/check"}, 0, true, 5, {}},
        {{"/log", "Z:\\no\\such.log"}, 0, false, 1,
         {"Quillmere cannot write its log file Z:\\no\\such.log.\r\n\r\nThe system cannot"}},
    };
    for (const auto& [arguments, waitsUntilEnd, guardHeld, exit, boxes] : kCases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        Started start(arguments);
        start.system.waitsUntilEnd = waitsUntilEnd;
        start.system.guardHeld = guardHeld;
        EXPECT_EQ(start.Prepare(), exit);
        ASSERT_EQ(start.window.boxes.size(), boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(start.window.boxes[i].text.substr(0, boxes[i].size()), boxes[i]);
        }
    }
}

TEST(LaunchTest, WaitingAsksAgainOnRetryAndTakesTheGuardOnlyOnceTheProcessHasEnded) {
    Started start({"/waitpid", "9"});
    start.system.waitsUntilEnd = 2;
    start.window.answers = {kAnswerRetry, kAnswerRetry};
    EXPECT_EQ(start.Prepare(), std::nullopt);
    EXPECT_EQ(start.window.boxes.size(), 2u);
    EXPECT_EQ(start.system.calls, (Lines{"wait 9", "wait 9", "wait 9", "guard C:\\App"}));
}

TEST(LaunchTest, TheLogFileHoldsEveryLineAndEveryBoxUnseenOrShown) {
    Started start({"/silent", "/log", "C:\\u.log", "/waitpid", "9"});
    start.system.waitsUntilEnd = 1;
    EXPECT_EQ(start.Prepare(), ExitCode::StillRunning);
    start.launch.Window().ReplaceLog("one\r\ntwo");
    start.launch.Window().AppendLog("three");
    EXPECT_EQ(start.system.log,
              (Lines{"[box] The application (process 9) is still running, and Quillmere cannot "
                     "update it while it runs.",
                     "[box] ", "[box] Close it, then press Retry. Cancel ends Quillmere.", "one",
                     "two", "three"}));
    EXPECT_TRUE(start.window.boxes.empty());
}

TEST(LaunchTest, CheckReportsWhatItFoundAndDoesNothingElse) {
    const struct {
        std::string feed;  // empty: the server has none
        int exit;
    } kCases[] = {
        {"CMV 1.0;same;http://server/1.0.qsc", ExitCode::Success},
        {"MSG news\r\nDWN http://server/x;\\x\r\nCMV 1.1;new;http://server/1.1.qsc",
         ExitCode::NewerVersion},
        {"CMV 1.1;new;http://server/1.1.qsc\r\nEXE \\setup.exe", ExitCode::NewerVersion},
        {"", ExitCode::Failed},
        {"CMV 1.x;bad;http://server/1.x.qsc", ExitCode::Failed},
    };
    for (const auto& [feed, exit] : kCases) {
        SCOPED_TRACE(feed);
        Started start({"/check", "/log", "C:\\u.log"});
        if (!feed.empty()) {
            start.Feed(feed);
        }
        const FakePlatform::Disk before = start.AppDisk();
        EXPECT_EQ(start.Run(), exit);
        EXPECT_EQ(start.app.platform.downloads, (Lines{"http://server/info.txt"}));
        EXPECT_TRUE(start.app.platform.launches.empty());
        EXPECT_TRUE(start.window.boxes.empty());
        EXPECT_EQ(std::count(start.system.log.begin(), start.system.log.end(), "[box] news"), 0);
        EXPECT_EQ(start.AppDisk(), before);
    }
}

TEST(LaunchTest, CheckFailsWithoutItsFilesAndKeepsItsTemporaryFilesOutOfTheFolder) {
    Started missing({"/check"});
    missing.app.platform.files.erase("C:\\App\\version.txt");
    EXPECT_EQ(missing.Run(), ExitCode::Failed);
    EXPECT_TRUE(missing.window.boxes.empty());

    Started start({"/check"});
    start.Feed("CMV 1.1;new;http://server/1.1.qsc");
    std::string storedAt;
    start.app.platform.onStored = [&storedAt](const std::string& path) { storedAt = path; };
    EXPECT_EQ(start.Run(), ExitCode::NewerVersion);
    EXPECT_EQ(storedAt, "C:\\Temp\\~qmcheck77.tmp");
}

TEST(LaunchTest, SilentAcceptsEveryOfferAndAnswersWhatNeedsAPerson) {
    const struct {
        std::string script2;  // the second version's update script
        bool writable;
        bool fileInUse;
        int exit;
    } kCases[] = {
        {"MSG Second%CRLF%done\r\nVER 1.2", true, false, ExitCode::Success},
        {"DWN http://server/missing;\\app.exe\r\nVER 1.2", true, false, ExitCode::Failed},
        {"DWN http://server/app;\\app.exe\r\nVER 1.2", true, true, ExitCode::PersonNeeded},
        {"VER 1.2", false, false, ExitCode::PersonNeeded},
    };
    for (const auto& [script2, writable, fileInUse, exit] : kCases) {
        SCOPED_TRACE(script2);
        Started start({"/silent", "/log", "C:\\u.log"});
        start.Feed("CMV 1.1;first;http://server/1.1.qsc\r\nCMV 1.2;second;http://server/1.2.qsc");
        start.app.platform.server["http://server/1.1.qsc"] = "MSG First\r\nVER 1.1";
        start.app.platform.server["http://server/1.2.qsc"] = script2;
        start.app.platform.server["http://server/app"] = "new";
        start.app.platform.files["C:\\App\\app.exe"] = "old";
        if (fileInUse) {
            start.app.platform.inUse["C:\\App\\app.exe"] = "";
        }
        start.system.writable = writable;
        const FakePlatform::Disk before = start.app.platform.Snapshot();
        EXPECT_EQ(start.Run(), exit);
        EXPECT_TRUE(start.window.boxes.empty());
        const Lines& log = start.system.log;
        const auto logged = [&log](const std::string& line) {
            return std::find(log.begin(), log.end(), line) != log.end();
        };
        if (exit == ExitCode::Success) {
            EXPECT_TRUE(logged("[box] First") && logged("[box] Second") && logged("[box] done"));
            EXPECT_EQ(std::count(log.begin(), log.end(), "UpdateFinished"), 2);
        } else {
            // The second version's failure undoes only its own script: the first stays.
            if (writable) {
                EXPECT_TRUE(logged("[box] First"));
            } else {
                EXPECT_EQ(start.app.platform.Snapshot(), before);
                EXPECT_TRUE(start.app.platform.downloads.empty());
            }
            EXPECT_EQ(start.app.platform.files["C:\\App\\app.exe"], "old");
        }
    }
}

TEST(LaunchTest, UpdateAsksForAdministratorRightsOnlyWhenTheFolderNeedsThem) {
    const struct {
        bool writable, elevated, relaunched, needed;
    } kCases[] = {
        {true, false, false, false},
        {false, false, false, true},
        {false, true, false, false},
        {false, false, true, false},
    };
    for (const auto& [writable, elevated, relaunched, needed] : kCases) {
        Started start(relaunched ? Lines{"/relaunched"} : Lines{});
        start.system.writable = writable;
        start.system.elevated = elevated;
        EXPECT_EQ(start.launch.UpdateNeedsElevation(), needed);
    }

    Started start({"/log", "C:\\u.log"});
    ASSERT_EQ(start.Prepare(), std::nullopt);
    EXPECT_TRUE(start.launch.RelaunchElevated());
    start.system.relaunch = LaunchSystem::Relaunch::Refused;
    EXPECT_FALSE(start.launch.RelaunchElevated());
    EXPECT_EQ(start.system.relaunches,
              (Lines(2, "/update /relaunched /waitpid 77 /log C:\\u.log")));
    EXPECT_EQ(start.window.LogLines().back(),
              "Updating this software needs administrator rights: Quillmere cannot write in its "
              "folder.");
}

}  // namespace
