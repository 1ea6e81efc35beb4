// Hostile input: a run's work stays proportional to its script, and what the user is shown
// stays readable however long the values put into it.

#include <gtest/gtest.h>

#include "core/AllocatedBytes.h"
#include "core/FakeUpdater.h"
#include "core/text/ReadableLength.h"

namespace {

std::string Repeated(const std::string& text, std::size_t times) {
    std::string result;
    result.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

// A value of kReadableLength characters and one more: the first is shown whole, the second cut.
const std::string kLongest(kReadableLength, 'x');
const std::string kTooLong = kLongest + "y";
const std::string kCut = kLongest + std::string(kCutMark);

TEST(HostileInputTest, RunWorkStaysProportionalToTheScript) {
    struct Case {
        const char* name;
        std::string script;
        std::size_t boxes;  // what the run ends with
    };
    const Case cases[] = {
        // Every CMV line used to remove the dots from the whole installed version again.
        {"long VER, many CMV lines",
         "VER " + Repeated("1.", 100'000) + "\r\n" +
             Repeated("CMV 1;d;http://server/s.qsc\r\n", 500),
         0},
        // The failure quotes the line, and every "%CML%" in the quote used to become the line.
        {"DEL line full of %CML%", "DEL \\*" + Repeated("%CML%", 2'000), 1},
    };
    for (const Case& c : cases) {
        FakeUpdater app;
        app.platform.languageTexts["GenericErrorDialog"] = "%ERROR% in line %CML%";
        std::size_t work = 0;
        {
            const AllocatedBytes allocated;
            app.Run(c.script);
            work = allocated.Count();
        }
        // A few copies of the script's longest line; the faults made hundreds. Loading the
        // script alone allocates its size, which shows that the count works.
        EXPECT_GT(work, c.script.size()) << c.name;
        EXPECT_LT(work, 20 * c.script.size()) << c.name;
        EXPECT_EQ(app.window.boxes.size(), c.boxes) << c.name;
    }
}

// A value is shown whole up to kReadableLength characters; a longer one is cut there and marked.
TEST(HostileInputTest, LongValuesAreCutInWhatTheUserSees) {
    struct Case {
        const char* what;
        std::string script;
        std::string shown;  // the first box's text
    };
    const std::string longLine = "XYZ" + kTooLong;
    const Case cases[] = {
        {"MSG text at the limit", "MSG " + kLongest, kLongest},
        {"MSG text", "MSG " + kTooLong, kCut},
        {"CMV description", "VER 1.0\r\nCMV 1.1;" + kTooLong + ";http://server/s.qsc", kCut},
        {"failed line", longLine, longLine.substr(0, kReadableLength) + std::string(kCutMark)},
    };
    for (const Case& c : cases) {
        FakeUpdater app;
        app.platform.languageTexts["GenericErrorDialog"] = "%CML%";
        app.window.answers = {kAnswerNo};
        app.Run(c.script);
        ASSERT_FALSE(app.window.boxes.empty()) << c.what;
        EXPECT_EQ(app.window.boxes[0].text, c.shown) << c.what;
    }
}

TEST(HostileInputTest, LongFailureTextIsCut) {
    FakeUpdater app;
    app.platform.languageTexts["GenericErrorDialog"] = "%ERROR%";
    app.Run("DEL \\*" + kTooLong);  // refused, and the refusal quotes the path
    ASSERT_EQ(app.window.boxes.size(), 1u);
    EXPECT_TRUE(app.window.boxes[0].text.starts_with("Wildcards"));
    EXPECT_TRUE(app.window.boxes[0].text.ends_with("xxx" + std::string(kCutMark)));
    EXPECT_EQ(app.window.boxes[0].text.size(), kReadableLength + kCutMark.size());
}

// The refusal quotes the path, and every "%CML%" in the quote shows the line: the box is cut
// at its own length, and shows the line where the language text's "%CML%" stands.
TEST(HostileInputTest, FailureTextFullOfCmlFillsTheBoxUpToItsLength) {
    FakeUpdater app;
    app.platform.languageTexts["GenericErrorDialog"] = "%CML%|%ERROR%";
    const std::string line = "DEL \\*" + Repeated("%CML%", 16'000);  // 80 KB
    app.Run(line);
    ASSERT_EQ(app.window.boxes.size(), 1u);
    const std::string& shown = app.window.boxes[0].text;
    EXPECT_EQ(shown.size(), kReadableBoxLength + kCutMark.size());
    EXPECT_TRUE(shown.starts_with(line.substr(0, kReadableLength) + std::string(kCutMark) + "|"));
    EXPECT_NE(shown.find("|Wildcards"), std::string::npos);
    EXPECT_NE(shown.find("\\*DEL \\*%CML%"), std::string::npos);  // the quoted path's first %CML%
}

TEST(HostileInputTest, LongTitleIsCutWhereItIsShown) {
    FakeUpdater app("TIT " + kTooLong);
    app.platform.languageTexts["WindowsCaption"] = "%TITLE%";
    app.platform.languageTexts["UpdateFound"] = "%TITLE%";
    app.platform.languageTexts["UpdateFoundDescriptionDialog"] = "%TITLE%";
    ASSERT_TRUE(app.updater.StartUp());
    EXPECT_EQ(app.window.caption, kCut);
    EXPECT_EQ(app.window.titleLabel, kCut);
    app.window.answers = {kAnswerNo};
    app.Run("VER 1\r\nCMV 2;d;http://server/s.qsc");
    EXPECT_EQ(app.window.LogLines().at(1), kCut);
    EXPECT_EQ(app.window.boxes.at(0).text, kCut);
    EXPECT_EQ(app.state.SoftwareTitle, kTooLong);  // the value itself is kept whole
}

}  // namespace
