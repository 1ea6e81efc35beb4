// Start-up: the language and configuration files, the configuration run and the labels.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"

namespace {

class StartUpTest : public ::testing::Test {
protected:
    StartUpTest() {
        platform.languageTexts = KeyNamedTexts();
        platform.files[platform.languageFile] = "";
        platform.files["C:\\App\\quillmere.cfg"] =
            "ADR http://u\r\nLOC \\v.txt\r\nTIT My %CRLF%App";
    }

    FakeWindow window;
    FakePlatform platform;
    Updater updater{window, platform.Roles()};
    UpdaterState& state = updater.Interpreter().State();
};

TEST_F(StartUpTest, LabelsTheWindowFromTheLanguageFile) {
    platform.languageTexts["WindowsCaption"] = "%TITLE% - %CRLF%";
    platform.languageTexts["WelcomeMessage"] = "Welcome to %TITLE%.%CRLF%Press %TITLE%.";
    platform.languageTexts["ButtonUpdate"] = "&Update%CRLF%";
    ASSERT_TRUE(updater.StartUp());
    EXPECT_EQ(state.UpdateInfoUrl, "http://u");
    EXPECT_EQ(state.VersionFilePath, "C:\\App\\v.txt");
    EXPECT_EQ(window.titleLabel, "My %CRLF%App");
    EXPECT_EQ(window.caption, "My %CRLF%App - %CRLF%");
    EXPECT_EQ(window.log, "Welcome to My %CRLF%App.\r\nPress My %CRLF%App.");
    EXPECT_EQ(window.updateCaption, "&Update%CRLF%");
    EXPECT_EQ(window.closeCaption, "ButtonClose");
    EXPECT_EQ(window.tooltip, "ProgressionBar");
    EXPECT_EQ(state.CloseAllowed, 1);
    EXPECT_EQ(state.ExitAfterUpdate, 0);
    EXPECT_EQ(window.closeRequests, 0);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(StartUpTest, DriveRootLosesItsTrailingBackslash) {
    platform.programFolder = "D:\\";
    platform.languageFile = "D:\\quillmere.lng";
    platform.files[platform.languageFile] = "";
    platform.files["D:\\quillmere.cfg"] = "LOC \\v.txt";
    ASSERT_TRUE(updater.StartUp());
    EXPECT_EQ(state.AppPath, "D:");
    EXPECT_EQ(state.VersionFilePath, "D:\\v.txt");
}

TEST_F(StartUpTest, MissingLanguageFileShowsTheFixedMessageAndCloses) {
    platform.files.erase(platform.languageFile);
    platform.files.erase("C:\\App\\quillmere.cfg");
    EXPECT_FALSE(updater.StartUp());
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text,
              "Error :\r\n\r\nCan not find the language file.\r\n\r\n\r\n"
              "Please contact technical support of the software.");
    EXPECT_EQ(window.boxes[0].style, MessageBoxStyle::Error);
    EXPECT_EQ(window.closeRequests, 1);
    EXPECT_EQ(window.log, "");
    EXPECT_EQ(window.caption, "");
}

TEST_F(StartUpTest, MissingConfigurationFileShowsItsTextWithLineBreaks) {
    platform.files.erase("C:\\App\\quillmere.cfg");
    platform.languageTexts["ConfigurationFileError"] = "No configuration.%CRLF%Reinstall.";
    EXPECT_FALSE(updater.StartUp());
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "No configuration.\r\nReinstall.");
    EXPECT_EQ(window.closeRequests, 1);
}

TEST_F(StartUpTest, RenamedProgramLooksForFilesOfItsName) {
    platform.programName = "update";
    EXPECT_FALSE(updater.StartUp());  // quillmere.lng is there, update.lng is not
    platform.files["C:\\App\\update.lng"] = "";
    platform.files["C:\\App\\update.cfg"] = "TIT Renamed";
    platform.languageFile = "C:\\App\\update.lng";
    FakeWindow secondWindow;
    Updater second(secondWindow, platform.Roles());
    ASSERT_TRUE(second.StartUp());
    EXPECT_EQ(second.Interpreter().State().SoftwareTitle, "Renamed");
    EXPECT_EQ(secondWindow.updateCaption, "ButtonUpdate");
}

TEST_F(StartUpTest, UnreadableConfigurationIsReportedAndTheWindowStillStarts) {
    platform.unreadable.insert("C:\\App\\quillmere.cfg");
    EXPECT_TRUE(updater.StartUp());
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_NE(window.boxes[0].text.find("ConfigurationFileError"), std::string::npos);
    EXPECT_EQ(window.closeRequests, 0);
    EXPECT_EQ(window.updateCaption, "ButtonUpdate");
}

TEST_F(StartUpTest, FailingConfigurationLineIsReportedAndStartUpGoesOn) {
    platform.files["C:\\App\\quillmere.cfg"] = "TIT a\r\nLOC\r\nADR never";
    EXPECT_TRUE(updater.StartUp());
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(state.UpdateInfoUrl, "");
    EXPECT_EQ(window.titleLabel, "a");
    EXPECT_EQ(state.CloseAllowed, 1);
}

TEST_F(StartUpTest, EmptyTextsForAForeignSection) {
    platform.languageTexts.clear();
    ASSERT_TRUE(updater.StartUp());
    EXPECT_EQ(window.caption, "");
    EXPECT_EQ(window.log, "");
}

}  // namespace
