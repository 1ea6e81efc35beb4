// CMV: version comparison, the offer, the nested run of the update script and its endings.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/script/VersionNumbers.h"
#include "core/FakeUpdater.h"

namespace {

constexpr const char* kScriptPath = "C:\\App\\Script.qsc";

class UpdateOfferTest : public ::testing::Test {
protected:
    UpdateOfferTest() { app.window.log.clear(); }

    // Runs an update information file against `installed`.
    void RunInformation(const std::string& installed, const std::string& information) {
        app.state.InstalledVersion = installed;
        app.Run(information);
    }

    FakeUpdater app;
};

TEST_F(UpdateOfferTest, VersionsAreComparedAsTextsWithoutDots) {
    struct Case {
        const char* installed;
        const char* listed;
        bool offered;
    };
    for (const Case& c :
         {Case{"1.9", "1.10", false}, Case{"1.2.3", "1.2.4", true}, Case{"1.2.3", "1.2.3", false},
          Case{"1.0.1", "2.0", true}, Case{"2.0", "1.0.1", false}, Case{"1.0", "1.0.1", true}}) {
        FakeUpdater fresh;
        fresh.window.answers = {kAnswerNo};
        fresh.state.InstalledVersion = c.installed;
        fresh.Run(std::string("CMV ") + c.listed + ";desc;http://server/s.qsc");
        EXPECT_EQ(fresh.state.UpdateHandled, c.offered ? 1 : 0) << c.installed << " " << c.listed;
        EXPECT_EQ(fresh.window.boxes.size(), c.offered ? 2u : 0u) << c.installed << " " << c.listed;
        EXPECT_EQ(fresh.state.InstalledVersion.Text(), RemoveDots(c.installed));
    }
}

TEST_F(UpdateOfferTest, OfferShowsDescriptionThenAsks) {
    app.platform.languageTexts["UpdateFound"] = "New %TITLE%!";
    app.platform.languageTexts["UpdateFoundDescriptionDialog"] = "%TITLE% has:%CRLF%%DESCRIPTION%";
    app.window.answers = {kAnswerNo};
    RunInformation("1.0", "CMV 1.1;Fixes%PTV% speed%CRLF%For %TITLE% users;http://server/s.qsc");
    ASSERT_EQ(app.window.boxes.size(), 2u);
    EXPECT_EQ(app.window.boxes[0].text, "Demo Software has:\r\nFixes; speed\r\nFor %TITLE% users");
    EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Information);
    EXPECT_EQ(app.window.boxes[1].text, "InstallUpdate");
    EXPECT_EQ(app.window.boxes[1].style, MessageBoxStyle::Question);
    EXPECT_EQ(app.window.LogLines(),
              (std::vector<std::string>{"", "New Demo Software!", "UpdateCanceledByUser"}));
}

// Line breaks, then the title, then the description: each is searched only by those after it.
TEST_F(UpdateOfferTest, OfferBoxPutsTheTitleInBeforeTheDescription) {
    app.platform.languageTexts["UpdateFoundDescriptionDialog"] = "%TITLE%: %DESCRIPTION%";
    app.state.SoftwareTitle = "App %DESCRIPTION% %CRLF%";
    app.window.answers = {kAnswerNo};
    RunInformation("1.0", "CMV 1.1;new %TITLE%;http://server/s.qsc");
    ASSERT_FALSE(app.window.boxes.empty());
    EXPECT_EQ(app.window.boxes[0].text, "App new %TITLE% %CRLF%: new %TITLE%");
}

TEST_F(UpdateOfferTest, DeclinedOfferEndsTheRunWithoutAFailure) {
    app.window.answers = {kAnswerNo};
    RunInformation("1.0", "CMV 1.1;d;http://server/a.qsc\r\nTIT not run");
    EXPECT_EQ(app.state.UpdateHandled, 1);
    EXPECT_EQ(app.state.UpdateFailed, 0);
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
    EXPECT_TRUE(app.platform.downloads.empty());
}

TEST_F(UpdateOfferTest, AcceptedUpdatesRunInTurnAndTheRestOfTheFileGoesOn) {
    app.platform.server["http://server/1.1.qsc"] = "TIT after 1.1";
    app.platform.server["http://server/1.2.qsc"] = "ADR http://after-1.2";
    RunInformation("1.0",
                   "CMV 1.1;first;http://server/1.1.qsc\r\n"
                   "CMV 1.2;second;http://server/1.2.qsc\r\n"
                   "LOC C:\\after.txt");
    EXPECT_EQ(app.window.LogLines(),
              (std::vector<std::string>{"", "UpdateFound", "Updating", "UpdateFinished",
                                        "UpdateFound", "Updating", "UpdateFinished"}));
    EXPECT_EQ(app.state.SoftwareTitle, "after 1.1");
    EXPECT_EQ(app.state.UpdateInfoUrl, "http://after-1.2");
    EXPECT_EQ(app.state.VersionFilePath, "C:\\after.txt");
    EXPECT_EQ(app.platform.files.count(kScriptPath), 0u);
    EXPECT_EQ(app.state.UpdateFailed, 0);
    EXPECT_EQ(app.interpreter.Park(), "LOC C:\\after.txt");  // the park keeps its last copy
}

TEST_F(UpdateOfferTest, UpdateScriptSettingVerChangesLaterComparisons) {
    app.platform.server["http://server/1.2.qsc"] = "VER 1.2";
    RunInformation("1.0",
                   "CMV 1.2;newest;http://server/1.2.qsc\r\n"
                   "CMV 1.1;older;http://server/1.1.qsc");
    EXPECT_EQ(app.platform.downloads, (std::vector<std::string>{"http://server/1.2.qsc"}));
    EXPECT_EQ(app.state.InstalledVersion.Text(), "12");
}

TEST_F(UpdateOfferTest, OffInTheUpdateScriptEndsBothRuns) {
    app.platform.server["http://server/s.qsc"] = "OFF\r\nTIT never";
    RunInformation("1.0", "CMV 1.1;d;http://server/s.qsc\r\nTIT rest");
    EXPECT_EQ(app.state.ExitAfterUpdate, 1);
    EXPECT_EQ(app.platform.files.count(kScriptPath), 0u);
    EXPECT_EQ(app.window.LogLines().back(), "Updating");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT never");
    EXPECT_EQ(app.interpreter.Park(), "TIT rest");
}

TEST_F(UpdateOfferTest, FailingUpdateScriptIsReportedByItsOwnRun) {
    app.platform.server["http://server/s.qsc"] = "TIT ok\r\nBAD line\r\nTIT never";
    RunInformation("1.0", "CMV 1.1;d;http://server/s.qsc\r\nTIT rest");
    ASSERT_EQ(app.window.boxes.size(), 3u);
    EXPECT_EQ(app.window.boxes[2].text, "Error: UnknownCommand in line [BAD line]");
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_EQ(app.platform.files.count(kScriptPath), 0u);
    EXPECT_EQ(app.window.LogLines().back(), "Updating");
    EXPECT_EQ(app.state.SoftwareTitle, "ok");
}

TEST_F(UpdateOfferTest, FailureTheUpdateScriptDoesNotCatchIsReportedWithTheCmvLine) {
    app.platform.server["http://server/s.qsc"] = "VER";
    RunInformation("1.0", "CMV 1.1;d;http://server/s.qsc");
    ASSERT_EQ(app.window.boxes.size(), 3u);
    EXPECT_NE(app.window.boxes[2].text.find("in line [CMV 1.1;d;http://server/s.qsc]"),
              std::string::npos);
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_EQ(app.platform.files.count(kScriptPath), 0u);  // a failed update leaves none behind
}

TEST_F(UpdateOfferTest, FailedScriptDownloadIsReportedAndLeavesNoScriptFile) {
    app.platform.files[kScriptPath] = "left by an earlier run";
    RunInformation("1.0", "CMV 1.1;d;http://server/missing.qsc\r\nTIT rest");
    ASSERT_EQ(app.window.boxes.size(), 3u);
    EXPECT_EQ(app.window.boxes[2].text,
              "Error: DownloadUpdateScriptError in line [CMV 1.1;d;http://server/missing.qsc]");
    EXPECT_EQ(app.state.UpdateHandled, 1);
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_EQ(app.platform.files.count(kScriptPath), 0u);
    EXPECT_EQ(app.interpreter.Park(), "");  // nothing was parked
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT rest");
}

TEST_F(UpdateOfferTest, EmptyThirdFieldFailsTheDownload) {
    RunInformation("1.0", "CMV 1.1;d;");
    EXPECT_EQ(app.platform.downloads, (std::vector<std::string>{""}));
    EXPECT_EQ(app.window.boxes.back().text,
              "Error: DownloadUpdateScriptError in line [CMV 1.1;d;]");
}

TEST_F(UpdateOfferTest, FourthFieldIsIgnored) {
    app.platform.server["http://server/s.qsc"] = "";
    RunInformation("1.0", "CMV 1.1;d;http://server/s.qsc;extra");
    EXPECT_EQ(app.platform.downloads, (std::vector<std::string>{"http://server/s.qsc"}));
    EXPECT_EQ(app.state.UpdateFailed, 0);
}

TEST_F(UpdateOfferTest, MissingFieldsAreReportedByTheTrapWithTheLine) {
    for (const std::string line : {"CMV 1.1;only two", "CMV 1.1"}) {
        FakeUpdater fresh;
        fresh.state.InstalledVersion = "1.0";
        fresh.Run(line + "\r\nTIT rest");
        ASSERT_EQ(fresh.window.boxes.size(), 1u) << line;
        EXPECT_NE(fresh.window.boxes[0].text.find("A field is missing"), std::string::npos);
        EXPECT_NE(fresh.window.boxes[0].text.find("in line [" + line + "]"), std::string::npos);
        EXPECT_EQ(fresh.state.UpdateFailed, 1);
        EXPECT_EQ(fresh.interpreter.Buffer().Text(), "TIT rest");
    }
}

TEST_F(UpdateOfferTest, InvalidInstalledVersionShowsItsOwnMessage) {
    app.platform.languageTexts["InvalidVersionNumberInVersionFileError"] = "Bad version%CRLF%file";
    for (const std::string installed : {"", "1.2b"}) {
        app.window.boxes.clear();
        RunInformation(installed, "CMV 1.1;d;http://server/s.qsc");
        ASSERT_EQ(app.window.boxes.size(), 1u);
        EXPECT_EQ(app.window.boxes[0].text, "Bad version\r\nfile");
        EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Error);
        EXPECT_EQ(app.state.UpdateHandled, 1);
        EXPECT_EQ(app.state.UpdateFailed, 1);
    }
}

TEST_F(UpdateOfferTest, InvalidListedVersionIsACommandError) {
    RunInformation("1.0", "CMV 1.2b;d;http://server/s.qsc");
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_EQ(app.window.boxes[0].text,
              "Error: InvalidVersionNumberError in line [CMV 1.2b;d;http://server/s.qsc]");
}

// An update script that offers a version runs that version's script inside itself; each offer
// then gets back the rest it parked, so every line runs once, in order.
TEST_F(UpdateOfferTest, NestedOffersEachRestoreWhatTheyParked) {
    app.platform.server["http://server/sa"] = "CMV 1.2;b;http://server/sb\r\nMSG sa-line-2";
    app.platform.server["http://server/sb"] = "MSG sb ran";
    RunInformation("1.0", "CMV 1.1;a;http://server/sa\r\nMSG feed-line-2");
    std::vector<std::string> shown;
    for (const ShownMessageBox& box : app.window.boxes) {
        shown.push_back(box.text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"a", "InstallUpdate", "b", "InstallUpdate",
                                               "sb ran", "sa-line-2", "feed-line-2"}));
    EXPECT_EQ(app.state.UpdateFailed, 0);
    EXPECT_EQ(app.platform.files.count(kScriptPath), 0u);
    EXPECT_EQ(app.interpreter.Buffer().Text(), "");
}

TEST_F(UpdateOfferTest, UpdateScriptsOfferingFurtherVersionsStopEightLevelsDeep) {
    // Each update script offers the next one, as a hostile server could without end.
    for (int level = 0; level < 12; ++level) {
        app.platform.server["http://server/" + std::to_string(level) + ".qsc"] =
            "CMV 2;d;http://server/" + std::to_string(level + 1) + ".qsc";
    }
    RunInformation("1", "CMV 2;d;http://server/0.qsc");
    EXPECT_EQ(app.platform.downloads.size(), 8u);
    const auto refused = std::find_if(
        app.window.boxes.begin(), app.window.boxes.end(), [](const ShownMessageBox& box) {
            return box.text.find("too many levels deep") != std::string::npos;
        });
    ASSERT_NE(refused, app.window.boxes.end());
    EXPECT_NE(refused->text.find("in line [CMV 2;d;http://server/8.qsc]"), std::string::npos);
    EXPECT_EQ(app.state.UpdateFailed, 1);
    EXPECT_EQ(app.interpreter.UpdateScriptDepth(), 0);
}

}  // namespace
