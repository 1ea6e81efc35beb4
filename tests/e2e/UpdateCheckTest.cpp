// The update check run of the real quillmere.exe against the fixture server: the log line by
// line, the offer's message boxes, declining, a missing update information file, OFF, a failing
// update script, a missing version file, and the close rule while a run is under way.

#include "windows/ui/MainWindowLayout.h"
#include "e2e/UpdateSession.h"

namespace e2e {
namespace {

using UpdateCheckTest = UpdateSession;

// `lines` behind 3000 empty lines: served slowly, the file keeps a download busy for a while.
std::string AfterEmptyLines(const std::string& lines) {
    std::string text;
    for (int line = 0; line < 3000; ++line) {
        text += "\r\n";
    }
    return text + lines;
}

// The window's answer when the session is about to end (log-off): true when it lets it end.
bool LetsSessionEnd(const MainWindow& window) {
    DWORD_PTR answer = 0;
    // The window answers while a download waits for the network: well within the time allowed.
    if (!SendMessageTimeoutA(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                             10000, &answer)) {
        throw UiDriverError("no answer to WM_QUERYENDSESSION");
    }
    return answer != 0;
}

TEST_F(UpdateCheckTest, NoNewerVersionLogsTheRunAndOffersNothing) {
    // Versions compare as texts without dots: 1.10 ("110") sorts before 1.9 ("19").
    folder.WriteFile("version.txt", "VER 1.9\r\n");
    server.WriteFile("updates.txt",
                     "CMV 1.10;Ten;" + server.Url("never.txt") + "\r\n"
                     "CMV 1.9;Same;" + server.Url("never.txt") + "\r\n"
                     "CMV 1.8.5;Older;" + server.Url("never.txt") + "\r\n");
    MainWindow window = StartAndClickUpdate();

    WaitForRunEnd(window, "[Scan finished]");
    // Messages of the run are written as read: their %CRLF% stays literal.
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
    EXPECT_FALSE(program->FindMessageBox().has_value()) << program->Describe();
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
    EXPECT_EQ(server.RequestCount("never.txt"), 0);
}

TEST_F(UpdateCheckTest, AcceptedUpdateRunsItsScriptAndLogsEveryStepInOrder) {
    server.WriteFile("updates.txt",
                     "CMV 1.1;Fixes%CRLF%Faster%PTV% smaller %TITLE%;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\added\r\nVER 1.1\r\n");
    MainWindow window = StartAndClickUpdate();

    program->WaitForMessageBox();
    // The find is logged before the description is shown.
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[Found an update of Inkwell]"}));
    // %CRLF% then %PTV% are replaced in the description; its %TITLE% stays as written.
    AnswerOffer("Fixes\r\nFaster; smaller %TITLE%", IDYES);

    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(),
              Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                                   "[Creating folder]", "[Folder created]", "[Update finished]",
                                   "[Scan finished]"}));
    EXPECT_TRUE(folder.Exists("added"));
    EXPECT_EQ(server.RequestCount("updates.txt"), 1);
    EXPECT_EQ(server.RequestCount("1.1.qsc"), 1);
    EXPECT_FALSE(folder.Exists("Script.qsc"));
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
}

TEST_F(UpdateCheckTest, TwoNewerVersionsAreOfferedInTurn) {
    server.WriteFile("updates.txt", "CMV 1.1;First;" + server.Url("1.1.qsc") + "\r\n"
                                    "CMV 1.2;Second;" + server.Url("1.2.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\one\r\n");
    server.WriteFile("1.2.qsc", "MKD \\two\r\n");
    MainWindow window = StartAndClickUpdate();

    AnswerOffer("First", IDYES);
    AnswerOffer("Second", IDYES);

    WaitForRunEnd(window, "[Scan finished]");
    const std::vector<std::string> update = {"[Found an update of Inkwell]", "[Updating]",
                                             "[Please wait]", "[Creating folder]",
                                             "[Folder created]", "[Update finished]"};
    EXPECT_EQ(window.LogLines(), Concat(Concat(kRunOpening, update), Concat(update, {"[Scan finished]"})));
    EXPECT_TRUE(folder.Exists("one"));
    EXPECT_TRUE(folder.Exists("two"));
}

TEST_F(UpdateCheckTest, DeclinedUpdateEndsTheScanWithoutFetchingAnything) {
    server.WriteFile("updates.txt", "CMV 1.1;First;" + server.Url("1.1.qsc") + "\r\n"
                                    "CMV 1.2;Second;" + server.Url("1.2.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\one\r\n");
    server.WriteFile("1.2.qsc", "MKD \\two\r\n");
    MainWindow window = StartAndClickUpdate();

    AnswerOffer("First", IDNO);

    WaitForRunEnd(window, "[Scan finished]");
    // The offer counts as handled: no "no update" line; the later version is not offered.
    EXPECT_EQ(window.LogLines(),
              Concat(kRunOpening, {"[Found an update of Inkwell]", "[Cancelled]", "[Scan finished]"}));
    EXPECT_FALSE(program->FindMessageBox().has_value()) << program->Describe();
    EXPECT_EQ(server.RequestCount("1.1.qsc"), 0);
    EXPECT_EQ(server.RequestCount("1.2.qsc"), 0);
    EXPECT_FALSE(folder.Exists("one"));
    EXPECT_FALSE(folder.Exists("Script.qsc"));
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
}

TEST_F(UpdateCheckTest, MissingUpdateInformationLogsTwoEntriesAndLeavesTheWindowUsable) {
    // Nothing is served at updates.txt: the server answers 404. A temporary file left over
    // from an earlier run must not survive the failed download either.
    folder.WriteFile("version.txt.tmp", "CMV 9.9;Stale;http://127.0.0.1:9/stale.qsc\r\n");
    MainWindow window = StartAndClickUpdate();

    WaitForRunEnd(window, "[Try later]");
    EXPECT_EQ(window.Log(), JoinLines({"[Research %CRLF%]", "[Information not downloaded]",
                                       "[Try later]"}));
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
    EXPECT_FALSE(program->FindMessageBox().has_value()) << program->Describe();

    // The window stays usable: a second run, now that the file is there, starts afresh.
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("never.txt") + "\r\n");
    window.ClickUpdate();
    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
}

TEST_F(UpdateCheckTest, OffInTheUpdateScriptClosesTheUpdaterAfterTheRun) {
    server.WriteFile("updates.txt", "CMV 1.1;Closing;" + server.Url("1.1.qsc") + "\r\n"
                                    "CMV 1.2;Never;" + server.Url("1.2.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\before-off\r\nOFF\r\nMKD \\after-off\r\n");
    StartAndClickUpdate();

    AnswerOffer("Closing", IDYES);

    EXPECT_EQ(program->WaitForExit(), 0u);
    EXPECT_TRUE(folder.Exists("before-off"));
    EXPECT_FALSE(folder.Exists("after-off"));
    EXPECT_FALSE(folder.Exists("Script.qsc"));
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
    EXPECT_EQ(server.RequestCount("1.2.qsc"), 0);
}

TEST_F(UpdateCheckTest, OffInTheUpdateInformationClosesTheUpdaterWithoutAnOffer) {
    server.WriteFile("updates.txt", "OFF\r\nCMV 1.1;Never;" + server.Url("1.1.qsc") + "\r\n");
    StartAndClickUpdate();

    EXPECT_EQ(program->WaitForExit(), 0u);
    EXPECT_EQ(server.RequestCount("1.1.qsc"), 0);
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
}

TEST_F(UpdateCheckTest, OffMetBeforeAFailedDownloadClosesTheUpdaterAtTheNextCompleteRun) {
    // OFF in the version file sets the exit flag; the run then fails to get its information
    // (404) and leaves the window open, the flag still set.
    folder.WriteFile("version.txt", "VER 1.0\r\nOFF\r\n");
    MainWindow window = StartAndClickUpdate();
    WaitForRunEnd(window, "[Try later]");
    EXPECT_TRUE(program->IsRunning());

    // The next run that gets as far as the end of the scan closes the updater.
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("never.txt") + "\r\n");
    window.ClickUpdate();
    EXPECT_EQ(program->WaitForExit(), 0u);
    EXPECT_EQ(server.RequestCount("updates.txt"), 2);
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
}

TEST_F(UpdateCheckTest, FailingUpdateScriptShowsTheErrorBoxAndEndsTheRunFailed) {
    server.WriteFile("updates.txt", "CMV 1.1;Broken;" + server.Url("1.1.qsc") + "\r\n"
                                    "CMV 1.2;Never;" + server.Url("1.2.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "MKD \\made\r\nXYZ not a command\r\nMKD \\never\r\n");
    MainWindow window = StartAndClickUpdate();
    AnswerOffer("Broken", IDYES);

    MessageBoxWindow error = program->WaitForMessageBox();
    // The error text goes in as read (its %CRLF% literal); the line replaces %CML%.
    EXPECT_EQ(error.Text(), "[Error]\r\n[Unknown command]\r\n[Line: XYZ not a command]");
    EXPECT_EQ(error.Caption(), "Quillmere");
    EXPECT_EQ(error.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(error.Icon(), MessageBoxIcon::Error) << IconName(error.Icon());
    error.Answer(IDOK);

    WaitForRunEnd(window, "[Update failed]");
    EXPECT_EQ(window.LogLines(),
              Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                                   "[Creating folder]", "[Folder created]", "[Update failed]"}));
    EXPECT_FALSE(folder.Exists("made"));  // the failed update is undone
    EXPECT_FALSE(folder.Exists("never"));
    EXPECT_FALSE(folder.Exists("Script.qsc"));
    EXPECT_EQ(server.RequestCount("1.2.qsc"), 0);
}

TEST_F(UpdateCheckTest, UnreachableUpdateScriptIsReportedWithTheCmvLine) {
    const std::string line = "CMV 1.1;Gone;" + server.Url("missing.qsc");
    server.WriteFile("updates.txt", line + "\r\n");
    MainWindow window = StartAndClickUpdate();
    AnswerOffer("Gone", IDYES);

    MessageBoxWindow error = program->WaitForMessageBox();
    EXPECT_EQ(error.Text(), "[Error]\r\n[Update script not downloaded]\r\n[Line: " + line + "]");
    EXPECT_EQ(error.Icon(), MessageBoxIcon::Error) << IconName(error.Icon());
    error.Answer(IDOK);

    WaitForRunEnd(window, "[Update failed]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]",
                                                      "[Please wait]", "[Update failed]"}));
    EXPECT_FALSE(folder.Exists("Script.qsc"));
}

TEST_F(UpdateCheckTest, MissingVersionFileIsReportedAndEndsTheProgram) {
    DeleteFileA((folder / "version.txt").c_str());
    StartAndClickUpdate();

    MessageBoxWindow error = program->WaitForMessageBox();
    EXPECT_EQ(error.Text(), "[No version file]\r\n[Reinstall]");
    EXPECT_EQ(error.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(error.Icon(), MessageBoxIcon::Error) << IconName(error.Icon());
    error.Answer(IDOK);

    EXPECT_EQ(program->WaitForExit(), 0u);
    EXPECT_EQ(server.RequestCount("updates.txt"), 0);
}

TEST_F(UpdateCheckTest, DoubleClickOnUpdateRunsOneCheck) {
    server.WriteFile("updates.txt", "CMV 1.0;Same;" + server.Url("never.txt") + "\r\n");
    program.emplace(Program::Start(folder));
    MainWindow window = program->WaitForMainWindow();
    // Two clicks queued before the window reacts to the first: the second reaches the window
    // while the first one's run handles its events, and must not start a run inside it.
    HWND update = window.Control(kUpdateButtonId);
    for (int click = 0; click < 2; ++click) {
        PostMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(kUpdateButtonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(update));
    }

    WaitForRunEnd(window, "[Scan finished]");
    window.WaitUntilPostedMessagesHandled();
    EXPECT_EQ(server.RequestCount("updates.txt"), 1);
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
}

TEST_F(UpdateCheckTest, CloseIsRefusedWhileARunIsUnderWayAndAcceptedAfterIt) {
    // The update information arrives slowly, over three seconds (the empty lines are skipped),
    // while the window handles its events.
    WriteConfiguration(server.SlowUrl("updates.txt", 3));
    server.WriteFile("updates.txt",
                     AfterEmptyLines("CMV 1.0;Same;" + server.Url("never.txt") + "\r\n"));
    MainWindow window = StartAndClickUpdate();

    WaitUntil([&] { return !window.UpdateButtonEnabled() && !window.CloseButtonEnabled(); },
              "the run to start", [&] { return program->Describe(); });
    EXPECT_THROW(window.ClickClose(), UiDriverError);
    window.PressCloseBox();
    window.PostClose();

    // The run goes on to its end, and the window stays.
    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[No update %CRLF%]", "[Scan finished]"}));
    EXPECT_EQ(server.RequestCount("updates.txt"), 1);
    // Both requests were handled before this marker: refused, not merely delayed.
    window.WaitUntilPostedMessagesHandled();
    EXPECT_TRUE(window.Exists());
    EXPECT_TRUE(program->IsRunning());

    window.PressCloseBox();
    EXPECT_EQ(program->WaitForExit(), 0u);
}

TEST_F(UpdateCheckTest, SessionEndIsHeldWhileARunIsUnderWayAndLetGoAfterIt) {
    WriteConfiguration(server.SlowUrl("updates.txt", 3));
    server.WriteFile("updates.txt",
                     AfterEmptyLines("CMV 1.1;Later;" + server.Url("never.qsc") + "\r\n"));
    program.emplace(Program::Start(folder));
    MainWindow window = program->WaitForMainWindow();
    EXPECT_TRUE(LetsSessionEnd(window));

    window.ClickUpdate();
    WaitUntil([&] { return !window.UpdateButtonEnabled(); }, "the run to start",
              [&] { return program->Describe(); });
    EXPECT_FALSE(LetsSessionEnd(window));  // downloading, or already offering the update
    MessageBoxWindow description = program->WaitForMessageBox();
    EXPECT_FALSE(LetsSessionEnd(window));  // the offer waits for the user
    description.Answer(IDOK);
    program->WaitForMessageBox().Answer(IDNO);

    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_TRUE(LetsSessionEnd(window));
    EXPECT_EQ(server.RequestCount("never.qsc"), 0);
}

}  // namespace
}  // namespace e2e
