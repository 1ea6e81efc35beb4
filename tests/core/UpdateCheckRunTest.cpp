// The update check run, from the Update button to the closing log messages.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"

namespace {

constexpr const char* kVersionFile = "C:\\App\\version.txt";
constexpr const char* kTemporaryFile = "C:\\App\\version.txt.tmp";
constexpr const char* kInformationUrl = "http://server/info.txt";

using Lines = std::vector<std::string>;

class UpdateCheckRunTest : public ::testing::Test {
protected:
    UpdateCheckRunTest() {
        app.platform.files[kVersionFile] = "VER 1.0";
        app.platform.server["http://server/1.1.qsc"] = "TIT Updated";
    }

    void Information(const std::string& text) { app.platform.server[kInformationUrl] = text; }

    void ExpectIdle() {
        EXPECT_EQ(app.state.CloseAllowed, 1);
        EXPECT_TRUE(app.window.buttonsEnabled);
        EXPECT_EQ(app.window.closeRequests, 0);
        EXPECT_EQ(app.platform.files.count(kTemporaryFile), 0u);
    }

    FakeUpdater app;
};

TEST_F(UpdateCheckRunTest, NoNewerVersion) {
    Information("CMV 1.0;same;http://server/1.0.qsc");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"UpdateInformationsFileResearchMessage",
                     "UpdateInformationsFileFoundAndDownloadedMessage",
                     "UpdateInformationsFileScanMessage", "NoUpdateAvailableMessage",
                     "UpdateInformationsFileEndScanMessage"}));
    EXPECT_EQ(app.platform.downloads, (Lines{kInformationUrl}));
    ExpectIdle();
}

TEST_F(UpdateCheckRunTest, UpdateInstalled) {
    Information("CMV 1.1;new;http://server/1.1.qsc");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"UpdateInformationsFileResearchMessage",
                     "UpdateInformationsFileFoundAndDownloadedMessage",
                     "UpdateInformationsFileScanMessage", "UpdateFound", "Updating",
                     "UpdateFinished", "UpdateInformationsFileEndScanMessage"}));
    EXPECT_EQ(app.state.SoftwareTitle, "Updated");
    ExpectIdle();
}

TEST_F(UpdateCheckRunTest, OnlyTheUpdateInformationIsFetchedPastSharedCaches) {
    Information("CMV 1.1;new;http://server/1.1.qsc");
    app.platform.server["http://server/1.1.qsc"] = "DWN http://server/app.exe;\\app.exe";
    app.platform.server["http://server/app.exe"] = "MZ";
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.platform.downloads,
              (Lines{kInformationUrl, "http://server/1.1.qsc", "http://server/app.exe"}));
    EXPECT_EQ(app.platform.downloadKinds,
              (std::vector<DownloadKind>{DownloadKind::UpdateInformation, DownloadKind::ReleaseFile,
                                         DownloadKind::ReleaseFile}));
}

TEST_F(UpdateCheckRunTest, UpdateDeclined) {
    Information("CMV 1.1;new;http://server/1.1.qsc");
    app.window.answers = {kAnswerNo};
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"UpdateInformationsFileResearchMessage",
                     "UpdateInformationsFileFoundAndDownloadedMessage",
                     "UpdateInformationsFileScanMessage", "UpdateFound", "UpdateCanceledByUser",
                     "UpdateInformationsFileEndScanMessage"}));
    ExpectIdle();
}

TEST_F(UpdateCheckRunTest, CommandErrorEndsWithTheFailureMessage) {
    Information("XYZ broken");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"UpdateInformationsFileResearchMessage",
                     "UpdateInformationsFileFoundAndDownloadedMessage",
                     "UpdateInformationsFileScanMessage", "UpdateFailedErrorMessage"}));
    ExpectIdle();
}

TEST_F(UpdateCheckRunTest, FailedInformationDownloadLogsTwoEntriesAndLeavesNoTemporaryFile) {
    app.platform.files[kTemporaryFile] = "left over from a crash";
    app.platform.languageTexts["UdpateInformationsFileErrorMessage"] = "Not found.%CRLF%Later.";
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.log, "UpdateInformationsFileResearchMessage\r\nNot found.\r\nLater.");
    ExpectIdle();
}

TEST_F(UpdateCheckRunTest, FailedInformationDownloadIsLoggedEvenWhenTheOldFileStays) {
    app.platform.files[kTemporaryFile] = "locked by another program";
    app.platform.undeletable.insert(kTemporaryFile);
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines(), (Lines{"UpdateInformationsFileResearchMessage",
                                            "UdpateInformationsFileErrorMessage"}));
    EXPECT_EQ(app.state.CloseAllowed, 1);
    EXPECT_TRUE(app.window.buttonsEnabled);
    EXPECT_FALSE(app.updater.IsRunning());
}

TEST_F(UpdateCheckRunTest, RunLocksTheWindowWhileItRuns) {
    Information("");
    app.platform.onDownload = [&](const std::string&) {
        EXPECT_EQ(app.state.CloseAllowed, 0);
        EXPECT_FALSE(app.window.buttonsEnabled);
        EXPECT_TRUE(app.updater.IsRunning());
        EXPECT_EQ(app.updater.DecideClose(), Updater::CloseDecision::Refuse);
    };
    app.updater.RunUpdateCheck();
    EXPECT_FALSE(app.updater.IsRunning());
    EXPECT_EQ(app.updater.DecideClose(), Updater::CloseDecision::Close);
}

// The run allows the close before its error box opens. A click on Update queued before the
// buttons were disabled must not start a second run inside the first, and a close meanwhile
// waits until the run has returned.
TEST_F(UpdateCheckRunTest, DuringTheMissingVersionFileBoxAClickStartsNothingAndACloseWaits) {
    app.platform.files.erase(kVersionFile);
    std::vector<Updater::CloseDecision> decisions;
    app.window.onMessageBox = [&] {
        app.updater.RunUpdateCheck();
        decisions.push_back(app.updater.DecideClose());
    };
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.boxes.size(), 1u);
    EXPECT_EQ(decisions, std::vector{Updater::CloseDecision::Defer});
    EXPECT_EQ(app.window.closeRequests, 2);  // the run's own request and the deferred close
    EXPECT_EQ(app.updater.DecideClose(), Updater::CloseDecision::Close);
}

TEST_F(UpdateCheckRunTest, MissingVersionFileClosesTheWindow) {
    app.platform.files.erase(kVersionFile);
    app.platform.languageTexts["VersionFileError"] = "No version%CRLF%file.";
    app.updater.RunUpdateCheck();
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_EQ(app.window.boxes[0].text, "No version\r\nfile.");
    EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Error);
    EXPECT_EQ(app.window.closeRequests, 1);
    EXPECT_EQ(app.state.CloseAllowed, 1);
    EXPECT_FALSE(app.window.buttonsEnabled);
    EXPECT_TRUE(app.platform.downloads.empty());
}

TEST_F(UpdateCheckRunTest, OffClosesTheWindowWithoutEndMessages) {
    Information("OFF");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.closeRequests, 1);
    EXPECT_EQ(app.state.CloseAllowed, 1);
    EXPECT_EQ(app.window.LogLines().back(), "UpdateInformationsFileScanMessage");
    EXPECT_EQ(app.platform.files.count(kTemporaryFile), 0u);
}

TEST_F(UpdateCheckRunTest, ExitFlagSurvivesAFailedDownloadAndClosesLater) {
    app.platform.files[kVersionFile] = "VER 1.0\r\nOFF";
    app.updater.RunUpdateCheck();  // no update information: the window stays
    EXPECT_EQ(app.state.ExitAfterUpdate, 1);
    EXPECT_EQ(app.window.closeRequests, 0);
    Information("");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.closeRequests, 1);
}

TEST_F(UpdateCheckRunTest, RestOfAnEarlyEndedVersionFileRunsBeforeTheInformation) {
    app.platform.files[kVersionFile] = "VER 1.0\r\nOFF\r\nTIT from version file\r\n";
    Information("TIT from information");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.state.SoftwareTitle, "from information");
    app.state.ExitAfterUpdate = 0;
    app.platform.files[kVersionFile] = "VER 1.0\r\nOFF\r\nTIT from version file\r\n";
    Information("CMV 1.0;x;y");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.state.SoftwareTitle, "from version file");
}

TEST_F(UpdateCheckRunTest, EveryRunReplacesTheLogAndClearsTheFlags) {
    Information("XYZ");
    app.updater.RunUpdateCheck();
    Information("");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"UpdateInformationsFileResearchMessage",
                     "UpdateInformationsFileFoundAndDownloadedMessage",
                     "UpdateInformationsFileScanMessage", "NoUpdateAvailableMessage",
                     "UpdateInformationsFileEndScanMessage"}));
    EXPECT_EQ(app.state.UpdateFailed, 0);
}

TEST_F(UpdateCheckRunTest, EndMessagesAreWrittenAsRead) {
    app.platform.languageTexts["NoUpdateAvailableMessage"] = "None%CRLF%";
    Information("");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines()[3], "None%CRLF%");
}

TEST_F(UpdateCheckRunTest, WithoutALocLineTheRunFails) {
    FakeUpdater noLocation("ADR http://server/info.txt");
    noLocation.updater.RunUpdateCheck();
    EXPECT_EQ(noLocation.window.LogLines().back(), "UpdateFailedErrorMessage");
    EXPECT_EQ(noLocation.state.UpdateFailed, 1);
    EXPECT_EQ(noLocation.window.closeRequests, 0);
    EXPECT_TRUE(noLocation.window.buttonsEnabled);
}

TEST_F(UpdateCheckRunTest, UnreadableVersionFileFailsTheRun) {
    app.platform.unreadable.insert(kVersionFile);
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines().back(), "UpdateFailedErrorMessage");
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_TRUE(app.platform.downloads.empty());
    ExpectIdle();
}

TEST_F(UpdateCheckRunTest, TemporaryFileGoneBeforeItsDeletionFailsTheRun) {
    Information("LOC C:\\App\\moved.txt");
    app.updater.RunUpdateCheck();
    EXPECT_EQ(app.window.LogLines().back(), "UpdateFailedErrorMessage");
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_TRUE(app.window.buttonsEnabled);
}

}  // namespace
