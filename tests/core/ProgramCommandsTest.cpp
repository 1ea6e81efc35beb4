// EXE, MSG and DWN: the WAIT: prefix, the path rule, message boxes, download fields, failures
// and which of them arm the trap.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kNoArgument =
    "The line has no argument: a command must be followed by a separator character and its "
    "argument.";

class ProgramCommandsTest : public ::testing::Test {
protected:
    ProgramCommandsTest() { app.window.log.clear(); }

    void ExpectOneErrorBox(const std::string& text) {
        ASSERT_EQ(app.window.boxes.size(), 1u);
        EXPECT_EQ(app.window.boxes[0].text, text);
        EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Error);
        EXPECT_EQ(app.state.UpdateHandled, 1);
        EXPECT_EQ(app.state.UpdateFailed, 1);
    }

    FakeUpdater app;
};

// --- EXE -------------------------------------------------------------------------------------

TEST_F(ProgramCommandsTest, ExeStartsTheCommandLineInANormalWindowAndLogsNothing) {
    app.platform.launchable = {"C:\\Tools\\setup.exe /quiet"};
    app.Run("EXE C:\\Tools\\setup.exe /quiet\r\nTIT next");
    EXPECT_EQ(app.platform.launches, (Lines{"C:\\Tools\\setup.exe /quiet"}));
    EXPECT_EQ(app.platform.lastWindowStyle, 1);
    EXPECT_EQ(app.window.log, "");
    EXPECT_TRUE(app.window.boxes.empty());
    EXPECT_EQ(app.state.SoftwareTitle, "next");
}

TEST_F(ProgramCommandsTest, WaitPrefixIsExactAndCaseSensitiveAndNothingIsTrimmed) {
    struct Case {
        const char* line;
        const char* launch;  // as the fake records it: "WAIT " when a wait was requested
    };
    for (const Case& c :
         {Case{"EXE WAIT:C:\\a.exe", "WAIT C:\\a.exe"},
          Case{"EXE WAIT:\\a.exe x", "WAIT \"C:\\App\\a.exe\" x"},
          Case{"EXE wait:C:\\a.exe", "wait:C:\\a.exe"}, Case{"EXE Wait:\\a.exe", "Wait:\\a.exe"},
          Case{"EXE WAIT: \\a.exe", "WAIT  \\a.exe"},
          Case{"EXE  WAIT:C:\\a.exe", " WAIT:C:\\a.exe"}, Case{"EXE WAIT", "WAIT"},
          Case{"EXE \\a.exe", "\"C:\\App\\a.exe\""},
          Case{"EXE \"C:\\My Tools\\a.exe\"", "\"C:\\My Tools\\a.exe\""}}) {
        FakeUpdater fresh;
        fresh.platform.launchable = {"C:\\a.exe",
                                     "\"C:\\App\\a.exe\" x",
                                     "wait:C:\\a.exe",
                                     "Wait:\\a.exe",
                                     " \\a.exe",
                                     " WAIT:C:\\a.exe",
                                     "WAIT",
                                     "\"C:\\App\\a.exe\"",
                                     "\"C:\\My Tools\\a.exe\""};
        fresh.Run(c.line);
        EXPECT_EQ(fresh.platform.launches, (Lines{c.launch})) << c.line;
        EXPECT_TRUE(fresh.window.boxes.empty()) << c.line;
    }
}

TEST_F(ProgramCommandsTest, ProgramInTheUpdatersFolderIsFoundAfterTheFolderAndQuoted) {
    struct Case {
        const char* line;
        const char* launch;
    };
    // The folder's blank never splits it; after the folder, the shortest existing name wins,
    // with ".exe" added to a name without extension, as the system would choose.
    for (const Case& c :
         {Case{"EXE \\tool.exe", "\"C:\\My App\\tool.exe\""},
          Case{"EXE WAIT:\\tool.exe /S /D=C:\\x y", "WAIT \"C:\\My App\\tool.exe\" /S /D=C:\\x y"},
          Case{"EXE \\tool /S", "\"C:\\My App\\tool.exe\" /S"},
          Case{"EXE \\sub dir\\setup.exe /S", "\"C:\\My App\\sub dir\\setup.exe\" /S"},
          Case{"EXE \\run fast\\go.exe", "\"C:\\My App\\run.exe\" fast\\go.exe"},
          Case{"EXE \\missing.exe /S", "\"C:\\My App\\missing.exe\" /S"}}) {
        FakeUpdater fresh;
        fresh.state.AppPath = "C:\\My App";
        for (const char* file :
             {"C:\\My.exe", "C:\\My App\\tool.exe", "C:\\My App\\sub dir\\setup.exe",
              "C:\\My App\\run.exe", "C:\\My App\\run fast\\go.exe"}) {
            fresh.platform.files[file] = "program";
        }
        fresh.Run(c.line);
        EXPECT_EQ(fresh.platform.launches, (Lines{c.launch})) << c.line;
    }
}

TEST_F(ProgramCommandsTest, ProgramThatCannotStartIsReportedWithLaunchError) {
    app.Run("EXE WAIT:\\missing.exe\r\nTIT not run");
    ExpectOneErrorBox("Error: LaunchError in line [EXE WAIT:\\missing.exe]");
    EXPECT_EQ(app.window.log, "");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

TEST_F(ProgramCommandsTest, LaunchErrorTextIsInsertedAsRead) {
    app.platform.languageTexts["LaunchError"] = "Cannot start%CRLF%%CML%";
    app.Run("EXE x.exe");
    ExpectOneErrorBox("Error: Cannot start%CRLF%EXE x.exe in line [EXE x.exe]");
}

// --- MSG -------------------------------------------------------------------------------------

TEST_F(ProgramCommandsTest, MsgShowsItsTextWithLineBreaksOnlyAndLogsNothing) {
    app.Run("MSG Done;%CRLF%%CRLF%Restart %TITLE% now %ERROR%\r\nTIT next");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_EQ(app.window.boxes[0].text, "Done;\r\n\r\nRestart %TITLE% now %ERROR%");
    EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Information);
    EXPECT_EQ(app.window.log, "");
    EXPECT_EQ(app.state.UpdateHandled, 0);
    EXPECT_EQ(app.state.UpdateFailed, 0);
    EXPECT_EQ(app.state.SoftwareTitle, "next");
}

TEST_F(ProgramCommandsTest, MsgWithAnEmptyArgumentShowsAnEmptyBox) {
    app.Run("MSG ");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_EQ(app.window.boxes[0].text, "");
    EXPECT_EQ(app.state.UpdateFailed, 0);
}

// --- EXE and MSG without an argument ----------------------------------------------------------

TEST_F(ProgramCommandsTest, ThreeCharacterExeOrMsgLineIsReportedLikeTheTrapAndTheProgramGoesOn) {
    for (const std::string line : {"EXE", "MSG"}) {
        FakeUpdater fresh;
        fresh.Run(line + "\r\nTIT not run");
        ASSERT_EQ(fresh.window.boxes.size(), 1u) << line;
        EXPECT_EQ(fresh.window.boxes[0].text,
                  std::string("Error: ") + kNoArgument + " in line [" + line + "]");
        EXPECT_EQ(fresh.state.UpdateFailed, 1);
        EXPECT_TRUE(fresh.platform.launches.empty());
        EXPECT_EQ(fresh.interpreter.Buffer().Text(), "TIT not run");
        // The same interpreter runs the next script normally.
        fresh.Run("\r\nTIT later");
        EXPECT_EQ(fresh.state.SoftwareTitle, "later");
    }
}

TEST_F(ProgramCommandsTest, ThreeCharacterExeInAnUpdateScriptIsReportedWithTheCmvLine) {
    app.platform.server["http://server/s.qsc"] = "MSG hello\r\nEXE\r\nTIT not run";
    app.state.InstalledVersion = "1.0";
    app.Run("CMV 1.1;d;http://server/s.qsc");
    ASSERT_EQ(app.window.boxes.size(), 4u);
    EXPECT_EQ(app.window.boxes[2].text, "hello");
    EXPECT_EQ(app.window.boxes[3].text,
              std::string("Error: ") + kNoArgument + " in line [CMV 1.1;d;http://server/s.qsc]");
}

// --- DWN -------------------------------------------------------------------------------------

TEST_F(ProgramCommandsTest, DwnDownloadsBetweenItsTwoMessages) {
    app.platform.folders.insert("C:\\Data");
    app.platform.server["http://server/a.bin"] = "payload";
    std::string logDuringDownload;
    int eventPassesBeforeDownload = -1;
    app.platform.onDownload = [&](const std::string&) {
        logDuringDownload = app.window.log;
        eventPassesBeforeDownload = app.window.eventPasses;
    };
    app.Run("DWN http://server/a.bin;C:\\Data\\a.bin\r\nTIT next");
    EXPECT_EQ(app.platform.files["C:\\Data\\a.bin"], "payload");
    EXPECT_EQ(logDuringDownload, "\r\nDownloadMessage");
    EXPECT_EQ(eventPassesBeforeDownload, 1);
    EXPECT_EQ(app.window.log, "\r\nDownloadMessage\r\nEndDownloadMessage");
    EXPECT_TRUE(app.window.boxes.empty());
    EXPECT_EQ(app.state.SoftwareTitle, "next");
}

TEST_F(ProgramCommandsTest, DwnAppliesThePathRuleToTheLocalFileOnlyAndIgnoresAThirdField) {
    app.platform.server["\\files\\a.bin"] = "one";
    app.platform.server["http://server/b.bin"] = "two";
    app.Run("DWN \\files\\a.bin;\\a.bin\r\nDWN http://server/b.bin;\\b.bin;C:\\elsewhere.bin;x");
    EXPECT_EQ(app.platform.downloads, (Lines{"\\files\\a.bin", "http://server/b.bin"}));
    EXPECT_EQ(app.platform.files["C:\\App\\a.bin"], "one");
    EXPECT_EQ(app.platform.files["C:\\App\\b.bin"], "two");
    EXPECT_EQ(app.platform.files.count("C:\\elsewhere.bin"), 0u);
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(ProgramCommandsTest, DwnMessagesReplaceLineBreaksBeforeButNotAfter) {
    app.platform.languageTexts["DownloadMessage"] = "Downloading%CRLF%%TITLE%";
    app.platform.languageTexts["EndDownloadMessage"] = "Done%CRLF%";
    app.platform.server["http://server/a"] = "x";
    app.Run("DWN http://server/a;\\a");
    EXPECT_EQ(app.window.log, "\r\nDownloading\r\n%TITLE%\r\nDone%CRLF%");
}

TEST_F(ProgramCommandsTest, DwnWithoutSeparatorFailsBeforeAnythingIsLogged) {
    app.Run("DWN http://server/a.bin\r\nTIT not run");
    ExpectOneErrorBox(
        "Error: A field is missing: the line has fewer fields separated by \";\" than its "
        "command needs. in line [DWN http://server/a.bin]");
    EXPECT_EQ(app.window.log, "");
    EXPECT_TRUE(app.platform.downloads.empty());
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

TEST_F(ProgramCommandsTest, FailedDownloadIsReportedAfterItsFirstMessage) {
    app.platform.files["C:\\App\\a.bin"] = "old";
    app.Run("DWN http://server/missing;\\a.bin\r\nTIT not run");
    EXPECT_EQ(app.window.log, "\r\nDownloadMessage");
    ExpectOneErrorBox("Error: DownloadError in line [DWN http://server/missing;\\a.bin]");
    EXPECT_EQ(app.platform.files["C:\\App\\a.bin"], "old");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

// --- The trap, and the command table --------------------------------------------------------

// A lone CR at the end of a script is a failure only once the trap is armed.
TEST_F(ProgramCommandsTest, DwnArmsTheTrapButExeAndMsgDoNot) {
    struct Case {
        const char* line;
        bool arms;
    };
    for (const Case& c : {Case{"DWN http://server/a;\\a", true}, Case{"EXE C:\\a.exe", false},
                          Case{"MSG hi", false}}) {
        FakeUpdater fresh;
        fresh.platform.server["http://server/a"] = "x";
        fresh.platform.launchable = {"C:\\a.exe"};
        fresh.Run(std::string(c.line) + "\r\nTIT b\r");
        EXPECT_EQ(fresh.state.UpdateFailed, c.arms ? 1 : 0) << c.line;
        EXPECT_EQ(fresh.state.SoftwareTitle, c.arms ? "Demo Software" : "b") << c.line;
    }
}

TEST_F(ProgramCommandsTest, EveryCommandWordOfTheTableIsKnown) {
    app.platform.languageTexts["UnknownCommand"] = "UNKNOWN";
    app.platform.launchable = {"C:\\a.exe"};
    app.platform.server["http://server/a"] = "x";
    app.platform.folders.insert("C:\\App\\gone");
    app.state.InstalledVersion = "9";
    app.Run(
        "ADR http://server/info\r\nLOC \\v.txt\r\nTIT T\r\nVER 9\r\nCMV 1;d;u\r\n"
        "MKD \\new\r\nRMD \\new\r\nEXE C:\\a.exe\r\nERD \\gone\r\nDEL \\none\r\n"
        "MSG m\r\nDWN http://server/a;\\a\r\nOFF\r\nXYZ never");
    ASSERT_EQ(app.window.boxes.size(), 1u);  // MSG's box only
    EXPECT_EQ(app.window.boxes[0].text, "m");
    EXPECT_EQ(app.state.UpdateFailed, 0);
    EXPECT_EQ(app.state.ExitAfterUpdate, 1);
    EXPECT_EQ(app.interpreter.Buffer().Text(), "XYZ never");
}

}  // namespace
