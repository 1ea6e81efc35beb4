// The interpreter loop, the setting commands, the command error report and the failure trap.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"

namespace {

class InterpreterTest : public ::testing::Test {
protected:
    FakeUpdater app{""};  // an empty configuration file: every value starts empty

    const std::string& LastBoxText() {
        EXPECT_FALSE(app.window.boxes.empty());
        return app.window.boxes.back().text;
    }
};

TEST_F(InterpreterTest, SettingCommandsSetTheirValuesAndLaterLinesReplaceThem) {
    app.Run("ADR http://a\r\nLOC C:\\v.txt\r\nTIT Title\r\nVER 1.2.3\r\nADR http://b");
    EXPECT_EQ(app.state.UpdateInfoUrl, "http://b");
    EXPECT_EQ(app.state.VersionFilePath, "C:\\v.txt");
    EXPECT_EQ(app.state.SoftwareTitle, "Title");
    EXPECT_EQ(app.state.InstalledVersion.Text(), "1.2.3");
    EXPECT_TRUE(app.window.boxes.empty());
    EXPECT_EQ(app.state.UpdateFailed, 0);
}

TEST_F(InterpreterTest, ArgumentsAreTakenUnchangedAfterAnyFourthCharacter) {
    app.Run("ADRXhttp://x\r\nTIT   spaced  \r\n");
    EXPECT_EQ(app.state.UpdateInfoUrl, "http://x");
    EXPECT_EQ(app.state.SoftwareTitle, "  spaced  ");
}

TEST_F(InterpreterTest, FourCharacterLineSetsTheEmptyText) {
    app.state.UpdateInfoUrl = "old";
    app.Run("ADR ");
    EXPECT_EQ(app.state.UpdateInfoUrl, "");
    EXPECT_EQ(app.state.UpdateFailed, 0);
}

TEST_F(InterpreterTest, LocAppliesThePathRule) {
    app.Run("LOC \\data\\version.txt");
    EXPECT_EQ(app.state.VersionFilePath, "C:\\App\\data\\version.txt");
}

TEST_F(InterpreterTest, LfOnlyScriptIsOneLine) {
    app.Run("TIT a\nADR b\n");
    EXPECT_EQ(app.state.SoftwareTitle, "a\nADR b\n");
    EXPECT_EQ(app.state.UpdateInfoUrl, "");
}

TEST_F(InterpreterTest, EmptyLinesAreSkippedSilently) {
    app.Run("\r\n\r\nTIT a\r\n\r\n");
    EXPECT_EQ(app.state.SoftwareTitle, "a");
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(InterpreterTest, OffWithoutArgumentSetsTheFlagAndLeavesTheRestInTheBuffer) {
    app.Run("OFF\r\nTIT never");
    EXPECT_EQ(app.state.ExitAfterUpdate, 1);
    EXPECT_EQ(app.state.SoftwareTitle, "");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT never");
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(InterpreterTest, UnknownLowerCaseBlankAndBomLinesAreReportedAndEndTheRun) {
    for (const std::string line : {"XYZ 1", "adr http://x", " ADR http://x", "   ",
                                   "\xEF\xBB\xBF"
                                   "ADR x"}) {
        FakeUpdater fresh("");
        fresh.Run(line + "\r\nTIT after");
        ASSERT_EQ(fresh.window.boxes.size(), 1u) << line;
        EXPECT_EQ(fresh.window.boxes[0].text, "Error: UnknownCommand in line [" + line + "]");
        EXPECT_EQ(fresh.window.boxes[0].style, MessageBoxStyle::Error);
        EXPECT_EQ(fresh.state.UpdateHandled, 1);
        EXPECT_EQ(fresh.state.UpdateFailed, 1);
        EXPECT_EQ(fresh.interpreter.Buffer().Text(), "TIT after") << line;
    }
}

TEST_F(InterpreterTest, LfAfterCrLfMakesTheNextLineUnknown) {
    app.Run("TIT a\r\n\nADR b");
    EXPECT_EQ(LastBoxText(), "Error: UnknownCommand in line [\nADR b]");
    EXPECT_EQ(app.state.SoftwareTitle, "a");
}

TEST_F(InterpreterTest, ErrorReportReplacesCrLfThenErrorThenLine) {
    app.platform.languageTexts["GenericErrorDialog"] = "E:%CRLF%%ERROR%|%CML%";
    app.platform.languageTexts["UnknownCommand"] = "bad %CML% %CRLF%";
    app.Run("QQQ %CRLF%");
    EXPECT_EQ(LastBoxText(), "E:\r\nbad QQQ %CRLF% %CRLF%|QQQ %CRLF%");
}

TEST_F(InterpreterTest, ThreeCharacterLineBeforeTheTrapIsReportedLikeTheTrap) {
    app.Run("TIT a\r\nADR\r\nTIT b");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_NE(LastBoxText().find("in line [ADR]"), std::string::npos);
    EXPECT_NE(LastBoxText().find("no argument"), std::string::npos);
    EXPECT_EQ(app.state.SoftwareTitle, "a");
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT b");
}

TEST_F(InterpreterTest, TrapArmedByOneLineCoversLaterLines) {
    app.platform.folders.insert("C:\\App\\data");
    app.Run("MKD C:\\App\\data\r\nVER\r\nTIT not run");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_NE(LastBoxText().find("in line [VER]"), std::string::npos);
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

TEST_F(InterpreterTest, LoneCrAtTheEndIsDroppedBeforeTheTrapIsArmed) {
    app.Run("TIT a\r\nTIT b\r");
    EXPECT_EQ(app.state.SoftwareTitle, "b");
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(InterpreterTest, LoneCrAtTheEndIsAFailureOnceTheTrapIsArmed) {
    app.platform.folders.insert("C:\\d");
    app.Run("MKD C:\\d\r\nTIT b\r");
    EXPECT_EQ(app.state.SoftwareTitle, "");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_NE(LastBoxText().find("in line [TIT b]"), std::string::npos);
}

TEST_F(InterpreterTest, EmptyBufferEndsAtOnce) {
    app.Run("");
    EXPECT_TRUE(app.window.boxes.empty());
    EXPECT_EQ(app.state.UpdateFailed, 0);
}

TEST_F(InterpreterTest, UnrunLinesRunFirstAfterTheNextLoad) {
    app.Run("OFF\r\nTIT first\r\n");
    app.state.ExitAfterUpdate = 0;
    app.Run("TIT second");
    EXPECT_EQ(app.state.SoftwareTitle, "second");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "");
}

TEST_F(InterpreterTest, LoadScriptFileAppendsRawBytes) {
    const std::string bytes("TIT \x80\xff\x00z\r\n", 10);
    app.platform.files["C:\\s.txt"] = bytes;
    app.interpreter.Buffer().Append("VER 1\r\n");
    app.interpreter.LoadScriptFile("C:\\s.txt");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "VER 1\r\n" + bytes);
}

}  // namespace
