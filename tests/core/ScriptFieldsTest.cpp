// NextField, the field separator, ArgumentFields and the script path rule, with the paths it
// refuses.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"

namespace {

TEST(NextFieldTest, MovesTheTextBeforeTheFirstSemicolonAndLeavesTheSemicolon) {
    std::string rest = "1.2;New;http://x";
    std::string field = "kept:";
    NextField(rest, field);
    EXPECT_EQ(field, "kept:1.2");
    EXPECT_EQ(rest, ";New;http://x");
}

TEST(NextFieldTest, TakesEverythingWhenNoSemicolonIsLeft) {
    std::string rest = "last field";
    std::string field;
    NextField(rest, field);
    EXPECT_EQ(field, "last field");
    EXPECT_EQ(rest, "");
}

TEST(NextFieldTest, EmptyFieldBetweenSemicolons) {
    std::string rest = ";;x";
    std::string field;
    NextField(rest, field);
    EXPECT_EQ(field, "");
    RemoveFieldSeparator(rest);
    EXPECT_EQ(rest, ";x");
}

TEST(NextFieldTest, RemovingAMissingSeparatorFails) {
    std::string rest;
    EXPECT_THROW(RemoveFieldSeparator(rest), ScriptFailure);
}

TEST(ArgumentFieldsTest, TakesWhatNextFieldTakesAndTellsWhereEachFieldStarts) {
    const ArgumentFields cmv = ArgumentFields::Split("1.2;New;http://x;sha256=ab;more", 4);
    ASSERT_EQ(cmv.size(), 4u);
    EXPECT_EQ(cmv[2].text, "http://x");
    EXPECT_EQ(cmv[2].offset, 8u);
    EXPECT_EQ(cmv[3].offset, 17u);
    EXPECT_EQ(cmv.After(1), ";http://x;sha256=ab;more");
    EXPECT_EQ(cmv.After(3), ";more");
    EXPECT_EQ(ArgumentFields::Whole("a;b")[0].text, "a;b");

    for (const std::string argument : {"", "a", "a;", ";;", "x;;y", "a;b;c;d;e"}) {
        for (std::size_t count = 1; count <= kMostFields; ++count) {
            const ArgumentFields fields = ArgumentFields::Split(argument, count);
            std::string rest = argument;
            for (std::size_t index = 0; index < fields.size(); ++index) {
                if (index > 0) {
                    RemoveFieldSeparator(rest);
                }
                const std::size_t offset = argument.size() - rest.size();
                std::string field;
                NextField(rest, field);
                EXPECT_EQ(fields[index].text, field) << argument << " " << count;
                EXPECT_EQ(fields[index].offset, offset) << argument << " " << count;
            }
            EXPECT_EQ(fields.After(fields.size() - 1), rest) << argument << " " << count;
            // Fewer fields than asked for only when no ";" is left.
            EXPECT_TRUE(fields.size() == count || rest.empty()) << argument << " " << count;
        }
    }
}

TEST(ArgumentFieldsTest, RequiringAFieldThatIsNotThereFailsAsTheMissingSeparatorDoes) {
    const ArgumentFields fields = ArgumentFields::Split("http://x", 3);
    EXPECT_NO_THROW(fields.Require(1));
    try {
        fields.Require(2);
        ADD_FAILURE() << "no failure";
    } catch (const ScriptFailure& failure) {
        EXPECT_STREQ(failure.what(),
                     "A field is missing: the line has fewer fields separated by \";\" than its "
                     "command needs.");
    }
}

TEST(ScriptPathRuleTest, LeadingBackslashJoinsAppPathWithoutAnExtraSeparator) {
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "\\version.txt"), "C:\\App\\version.txt");
    EXPECT_EQ(ApplyScriptPathRule("C:", "\\data"), "C:\\data");
}

TEST(ScriptPathRuleTest, OtherPathsAreUsedAsWritten) {
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "D:\\x y\\z"), "D:\\x y\\z");
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "relative\\z"), "relative\\z");
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", ""), "");
}

TEST(ScriptPathRuleTest, NetworkPathsAreMadeRelativeToo) {
    EXPECT_EQ(ApplyScriptPathRule("C:\\App", "\\\\server\\share"), "C:\\App\\\\server\\share");
}

constexpr const char* kDevice = "Device paths (\"\\\\?\\\" and \"\\\\.\\\") are not allowed: ";
constexpr const char* kNetwork = "Network paths are not allowed: ";

TEST(ScriptPathRuleTest, EveryCommandThatTakesAPathRefusesThemBeforeActing) {
    struct Case {
        const char* line;
        const char* refusal;
        const char* path;  // as the report shows it: ERD's added "\" included
    };
    for (const Case& c :
         {Case{"LOC //server/share/version.txt", kNetwork, "//server/share/version.txt"},
          Case{"MKD /\\?\\C:\\App\\new", kDevice, "/\\?\\C:\\App\\new"},
          Case{"RMD /\\server\\share\\old", kNetwork, "/\\server\\share\\old"},
          Case{"ERD //./C:/App", kDevice, "//./C:/App\\"},
          Case{"DEL //server/share/a.txt", kNetwork, "//server/share/a.txt"},
          Case{"DWN http://server/a;//server/share/a", kNetwork, "//server/share/a"},
          Case{"EXE WAIT://server/share/setup.exe /S", kNetwork, "//server/share/setup.exe /S"},
          Case{"EXE \"//?/C:/setup.exe\" /S", kDevice, "\"//?/C:/setup.exe\" /S"}}) {
        FakeUpdater app;
        app.platform.server["http://server/a"] = "x";
        app.platform.launchable = {"//server/share/setup.exe /S"};
        app.Run(std::string(c.line) + "\r\nTIT not run");
        ASSERT_EQ(app.window.boxes.size(), 1u) << c.line;
        EXPECT_EQ(app.window.boxes[0].text,
                  std::string("Error: ") + c.refusal + c.path + " in line [" + c.line + "]");
        EXPECT_EQ(app.state.VersionFilePath, "C:\\App\\version.txt") << c.line;
        EXPECT_TRUE(app.platform.launches.empty()) << c.line;
        EXPECT_TRUE(app.platform.downloads.empty()) << c.line;
        EXPECT_EQ(app.platform.folders, (std::set<std::string>{"C:\\App"})) << c.line;
        EXPECT_EQ(app.state.UpdateFailed, 1) << c.line;
        EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run") << c.line;
    }
}

}  // namespace
