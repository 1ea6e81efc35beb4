#pragma once
// The common ground of the update suites: a program folder with the test language file, a
// configuration pointing at the test's own folder on the fixture server, a version file at 1.0,
// and the running program with its main window.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e/TestTexts.h"
#include "e2e/UiDriver.h"

namespace e2e {

// The first three log lines of every run that got its update information file.
inline const std::vector<std::string> kRunOpening = {
    "[Research %CRLF%]", "[Information downloaded]", "[Scanning]"};

// `first` followed by `then`: a whole expected log.
inline std::vector<std::string> Concat(std::vector<std::string> first,
                                       const std::vector<std::string>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

class UpdateSession : public ::testing::Test {
protected:
    // `programFileName`: the name the program runs under, its files named after it.
    explicit UpdateSession(const std::string& programFileName = "quillmere.exe")
        : server(CurrentTestName()), folder(programFileName) {}

    void SetUp() override {
        folder.WriteLanguageFile(kTestLanguageFile);
        WriteConfiguration(server.Url("updates.txt"));
        folder.WriteFile("version.txt", "VER 1.0\r\n");
    }

    void WriteConfiguration(const std::string& updateInfoUrl) {
        folder.WriteConfiguration("ADR " + updateInfoUrl + "\r\nLOC \\version.txt\r\nTIT Inkwell\r\n");
    }

    // Starts the program and presses Update once its window is shown.
    MainWindow StartAndClickUpdate() {
        program.emplace(Program::Start(folder));
        MainWindow window = program->WaitForMainWindow();
        window.ClickUpdate();
        return window;
    }

    // Waits until the run has written `lastLine` as its last log line and both buttons are back.
    void WaitForRunEnd(const MainWindow& window, const std::string& lastLine) {
        WaitUntil(
            [&] {
                return window.Exists() && window.LogLines().back() == lastLine &&
                       window.UpdateButtonEnabled() && window.CloseButtonEnabled();
            },
            "the run to end with the log line \"" + lastLine + "\"",
            [this] { return program->Describe(); });
    }

    // Answers the description box with OK and the question that follows with `answer`, after
    // checking that both look as the offer's styles say.
    void AnswerOffer(const std::string& description, int answer) {
        MessageBoxWindow box = program->WaitForMessageBox();
        EXPECT_EQ(box.Text(), "[New Inkwell]\r\n" + description);
        EXPECT_EQ(box.Caption(), "Quillmere");
        EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
        EXPECT_EQ(box.Icon(), MessageBoxIcon::Information) << IconName(box.Icon());
        box.Answer(IDOK);

        MessageBoxWindow question = program->WaitForMessageBox();
        EXPECT_EQ(question.Text(), "[Install %TITLE%?]");
        EXPECT_EQ(question.Caption(), "Quillmere");
        EXPECT_EQ(question.ButtonIds(), (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(question.DefaultButtonId(), IDYES);
        EXPECT_EQ(question.Icon(), MessageBoxIcon::Question) << IconName(question.Icon());
        question.Answer(answer);
    }

    static std::string CurrentTestName() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(test->test_suite_name()) + "-" + test->name();
    }

    // Destroyed in reverse: the program ends before its folder and the served files go.
    FixtureFolder server;
    ProgramFolder folder;
    std::optional<Program> program;
};

}  // namespace e2e
